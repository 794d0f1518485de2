// Banc d'essai du parcours des répertoires : une arborescence de 50 000
// répertoires où quelques « cible » se cachent à des profondeurs diverses.
// Première recherche (parcours + comparaison du dernier nom) et recherche
// suivante (liste gardée) comparées à find -type d -iname.
// Sortie : une ligne « NOM;notre_ms;pair_ms;pair » par mesure.
#include "mesure_banc.h"
#include "platform/parcours.h"
#include "platform/unites.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sys/stat.h>
#include <vector>

namespace {

// 20 × 10 × 249 feuilles + 220 intermédiaires = 50 020 répertoires, plus
// les cibles.
constexpr int k_hauts = 20;
constexpr int k_milieux = 10;
constexpr int k_feuilles = 249;
constexpr int k_essais = 5;
const QByteArray k_version = "parcours 1\n";

const QStringList k_cibles{"cible",     "h3/Cible",  "h7/m4/CIBLE", "h19/m9/f248/cible",
                           "h0/cibles", "h1/m1/cibl"};

void creer(const QByteArray& chemin) {
    if (::mkdir(chemin.constData(), 0755) != 0) {
        std::perror(chemin.constData());
        std::exit(1);
    }
}

void creer_arborescence(const QString& racine) {
    QDir(racine).removeRecursively();
    const QByteArray base = QFile::encodeName(racine);
    creer(base);
    for (int h = 0; h < k_hauts; ++h) {
        const QByteArray haut = base + "/h" + QByteArray::number(h);
        creer(haut);
        for (int m = 0; m < k_milieux; ++m) {
            const QByteArray milieu = haut + "/m" + QByteArray::number(m);
            creer(milieu);
            QFile(QFile::decodeName(milieu + "/lisez-moi.txt")).open(QIODevice::WriteOnly);
            for (int f = 0; f < k_feuilles; ++f)
                creer(milieu + "/f" + QByteArray::number(f));
        }
    }
    for (const QString& c : k_cibles)
        creer(base + '/' + QFile::encodeName(c));
}

// L'arborescence est gardée d'une exécution à l'autre : la créer coûte.
QString arborescence() {
    QString racine = QDir::temp().filePath(QStringLiteral("kaldron-banc-parcours"));
    QFile marque(racine + QStringLiteral("/.complet"));
    if (marque.open(QIODevice::ReadOnly) && marque.readAll() == k_version)
        return racine;
    marque.close();
    creer_arborescence(racine);
    if (!marque.open(QIODevice::WriteOnly) || marque.write(k_version) != k_version.size())
        std::exit(1);
    return racine;
}

// Comme la recherche d'un nom tapé : dernier composant, sans égard à la casse.
int correspondances(const QStringList& liste, const QString& nom) {
    return int(std::count_if(liste.begin(), liste.end(), [&](const QString& chemin) {
        const QStringView dernier = QStringView(chemin).mid(chemin.lastIndexOf(u'\\') + 1);
        return dernier.compare(nom, Qt::CaseInsensitive) == 0;
    }));
}

int par_find(const QString& racine) {
    QProcess find;
    find.start(QStringLiteral("find"), {racine, QStringLiteral("-type"), QStringLiteral("d"),
                                        QStringLiteral("-iname"), QStringLiteral("cible")});
    if (!find.waitForFinished(-1) || find.exitCode() != 0)
        std::exit(1);
    return int(find.readAllStandardOutput().count('\n'));
}

double mesurer(const std::function<int()>& f, int attendu) {
    return mesurer_banc(f, attendu, k_essais, "bench_parcours", "cibles");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QString racine = arborescence();
    plateforme::TableUnites::instance().ajouter(u'C', racine);
    const QString nom = QStringLiteral("CIBLE");
    const int attendu = 4;
    QStringList liste;
    const double premiere = mesurer(
        [&] {
            liste = plateforme::parcourir_repertoires(QStringLiteral("C:\\")).repertoires;
            return correspondances(liste, nom);
        },
        attendu);
    const double suivante = mesurer([&] { return correspondances(liste, nom); }, attendu);
    const double find = mesurer([&] { return par_find(racine); }, attendu);
    afficher("parcours : première recherche, 50 000 répertoires", premiere, find,
             "find -type d -iname");
    afficher("parcours : recherche suivante (liste gardée)", suivante, find, "find -type d -iname");
    return 0;
}
