// Programme témoin des essais de lancement : écrit son répertoire de
// travail puis chacun de ses arguments, séparés par des octets nuls, dans le
// fichier nommé par ECRIRE_ARGV_SORTIE. L'écriture passe par un fichier
// voisin renommé à la fin, pour qu'un lecteur ne voie jamais une moitié.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    const char* sortie = std::getenv("ECRIRE_ARGV_SORTIE");
    if (!sortie)
        return 2;
    std::string texte;
    char repertoire[4096];
    if (::getcwd(repertoire, sizeof repertoire))
        texte += repertoire;
    texte += '\0';
    for (int i = 1; i < argc; ++i) {
        texte += argv[i];
        texte += '\0';
    }
    const std::string provisoire = std::string(sortie) + ".part";
    std::FILE* f = std::fopen(provisoire.c_str(), "wb");
    if (!f)
        return 1;
    const bool ecrit = std::fwrite(texte.data(), 1, texte.size(), f) == texte.size();
    if (std::fclose(f) != 0 || !ecrit)
        return 1;
    return std::rename(provisoire.c_str(), sortie) == 0 ? 0 : 1;
}
