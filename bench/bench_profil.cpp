// Banc d'essai des profils : un fichier de 5 000 clés, lecture de la dernière
// clé comparée à grep, réécriture d'une clé comparée à sed -i.
// Sortie : une ligne « NOM;notre_ms;pair_ms;pair » par mesure (temps par opération).
#include "platform/profil.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h> // environ (_GNU_SOURCE)
#include <vector>

namespace {

constexpr int k_cles = 5000;
constexpr int k_lectures = 1000;
constexpr int k_ecritures = 200;

// Millisecondes par appel de 'f', sur 'n' appels.
double mesurer(int n, const std::function<bool()>& f) {
    const auto debut = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        if (!f()) {
            (void)std::fprintf(stderr, "bench_profil : échec à l'essai %d\n", i);
            std::exit(1);
        }
    }
    const std::chrono::duration<double, std::milli> duree =
        std::chrono::steady_clock::now() - debut;
    return duree.count() / n;
}

// Lance l'outil pair sans shell, sortie jetée ; vrai s'il rend 0.
bool lancer(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int erreur = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int statut = 0;
    return erreur == 0 && waitpid(pid, &statut, 0) == pid && WIFEXITED(statut) &&
           WEXITSTATUS(statut) == 0;
}

QByteArray fichier_de_cles() {
    QByteArray texte = "; banc d'essai\r\n[Cles]\r\n";
    for (int i = 0; i < k_cles; ++i)
        texte += "cle" + QByteArray::number(i) + "=valeur" + QByteArray::number(i) + "\r\n";
    return texte;
}

void afficher(const char* nom, double notre, double pair, const char* outil) {
    std::printf("%s;%.6f;%.6f;%s\n", nom, notre, pair, outil);
}

void lecture(const std::string& chemin) {
    char tampon[64];
    const auto lire = [&] {
        const unsigned n =
            GetPrivateProfileStringA("Cles", "cle4999", "", tampon, sizeof tampon, chemin.c_str());
        return std::strncmp(tampon, "valeur4999", n + 1) == 0;
    };
    const double notre = mesurer(k_lectures, lire);
    const double pair = mesurer(k_lectures, [&] {
        return lancer({"grep", "-m1", "^cle4999=", chemin});
    });
    afficher("profil : lecture de la dernière de 5 000 clés", notre, pair, "grep -m1");
}

void ecriture(const std::string& chemin) {
    int i = 0;
    const auto ecrire = [&] {
        std::string valeur = "v";
        valeur += std::to_string(++i);
        return WritePrivateProfileStringA("Cles", "cle2500", valeur.c_str(), chemin.c_str());
    };
    const double notre = mesurer(k_ecritures, ecrire);
    const auto sed = [&] {
        std::string script = "s/^cle2500=.*/cle2500=v";
        script += std::to_string(++i) + "/";
        return lancer({"sed", "-i", script, chemin});
    };
    const double pair = mesurer(k_ecritures, sed);
    afficher("profil : réécriture d'une clé sur 5 000", notre, pair, "sed -i");
}

} // namespace

int main() {
    QTemporaryDir repertoire;
    const QString chemin = repertoire.filePath(QStringLiteral("BANC.INI"));
    QFile fichier(chemin);
    if (!repertoire.isValid() || !fichier.open(QIODevice::WriteOnly) ||
        fichier.write(fichier_de_cles()) < 0)
        return 1;
    fichier.close();
    const std::string hote = QFile::encodeName(chemin).toStdString();
    lecture(hote);
    ecriture(hote);
    return 0;
}
