#include "platform/genre_programme.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstring>
#include <elf.h>

using namespace Qt::StringLiterals;

namespace plateforme {

namespace {

// Bibliothèques qui font d'un exécutable un programme à fenêtres.
bool bibliotheque_graphique(const QByteArray& nom) {
    static const char* const prefixes[] = {"libX11.",    "libxcb.",        "libwayland-client.",
                                           "libQt5Gui.", "libQt6Gui.",     "libQtGui.",
                                           "libgtk-",    "libgdk-",        "libSDL",
                                           "libGL.",     "libEGL.",        "libOpenGL.",
                                           "libvulkan.", "libfltk",        "libwx_",
                                           "libglfw.",   "libsfml-window", "libelementary.",
                                           "libgtk4.",   "libQt5Widgets.", "libQt6Widgets."};
    for (const char* p : prefixes) {
        if (nom.startsWith(p))
            return true;
    }
    return false;
}

// Noms des bibliothèques liées (DT_NEEDED) d'un ELF, par ses sections ;
// faux si le fichier n'est pas un ELF lisible.
template <typename Ehdr, typename Shdr, typename Dyn>
bool bibliotheques_elf(const QByteArray& octets, QList<QByteArray>& noms) {
    const auto dans = [&](quint64 debut, quint64 taille) {
        return debut <= quint64(octets.size()) && taille <= quint64(octets.size()) - debut;
    };
    if (!dans(0, sizeof(Ehdr)))
        return false;
    Ehdr e;
    std::memcpy(&e, octets.constData(), sizeof e);
    if (e.e_shentsize != sizeof(Shdr) || !dans(e.e_shoff, quint64(e.e_shnum) * sizeof(Shdr)))
        return false;
    const auto section = [&](quint64 i) {
        Shdr s;
        std::memcpy(&s, octets.constData() + e.e_shoff + i * sizeof(Shdr), sizeof s);
        return s;
    };
    for (quint64 i = 0; i < e.e_shnum; ++i) {
        const Shdr dyn = section(i);
        if (dyn.sh_type != SHT_DYNAMIC || dyn.sh_link >= e.e_shnum ||
            !dans(dyn.sh_offset, dyn.sh_size))
            continue;
        const Shdr chaines = section(dyn.sh_link);
        if (!dans(chaines.sh_offset, chaines.sh_size))
            return false;
        for (quint64 j = 0; (j + 1) * sizeof(Dyn) <= dyn.sh_size; ++j) {
            Dyn d;
            std::memcpy(&d, octets.constData() + dyn.sh_offset + j * sizeof(Dyn), sizeof d);
            if (d.d_tag == DT_NULL)
                break;
            if (d.d_tag != DT_NEEDED || d.d_un.d_val >= chaines.sh_size)
                continue;
            const char* debut = octets.constData() + chaines.sh_offset + d.d_un.d_val;
            noms << QByteArray(debut, qstrnlen(debut, chaines.sh_size - d.d_un.d_val));
        }
    }
    return true;
}

GenreProgramme genre_elf(const QByteArray& octets) {
    QList<QByteArray> noms;
    const bool lu = octets.size() > EI_CLASS && octets.at(EI_CLASS) == ELFCLASS64
                        ? bibliotheques_elf<Elf64_Ehdr, Elf64_Shdr, Elf64_Dyn>(octets, noms)
                        : bibliotheques_elf<Elf32_Ehdr, Elf32_Shdr, Elf32_Dyn>(octets, noms);
    if (!lu)
        return GenreProgramme::Inconnu;
    for (const QByteArray& nom : noms) {
        if (bibliotheque_graphique(nom))
            return GenreProgramme::Graphique;
    }
    return GenreProgramme::Texte;
}

// Interpréteurs dont les scripts ouvrent leurs propres fenêtres.
bool interpreteur_graphique(const QByteArray& premiere_ligne) {
    const QList<QByteArray> mots = premiere_ligne.mid(2).simplified().split(' ');
    QByteArray nom = mots.value(0).mid(mots.value(0).lastIndexOf('/') + 1);
    if (nom == "env")
        nom = mots.value(1) == "-S" ? mots.value(2) : mots.value(1);
    return nom.startsWith("wish");
}

} // namespace

GenreProgramme genre_programme(const QString& chemin_hote) {
    QFile f(chemin_hote);
    if (!QFileInfo(chemin_hote).isFile() || !f.open(QIODevice::ReadOnly))
        return GenreProgramme::Inconnu;
    const QByteArray tete = f.peek(4);
    if (tete.startsWith("#!")) {
        const QByteArray ligne = f.readLine(4096).trimmed();
        return interpreteur_graphique(ligne) ? GenreProgramme::Graphique : GenreProgramme::Script;
    }
    if (tete != QByteArray(ELFMAG, SELFMAG))
        return GenreProgramme::Inconnu;
    // Les sections sont en fin de fichier : l'exécutable est lu en mémoire
    // projetée, sans copie.
    uchar* projete = f.map(0, f.size());
    if (!projete)
        return GenreProgramme::Inconnu;
    const GenreProgramme genre =
        genre_elf(QByteArray::fromRawData(reinterpret_cast<const char*>(projete), f.size()));
    f.unmap(projete);
    return genre;
}

bool demande_un_terminal(const QString& chemin_hote) {
    const GenreProgramme g = genre_programme(chemin_hote);
    return g == GenreProgramme::Texte || g == GenreProgramme::Script;
}

QString trouver_terminal() {
    const QString impose = qEnvironmentVariable("KALDRON_TERMINAL");
    if (!impose.isEmpty()) {
        if (!impose.contains(u'/'))
            return QStandardPaths::findExecutable(impose);
        const QFileInfo info(impose);
        return info.isFile() && info.isExecutable() ? impose : QString();
    }
    for (const QString& nom :
         {u"x-terminal-emulator"_s, u"gnome-terminal"_s, u"konsole"_s, u"xfce4-terminal"_s,
          u"mate-terminal"_s, u"lxterminal"_s, u"xterm"_s}) {
        const QString trouve = QStandardPaths::findExecutable(nom);
        if (!trouve.isEmpty())
            return trouve;
    }
    return {};
}

QStringList ligne_dans_terminal(const QString& terminal, const QString& repertoire,
                                const QString& programme, const QStringList& arguments) {
    // Le script est fixe : le répertoire, le programme et les arguments lui
    // arrivent en paramètres, jamais relus par le shell.
    static const QString script =
        u"cd -- \"$1\" || exit; shift; \"$@\"; code=$?; "
        u"printf '\\n[Programme terminé (code %s) : appuyez sur Entrée pour fermer.]' \"$code\"; "
        u"read -r _"_s;
    const QString nom = QFileInfo(terminal).fileName();
    // gnome-terminal et ses cousins prennent la commande après "--" ;
    // xfce4-terminal après "-x" ; les autres, comme xterm, après "-e".
    const QString marque = nom == u"gnome-terminal"_s || nom == u"mate-terminal"_s
                               ? u"--"_s
                               : (nom == u"xfce4-terminal"_s ? u"-x"_s : u"-e"_s);
    return QStringList{terminal, marque,       u"/bin/sh"_s, u"-c"_s,
                       script,   u"kaldron"_s, repertoire,   programme} +
           arguments;
}

} // namespace plateforme
