// Banc d'essai de la liste des fichiers : un répertoire de 100 000 fichiers
// montré dans la liste des fichiers (lecture, tri, remplissage, mise en page
// et dessin), comparé à ls, qui trie aussi.
// Sortie : une ligne « NOM;notre_ms;pair_ms;pair » par mesure.
#include "platform/controles.h"
#include "platform/fichiers.h"
#include "platform/unites.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {

constexpr int k_fichiers = 100000;
constexpr int k_essais = 3;
const QByteArray k_version = "liste 1\n";

void creer_fichiers(const QString& racine) {
    QDir(racine).removeRecursively();
    const QByteArray base = QFile::encodeName(racine + QStringLiteral("/fichiers"));
    if (!QDir().mkpath(QFile::decodeName(base)))
        std::exit(1);
    char nom[64];
    for (int i = 0; i < k_fichiers; ++i) {
        const int longueur = std::snprintf(nom, sizeof nom, "/%s_%06d.%s",
                                           i % 3 ? "Fichier" : "note", i, i % 2 ? "txt" : "DOC");
        if (longueur < 0 || longueur >= int(sizeof nom))
            std::exit(1);
        const int fd = ::open((base + nom).constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0 || ::close(fd) != 0) {
            std::perror(nom);
            std::exit(1);
        }
    }
}

// Le répertoire est gardé d'une exécution à l'autre : le créer coûte.
QString repertoire() {
    QString racine = QDir::temp().filePath(QStringLiteral("kaldron-banc-liste"));
    QFile marque(racine + QStringLiteral("/.complet"));
    if (marque.open(QIODevice::ReadOnly) && marque.readAll() == k_version)
        return racine;
    marque.close();
    creer_fichiers(racine);
    if (!marque.open(QIODevice::WriteOnly) || marque.write(k_version) != k_version.size())
        std::exit(1);
    return racine;
}

using Horloge = std::chrono::steady_clock;

// Millisecondes par essai (moyenne après un tour de chauffe) ; 'essai'
// rend la durée de sa partie mesurée et le nombre de fichiers vus.
double mesurer(const std::function<double(int&)>& essai) {
    int vus = 0;
    essai(vus);
    double total = 0;
    for (int i = 0; i < k_essais; ++i) {
        total += essai(vus);
        if (vus != k_fichiers) {
            (void)std::fprintf(stderr, "bench_liste : %d fichiers au lieu de %d\n", vus,
                               k_fichiers);
            std::exit(1);
        }
    }
    return total / k_essais;
}

double depuis(Horloge::time_point debut) {
    return std::chrono::duration<double, std::milli>(Horloge::now() - debut).count();
}

// Une liste neuve, déjà montrée : seul le changement de répertoire compte,
// jusqu'à ce que la liste soit mise en page et dessinée.
double afficher_liste(int& vus) {
    auto liste = std::make_unique<plateforme::ListeFichiers>();
    liste->resize(400, 600);
    liste->show();
    QApplication::processEvents();
    const auto debut = Horloge::now();
    liste->setPath(QStringLiteral("C:\\fichiers"));
    QApplication::processEvents();
    const double duree = depuis(debut);
    vus = liste->listCount();
    return duree;
}

double lire_seulement(int& vus) {
    const auto debut = Horloge::now();
    vus = int(
        plateforme::lister_fichiers(QStringLiteral("C:\\fichiers"), QStringLiteral("*.*")).size());
    return depuis(debut);
}

double par_ls(const QString& chemin, int& vus) {
    QProcess ls;
    const auto debut = Horloge::now();
    ls.start(QStringLiteral("ls"), {chemin});
    if (!ls.waitForFinished(-1) || ls.exitCode() != 0)
        std::exit(1);
    const double duree = depuis(debut);
    vus = int(ls.readAllStandardOutput().count('\n'));
    return duree;
}

void afficher(const char* nom, double notre, double pair, const char* outil) {
    std::printf("%s;%.6f;%.6f;%s\n", nom, notre, pair, outil);
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString racine = repertoire();
    plateforme::TableUnites::instance().ajouter(u'C', racine);
    const QString chemin = racine + QStringLiteral("/fichiers");
    const double ls = mesurer([&](int& vus) { return par_ls(chemin, vus); });
    afficher("liste : affichage de 100 000 fichiers", mesurer(afficher_liste), ls, "ls");
    afficher("liste : lecture seule de 100 000 fichiers", mesurer(lire_seulement), ls, "ls");
    return 0;
}
