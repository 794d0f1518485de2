// Banc d'essai de CHERCHER : 50 000 répertoires et 200 000 fichiers dont
// quelques centaines de « cible*.txt ». Première recherche (arbre et
// fichiers lus en une fois) et recherche suivante (arbre gardé, seuls les
// répertoires changés relus) comparées à find -iname.
// Sortie : une ligne « NOM;notre_ms;pair_ms;pair » par mesure.
#include "manager/search/moteur_recherche.h"
#include "mesure_banc.h"
#include "platform/parcours.h"
#include "platform/unites.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// 20 × 10 × 249 feuilles + 220 intermédiaires = 50 020 répertoires ; quatre
// fichiers par répertoire sauf la racine et les 20 premiers : 200 000.
constexpr int k_hauts = 20;
constexpr int k_milieux = 10;
constexpr int k_feuilles = 249;
constexpr int k_pas_cible = 166; // une feuille sur 166 : 300 cibles
constexpr int k_essais = 5;
const QByteArray k_version = "recherche 1\n";

void creer_repertoire(const QByteArray& chemin) {
    if (::mkdir(chemin.constData(), 0755) != 0) {
        std::perror(chemin.constData());
        std::exit(1);
    }
}

void creer_fichier(const QByteArray& chemin) {
    const int fd = ::open(chemin.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::perror(chemin.constData());
        std::exit(1);
    }
    ::close(fd);
}

void quatre_fichiers(const QByteArray& rep, int n, bool cible) {
    const QByteArray num = QByteArray::number(n);
    creer_fichier(rep + (cible ? "/Cible" + num + ".TXT" : "/doc" + num + ".txt"));
    creer_fichier(rep + "/img" + num + ".png");
    creer_fichier(rep + "/note" + num + ".md");
    creer_fichier(rep + "/data" + num + ".bin");
}

void creer_arborescence(const QString& racine) {
    QDir(racine).removeRecursively();
    const QByteArray base = QFile::encodeName(racine);
    creer_repertoire(base);
    int n = 0;
    for (int h = 0; h < k_hauts; ++h) {
        const QByteArray haut = base + "/h" + QByteArray::number(h);
        creer_repertoire(haut);
        for (int m = 0; m < k_milieux; ++m) {
            const QByteArray milieu = haut + "/m" + QByteArray::number(m);
            creer_repertoire(milieu);
            quatre_fichiers(milieu, n++, false);
            for (int f = 0; f < k_feuilles; ++f) {
                const QByteArray feuille = milieu + "/f" + QByteArray::number(f);
                creer_repertoire(feuille);
                quatre_fichiers(feuille, n, n % k_pas_cible == 0);
                ++n;
            }
        }
    }
}

// L'arborescence est gardée d'une exécution à l'autre : la créer coûte.
QString arborescence() {
    QString racine = QDir::temp().filePath(QStringLiteral("kaldron-banc-recherche"));
    QFile marque(racine + QStringLiteral("/.complet"));
    if (marque.open(QIODevice::ReadOnly) && marque.readAll() == k_version)
        return racine;
    marque.close();
    creer_arborescence(racine);
    if (!marque.open(QIODevice::WriteOnly) || marque.write(k_version) != k_version.size())
        std::exit(1);
    marque.close();
    // Des répertoires modifiés à l'instant seraient relus à chaque fois.
    std::this_thread::sleep_for(std::chrono::seconds(4));
    return racine;
}

// Le même décompte que la création : un numéro par répertoire de fichiers.
int attendues() {
    int cibles = 0, n = 0;
    for (int g = 0; g < k_hauts * k_milieux; ++g) {
        ++n; // le répertoire du milieu
        for (int f = 0; f < k_feuilles; ++f, ++n)
            cibles += n % k_pas_cible == 0;
    }
    return cibles;
}

int par_find(const QString& racine) {
    QProcess find;
    find.start(QStringLiteral("find"),
               {racine, QStringLiteral("-iname"), QStringLiteral("cible*.txt")});
    if (!find.waitForFinished(-1) || find.exitCode() != 0)
        std::exit(1);
    return int(find.readAllStandardOutput().count('\n'));
}

double mesurer(const std::function<int()>& f, int attendu) {
    return mesurer_banc(f, attendu, k_essais, "bench_recherche", "fichiers");
}

// Comme la fenêtre : balayage de l'arbre gardé, répertoire par répertoire.
int balayer(const plateforme::ResultatParcours& arbre,
            std::vector<plateforme::ContenuRepertoire>& contenus) {
    recherche::Balayage b(arbre.repertoires, contenus,
                          {QStringLiteral("cible*.txt"), QString(), false});
    while (b.suivant()) {
    }
    return int(b.trouves_tries().size());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QString racine = arborescence();
    plateforme::TableUnites::instance().ajouter(u'C', racine);
    const int attendu = attendues();
    plateforme::ResultatParcours arbre;
    plateforme::OptionsParcours options;
    options.avec_fichiers = true;
    const double premiere = mesurer(
        [&] {
            arbre = plateforme::parcourir_repertoires(QStringLiteral("C:\\"), options);
            return balayer(arbre, arbre.contenus);
        },
        attendu);
    const double suivante = mesurer([&] { return balayer(arbre, arbre.contenus); }, attendu);
    const double find = mesurer([&] { return par_find(racine); }, attendu);
    afficher("recherche : première (arbre construit)", premiere, find, "find -iname");
    afficher("recherche : suivante (arbre gardé)", suivante, find, "find -iname");
    return 0;
}
