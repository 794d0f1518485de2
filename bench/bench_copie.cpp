// Banc d'essai de COPIER, DEPLACER et EFFACER par la fenêtre principale :
// « Sélectionner tout » puis le gestionnaire du bouton, sur la vraie
// fenêtre montrée, listes, jauge et boucle d'événements en marche, sans
// question (EFFACER répond GLOBAL). 10 000 fichiers de 4 Kio et un fichier de
// 1 Gio, refaits à chaque tour dans des répertoires neufs (un répertoire
// qu'on vient de vider est lent à remplir) ; chaque tour mesure la commande
// puis l'outil pair sur ses propres données neuves. Les écritures en
// attente sont vidées (sync) avant chaque mesure.
// Sortie : « NOM;notre_médiane_ms;pair_médiane_ms;pair (étendues) ».
#include "manager/commands/moteur_copie.h"
#include "manager/common/etat_commande.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "manager/recycle_bin/corbeille.h"
#include "platform/dialogues.h"
#include "platform/unites.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// KALDRON_BANC_PETITS réduit le nombre de fichiers pour un essai rapide.
const int k_petits = qEnvironmentVariableIntValue("KALDRON_BANC_PETITS") > 0
                         ? qEnvironmentVariableIntValue("KALDRON_BANC_PETITS")
                         : 10000;
constexpr int k_taille_petit = 4096;
constexpr qint64 k_gros = qint64(1) << 30;
const int k_tours = qEnvironmentVariableIsSet("KALDRON_BANC_PETITS") ? 1 : 5;
const int k_tours_gros = qEnvironmentVariableIsSet("KALDRON_BANC_PETITS") ? 0 : 3;
// Un répertoire par processus : deux bancs lancés ensemble ne se vident pas
// l'un l'autre.
const QString k_racine = u"/tmp/kaldron-banc-copie-%1"_s.arg(::getpid());

void echouer(const char* quoi) {
    (void)std::fprintf(stderr, "bench_copie : %s\n", quoi);
    std::exit(1);
}

// Réponses sans fenêtre : Oui, GLOBAL.
class SansQuestion : public plateforme::ServiceDialogues {
public:
    int message(const QString&, int, const QString&) override { return plateforme::REP_OUI; }
    QString saisie(const QString&, const QString&, const QString&) override { return {}; }
    int message_dialogue(const QString&, const QString&, const QString&, const QString&,
                         const QString&, const QString&) override {
        return 2;
    }
    QString ouvrir_fichier(const QString&, const QString&, const QString&) override { return {}; }
    QString enregistrer_fichier(const QString&, const QString&, const QString&) override {
        return {};
    }
    void bip() override {}
};

QString chemin(const QString& nom) {
    return k_racine + u'/' + nom;
}

// Répertoire neuf de 'n' petits fichiers (créés hors mesure).
void petits(const QString& nom, int n) {
    QDir().mkpath(chemin(nom));
    const QByteArray octets(k_taille_petit, 'p');
    const QByteArray base = QFile::encodeName(chemin(nom));
    char suffixe[32];
    for (int i = 0; i < n; ++i) {
        (void)std::snprintf(suffixe, sizeof suffixe, "/P%05d.DAT", i);
        const int fd = ::open((base + suffixe).constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, octets.constData(), size_t(octets.size())) != octets.size() ||
            ::close(fd) != 0)
            echouer("création des petits fichiers");
    }
}

void gros(const QString& nom) {
    QDir().mkpath(chemin(nom));
    QFile f(chemin(nom) + u"/gros.bin"_s);
    if (!f.open(QIODevice::WriteOnly))
        echouer("création du gros fichier");
    QByteArray bloc(1 << 20, 'k');
    for (qint64 ecrits = 0; ecrits < k_gros; ecrits += bloc.size()) {
        bloc[0] = char(ecrits >> 20);
        if (f.write(bloc) != bloc.size())
            echouer("création du gros fichier");
    }
}

void vide(const QString& nom) {
    QDir().mkpath(chemin(nom));
}

// Les fichiers du banc (la corbeille garde les siens à côté, sous d'autres noms).
int nombre(const QString& nom) {
    return int(QDir(chemin(nom)).entryList({u"P*.DAT"_s}, QDir::Files | QDir::Hidden).size());
}

double mesurer(const std::function<void()>& travail) {
    ::sync();
    QElapsedTimer t;
    t.start();
    travail();
    return double(t.nsecsElapsed()) / 1e6;
}

double commande(const QString& ligne) {
    return mesurer([&] {
        if (QProcess::execute(u"/bin/sh"_s, {u"-c"_s, ligne}) != 0)
            echouer("outil pair");
    });
}

struct Serie {
    QList<double> notre, pair, fin;
};

double mediane(QList<double> v) {
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

void afficher(const char* nom, const Serie& s, const char* outil) {
    QList<double> rapports;
    for (qsizetype i = 0; i < s.notre.size(); ++i)
        rapports << s.notre[i] / s.pair[i];
    const auto [nmin, nmax] = std::minmax_element(s.notre.begin(), s.notre.end());
    const auto [pmin, pmax] = std::minmax_element(s.pair.begin(), s.pair.end());
    const auto [rmin, rmax] = std::minmax_element(rapports.begin(), rapports.end());
    std::printf("%s;%.1f;%.1f;%s, %d tours : nous %.0f–%.0f, pair %.0f–%.0f, rapport "
                "%.2f–%.2f\n",
                nom, mediane(s.notre), mediane(s.pair), outil, int(s.notre.size()), *nmin, *nmax,
                *pmin, *pmax, *rmin, *rmax);
    if (!s.fin.isEmpty()) {
        const auto [fmin, fmax] = std::minmax_element(s.fin.begin(), s.fin.end());
        std::printf("%s : fin de commande jusqu'au repos;%.1f;100.0;visé, étendue %.1f–%.1f\n", nom,
                    mediane(s.fin), *fmin, *fmax);
    }
    (void)std::fflush(stdout);
}

class Banc {
public:
    Gestion_Fichiers f;

    // Les deux listes sur leurs répertoires, puis « Sélectionner tout ».
    void placer(const QString& source, const QString& destination) {
        f.Répertoire_srce->setPath(u"K:\\"_s + source);
        f.Fichier_srce->setPath(u"K:\\"_s + source);
        f.Répertoire_dest->setPath(u"K:\\"_s + destination);
        f.Fichier_dest->setPath(u"K:\\"_s + destination);
        if (f.sélection_totale)
            f.Sélecte_Click();
        f.Sélecte_Click();
        QApplication::processEvents();
    }

    // Durée de la commande jusqu'à la fenêtre au repos ; 'fin' : depuis le
    // dernier fichier traité (la liste qui le montre a changé pour la
    // dernière fois) jusqu'au repos.
    double lancer(const std::function<void()>& clic, QListWidget* suivie, double& fin) {
        QElapsedTimer dernier;
        const auto lien = QObject::connect(suivie->model(), &QAbstractItemModel::rowsInserted,
                                           [&] { dernier.start(); });
        const auto lien2 = QObject::connect(suivie->model(), &QAbstractItemModel::rowsRemoved,
                                            [&] { dernier.start(); });
        timespec cpu0{}, cpu1{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu0);
        double fin_clic = 0;
        const double ms = mesurer([&] {
            clic();
            fin_clic = dernier.isValid() ? double(dernier.nsecsElapsed()) / 1e6 : 0;
            QApplication::processEvents();
            QApplication::sendPostedEvents();
            QApplication::processEvents();
            fin = dernier.isValid() ? double(dernier.nsecsElapsed()) / 1e6 : 0;
        });
        // Essai rapide : la part du processeur dit ce qui attend le disque.
        if (qEnvironmentVariableIsSet("KALDRON_BANC_PETITS")) {
            clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu1);
            (void)std::fprintf(stderr,
                               "%.0f ms (processeur %.0f ms) ; fin : %.1f ms dans le gestionnaire, "
                               "%.1f ms en tout\n",
                               ms,
                               double(cpu1.tv_sec - cpu0.tv_sec) * 1e3 +
                                   double(cpu1.tv_nsec - cpu0.tv_nsec) / 1e6,
                               fin_clic, fin);
        }
        QObject::disconnect(lien);
        QObject::disconnect(lien2);
        return ms;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QDir(k_racine).removeRecursively();
    QDir().mkpath(k_racine + u"/kaldron"_s);
    {
        QFile ini(k_racine + u"/kaldron/KALDRON.INI"_s);
        const QByteArray texte = "[Options]\r\nConfirme=Non\r\nRemplace=Non\r\n";
        if (!ini.open(QIODevice::WriteOnly) || ini.write(texte) != texte.size())
            echouer("KALDRON.INI");
    }
    // Unité K: sur le répertoire du banc, sans toucher au vrai WIN.INI.
    QTemporaryDir windows;
    qputenv("KALDRON_WINDOWS", QFile::encodeName(windows.path()));
    qputenv("KALDRON_PROGRAMME", QFile::encodeName(k_racine + u"/kaldron"_s));
    plateforme::TableUnites::instance().ajouter(u'K', k_racine);
    SansQuestion sans_question;
    plateforme::installer_dialogues(&sans_question);
    vide(u"depart"_s);
    Banc b;
    b.f.Form_Load(true);
    b.f.espace_libre_de = [](const QString&) { return qint64(1) << 50; };
    b.f.Unité_srce->setDrive(u"k:"_s);
    b.f.Unité_dest->setDrive(u"k:"_s);
    b.f.show();
    QApplication::processEvents();
    // La corbeille est vidée à part : sa purge n'est pas ce qu'on mesure.
    Reglages& r = reglages();
    r.corbeille_active = false;

    Serie copie, deplace, efface, gros_fichier, moteur;
    for (int t = 0; t < k_tours; ++t) {
        const QString n = QString::number(t);
        // COPIER, puis cp -r de la même source vers un répertoire neuf.
        petits(u"s"_s + n, k_petits);
        vide(u"k"_s + n);
        b.placer(u"s"_s + n, u"k"_s + n);
        double fin = 0;
        copie.notre << b.lancer([&] { b.f.Copier_Click(); }, b.f.Fichier_dest, fin);
        copie.fin << fin;
        if (nombre(u"k"_s + n) != k_petits || b.f.Fichier_dest->listCount() != k_petits)
            echouer("COPIER n'a pas tout copié");
        copie.pair << commande(
            u"mkdir %1 && cp -r %2/. %1/"_s.arg(chemin(u"c"_s + n), chemin(u"s"_s + n)));
        // Le moteur seul, à côté, vers un autre répertoire neuf.
        vide(u"m"_s + n);
        int jauge = 0;
        const copie::Rappels rappels{[](bool) {}, [&jauge](int v) { jauge = v; },
                                     [] { return false; },
                                     [] { QCoreApplication::processEvents(); }};
        const QStringList noms = QDir(chemin(u"s"_s + n)).entryList(QDir::Files);
        moteur.notre << mesurer([&] {
            for (const QString& nom : noms)
                copie::copier_blocs(u"K:\\s"_s + n + u'\\' + nom, u"K:\\m"_s + n + u'\\' + nom,
                                    rappels);
        });
        moteur.pair << copie.pair.last();

        // DEPLACER dans l'unité, puis mv des fichiers d'une autre source neuve.
        vide(u"d"_s + n);
        b.placer(u"k"_s + n, u"d"_s + n);
        deplace.notre << b.lancer([&] { b.f.Déplacer_Click(); }, b.f.Fichier_dest, fin);
        deplace.fin << fin;
        if (nombre(u"d"_s + n) != k_petits || nombre(u"k"_s + n) != 0) {
            (void)std::fprintf(stderr, "%d arrivés, %d restent ; %s\n", nombre(u"d"_s + n),
                               nombre(u"k"_s + n), qPrintable(b.f.Ligne_message->text()));
            echouer("DEPLACER n'a pas tout déplacé");
        }
        vide(u"dp"_s + n);
        deplace.pair << commande(
            u"cd %1 && mv -- * %2/"_s.arg(chemin(u"c"_s + n), chemin(u"dp"_s + n)));

        // EFFACER GLOBAL vers la corbeille, puis mv dans un seul répertoire.
        r.taille_corbeille_texte = u"10000000"_s;
        r.taille_corbeille = 10000000;
        r.corbeille_active = true;
        Ouvrir_corbeille();
        b.placer(u"d"_s + n, u"depart"_s);
        efface.notre << b.lancer([&] { b.f.Effacer_Click(); }, b.f.Fichier_srce, fin);
        efface.fin << fin;
        if (nombre(u"d"_s + n) != 0) {
            (void)std::fprintf(stderr, "%d restent ; %s\n", nombre(u"d"_s + n),
                               qPrintable(b.f.Ligne_message->text()));
            echouer("EFFACER n'a pas tout effacé");
        }
        vide(u"ep"_s + n);
        efface.pair << commande(
            u"cd %1 && mv -- * %2/"_s.arg(chemin(u"dp"_s + n), chemin(u"ep"_s + n)));
        r.corbeille_active = false;
        // Ménage hors mesure : les tours suivants écrivent ailleurs.
        for (const QString& d : {u"s"_s, u"k"_s, u"c"_s, u"m"_s, u"d"_s, u"dp"_s, u"ep"_s})
            QDir(chemin(d + n)).removeRecursively();
        b.placer(u"depart"_s, u"depart"_s);
    }
    for (int t = 0; t < k_tours_gros; ++t) {
        const QString n = QString::number(t);
        gros(u"g"_s + n);
        vide(u"kg"_s + n);
        b.placer(u"g"_s + n, u"kg"_s + n);
        double fin = 0;
        gros_fichier.notre << b.lancer([&] { b.f.Copier_Click(); }, b.f.Fichier_dest, fin);
        if (QFileInfo(chemin(u"kg"_s + n) + u"/gros.bin"_s).size() != k_gros)
            echouer("COPIER du gros fichier incomplet");
        vide(u"cg"_s + n);
        gros_fichier.pair << commande(u"dd if=%1/gros.bin of=%2/gros.bin bs=8192 status=none"_s.arg(
            chemin(u"g"_s + n), chemin(u"cg"_s + n)));
        for (const QString& d : {u"g"_s, u"kg"_s, u"cg"_s})
            QDir(chemin(d + n)).removeRecursively();
        b.placer(u"depart"_s, u"depart"_s);
    }
    afficher("COPIER 10 000 × 4 Kio (fenêtre)", copie, "cp -r");
    afficher("COPIER 10 000 × 4 Kio (moteur seul)", moteur, "cp -r");
    afficher("DEPLACER 10 000 × 4 Kio dans l'unité (fenêtre)", deplace, "mv");
    afficher("EFFACER GLOBAL 10 000 × 4 Kio vers la corbeille (fenêtre)", efface,
             "mv dans un répertoire");
    afficher("COPIER 1 Gio (fenêtre)", gros_fichier, "dd bs=8192");
    plateforme::installer_dialogues(nullptr);
    QDir(k_racine).removeRecursively();
    return 0;
}
