// Banc d'essai de la liste des fichiers : un répertoire de 100 000 fichiers
// montré après un chemin tapé dans la fenêtre principale (Entrée dans
// Chemin_srce : lecture, tri, remplissage, mise en page et dessin), et par la
// liste seule à côté ; comparé à ls, qui trie aussi, tour par tour.
// Sortie : « NOM;notre_médiane_ms;pair_médiane_ms;pair (étendues) ».
#include "manager/main_window/gestion_fichiers.h"
#include "platform/controles.h"
#include "platform/dialogues.h"
#include "platform/fichiers.h"
#include "platform/unites.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {

constexpr int k_fichiers = 100000;
constexpr int k_essais = 5;
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

double depuis(Horloge::time_point debut) {
    return std::chrono::duration<double, std::milli>(Horloge::now() - debut).count();
}

// Le chemin tapé dans Chemin_srce puis Entrée, par le gestionnaire de la
// touche, sur la vraie fenêtre montrée : jusqu'à la liste remplie, mise en
// page et dessinée, la fenêtre au repos.
double par_chemin_tape(Gestion_Fichiers& f, const QString& chemin, int& vus) {
    f.Chemin_srce->setText(chemin);
    const auto debut = Horloge::now();
    f.Chemin_srce_KeyPress(13);
    QApplication::processEvents();
    QApplication::sendPostedEvents();
    QApplication::processEvents();
    const double duree = depuis(debut);
    vus = f.Fichier_srce->listCount();
    return duree;
}

// La liste seule, neuve et montrée : le changement de répertoire.
double liste_seule(int& vus) {
    auto liste = std::make_unique<plateforme::ListeFichiers>();
    liste->resize(400, 600);
    liste->show();
    QApplication::processEvents();
    const auto debut = Horloge::now();
    liste->setPath(QStringLiteral("K:\\fichiers"));
    QApplication::processEvents();
    const double duree = depuis(debut);
    vus = liste->listCount();
    return duree;
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

void verifier(int vus) {
    if (vus != k_fichiers) {
        (void)std::fprintf(stderr, "bench_liste : %d fichiers au lieu de %d\n", vus, k_fichiers);
        std::exit(1);
    }
}

class Echec : public plateforme::ServiceDialogues {
    [[noreturn]] static void sortir(const QString& texte) {
        (void)std::fprintf(stderr, "bench_liste : question inattendue : %s\n", qPrintable(texte));
        std::exit(1);
    }

public:
    int message(const QString& texte, int, const QString&) override { sortir(texte); }
    QString saisie(const QString& texte, const QString&, const QString&) override { sortir(texte); }
    int message_dialogue(const QString& texte, const QString&, const QString&, const QString&,
                         const QString&, const QString&) override {
        sortir(texte);
    }
    QString ouvrir_fichier(const QString& texte, const QString&, const QString&) override {
        sortir(texte);
    }
    QString enregistrer_fichier(const QString& texte, const QString&, const QString&) override {
        sortir(texte);
    }
    void bip() override {}
};

double mediane(QList<double> v) {
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Tour par tour, la mesure puis ls ; médiane et étendues.
void afficher(const char* nom, const QList<double>& notre, const QList<double>& pair) {
    QList<double> rapports;
    for (qsizetype i = 0; i < notre.size(); ++i)
        rapports << notre[i] / pair[i];
    const auto [nmin, nmax] = std::minmax_element(notre.begin(), notre.end());
    const auto [pmin, pmax] = std::minmax_element(pair.begin(), pair.end());
    const auto [rmin, rmax] = std::minmax_element(rapports.begin(), rapports.end());
    std::printf("%s;%.1f;%.1f;ls, %d tours : nous %.0f–%.0f, pair %.0f–%.0f, rapport %.2f–%.2f\n",
                nom, mediane(notre), mediane(pair), int(notre.size()), *nmin, *nmax, *pmin, *pmax,
                *rmin, *rmax);
    (void)std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString racine = repertoire();
    // Le programme sur l'unité K: : elle est l'unité courante au démarrage.
    const QString programme = racine + QStringLiteral("/kaldron");
    QDir().mkpath(programme);
    QTemporaryDir windows;
    {
        QFile ini(programme + QStringLiteral("/KALDRON.INI"));
        const QByteArray texte = "[Options]\r\nConfirme=Non\r\n";
        if (!ini.open(QIODevice::WriteOnly) || ini.write(texte) != texte.size())
            std::exit(1);
    }
    // Une question inattendue arrête le banc au lieu de l'attendre.
    Echec echec;
    plateforme::installer_dialogues(&echec);
    qputenv("KALDRON_WINDOWS", QFile::encodeName(windows.path()));
    qputenv("KALDRON_PROGRAMME", QFile::encodeName(programme));
    plateforme::TableUnites::instance().ajouter(u'K', racine);
    const QString chemin = racine + QStringLiteral("/fichiers");
    Gestion_Fichiers f;
    f.Form_Load(true);
    f.espace_libre_de = [](const QString&) { return qint64(1) << 50; };
    f.show();
    QApplication::processEvents();
    QList<double> tape, seule, ls_tape, ls_seule;
    int vus = 0;
    for (int t = 0; t <= k_essais; ++t) {
        // Chaque tour part d'ailleurs : le répertoire est vraiment changé.
        par_chemin_tape(f, QStringLiteral("K:\\"), vus);
        const double notre = par_chemin_tape(f, QStringLiteral("K:\\fichiers"), vus);
        verifier(vus);
        const double pair = par_ls(chemin, vus);
        verifier(vus);
        const double liste = liste_seule(vus);
        verifier(vus);
        const double pair2 = par_ls(chemin, vus);
        if (t == 0)
            continue; // tour de chauffe
        tape << notre;
        ls_tape << pair;
        seule << liste;
        ls_seule << pair2;
    }
    afficher("liste : 100 000 fichiers après un chemin tapé (fenêtre)", tape, ls_tape);
    afficher("liste : 100 000 fichiers, la liste seule", seule, ls_seule);
    plateforme::installer_dialogues(nullptr);
    return 0;
}
