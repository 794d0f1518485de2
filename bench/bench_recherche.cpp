// Banc d'essai de CHERCHER, par la commande même : bouton CHERCHER de la
// fenêtre principale, critères saisis puis OK, fenêtre des résultats
// remplie pendant le balayage, tout sélectionné puis OK, jusqu'au retour du
// bouton. Arborescence de 50 000 répertoires et 200 000 fichiers, neuve à
// chaque essai ; deux recherches : 300 trouvés (« cible*.txt ») et 50 000
// (« img*.png »). La première construit l'arbre de l'unité, la suivante
// reprend l'arbre gardé ; chacune est comparée à find -iname lancé dans le
// même essai, sur la même arborescence. Le balayage seul est mesuré à côté.
// Sortie : lignes « NOM;notre_ms;pair_ms;pair » (médianes) ; le détail des
// essais (étendue, rapport essai par essai) va sur la sortie d'erreur.
#include "manager/common/etat_commande.h"
#include "manager/main_window/gestion_fichiers.h"
#include "manager/search/cde_chercher.h"
#include "manager/search/cherche_fichier.h"
#include "manager/search/moteur_recherche.h"
#include "mesure_banc.h"
#include "platform/dialogues.h"
#include "platform/parcours.h"
#include "platform/unites.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// 20 × 10 × 249 feuilles + 220 intermédiaires = 50 020 répertoires ; quatre
// fichiers par répertoire sauf la racine et les 20 premiers : 200 000.
constexpr int k_hauts = 20;
constexpr int k_milieux = 10;
constexpr int k_feuilles = 249;
constexpr int k_pas_cible = 166; // une feuille sur 166 : 300 cibles
constexpr int k_essais = 3;
// KALDRON_BANC_ESSAIS : moins d'essais, pour un coup d'œil.
int essais() {
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("KALDRON_BANC_ESSAIS", &ok);
    return ok && n > 0 ? n : k_essais;
}
const QString k_base = u"/tmp/kaldron-banc-recherche"_s;

void echouer(const char* quoi) {
    (void)std::fprintf(stderr, "bench_recherche : %s\n", quoi);
    std::exit(1);
}

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

// Le même décompte que la création : un numéro par répertoire de fichiers.
int cibles_attendues() {
    int cibles = 0, n = 0;
    for (int g = 0; g < k_hauts * k_milieux; ++g) {
        ++n; // le répertoire du milieu
        for (int f = 0; f < k_feuilles; ++f, ++n)
            cibles += n % k_pas_cible == 0;
    }
    return cibles;
}

struct Chronometre {
    QElapsedTimer t;
    Chronometre() { t.start(); }
    double ms() const { return double(t.nsecsElapsed()) / 1e6; }
};

double par_find(const QString& racine, const QString& motif, int attendu) {
    const Chronometre c;
    QProcess find;
    find.start(u"find"_s, {racine, u"-iname"_s, motif});
    if (!find.waitForFinished(-1) || find.exitCode() != 0)
        echouer("find");
    const double ms = c.ms();
    if (find.readAllStandardOutput().count('\n') != attendu)
        echouer("find ne trouve pas le compte attendu");
    return ms;
}

// Bouton CHERCHER : les deux fenêtres répondues depuis la boucle
// d'événements, comme l'usager (critères, OK ; tout sélectionner, OK).
double par_chercher(Gestion_Fichiers& f, const QString& motif, int attendu) {
    auto* minuterie = new QTimer(&f);
    minuterie->setInterval(1);
    auto etape = std::make_shared<int>(0); // une réponse par fenêtre, pas deux
    QObject::connect(minuterie, &QTimer::timeout, &f, [&f, motif, etape] {
        Cde_Chercher* cde = f.cde_chercher;
        if (!cde)
            return;
        // Le clic part de la boucle, pas d'ici : la fenêtre qu'il ouvre a sa
        // propre boucle, où cette minuterie doit encore tourner.
        if (*etape == 0 && cde->isVisible()) {
            *etape = 1;
            cde->Fichiers_cherchés->setText(motif);
            cde->Fichiers_exclus->clear();
            QMetaObject::invokeMethod(cde->Ok, &QPushButton::click, Qt::QueuedConnection);
        } else if (*etape == 1 && cde->résultats->isVisible() && f.résultats_recherche &&
                   cde->résultats->Ok->isVisible()) {
            *etape = 2;
            cde->résultats->Liste_sél->selectAll();
            QMetaObject::invokeMethod(cde->résultats->Ok, &QPushButton::click,
                                      Qt::QueuedConnection);
        }
    });
    minuterie->start();
    const Chronometre c;
    f.Chercher_Click();
    const double ms = c.ms();
    delete minuterie;
    if (f.Fichier_sél->count() != attendu)
        echouer("CHERCHER ne trouve pas le compte attendu");
    return ms;
}

// Le moteur seul, sur l'arbre gardé par la fenêtre.
double balayage_seul(Gestion_Fichiers& f, const QString& motif, int attendu) {
    const Chronometre c;
    recherche::Balayage b(f.Liste_rép, f.contenus_rép, {motif, QString(), false});
    while (b.suivant()) {
    }
    const double ms = c.ms();
    if (b.trouves().size() != attendu)
        echouer("balayage : compte inattendu");
    return ms;
}

// Aucune question n'est attendue : une boîte de message arrête le banc,
// avec son texte, au lieu de l'attendre sans fin.
class SansQuestion : public plateforme::ServiceDialogues {
public:
    int message(const QString& texte, int, const QString& titre) override {
        (void)std::fprintf(stderr, "bench_recherche : message inattendu (%s) : %s\n",
                           qPrintable(titre), qPrintable(texte));
        std::exit(1);
    }
    QString saisie(const QString& invite, const QString& titre, const QString&) override {
        return QString::number(message(invite, 0, titre));
    }
    int message_dialogue(const QString& texte, const QString&, const QString&, const QString&,
                         const QString&, const QString& titre) override {
        return message(texte, 0, titre);
    }
    QString ouvrir_fichier(const QString& titre, const QString&, const QString&) override {
        return QString::number(message(u"ouvrir"_s, 0, titre));
    }
    QString enregistrer_fichier(const QString& titre, const QString&, const QString&) override {
        return QString::number(message(u"enregistrer"_s, 0, titre));
    }
    void bip() override {}
};

struct Series {
    std::vector<double> premiere, suivante, find, moteur;
};

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QDir(k_base).removeRecursively();
    QDir().mkpath(k_base + u"/kaldron"_s);
    QFile ini(k_base + u"/kaldron/KALDRON.INI"_s);
    if (!ini.open(QIODevice::WriteOnly) || ini.write("[Options]\r\n") < 0)
        echouer("KALDRON.INI");
    ini.close();
    // L'unité de départ de la fenêtre, hors des arborescences mesurées.
    plateforme::TableUnites::instance().ajouter(u'C', k_base + u"/kaldron"_s);
    SansQuestion sans_question;
    plateforme::installer_dialogues(&sans_question);
    QTemporaryDir windows;
    qputenv("KALDRON_WINDOWS", QFile::encodeName(windows.path()));
    qputenv("KALDRON_PROGRAMME", QFile::encodeName(k_base + u"/kaldron"_s));

    // Arborescences neuves, toutes faites avant la première mesure : aucune
    // mesure ne suit une suppression, et chacune a passé le tic des horloges
    // de fichiers (sinon ses répertoires seraient relus à chaque recherche).
    const int n_essais = essais();
    for (int essai = 0; essai < n_essais; ++essai)
        creer_arborescence(k_base + u"/essai"_s + QString::number(essai));
    std::this_thread::sleep_for(std::chrono::seconds(4));

    struct Cas {
        const char* nom;
        QString motif;
        QString motif_find;
        int attendu;
    };
    const Cas cas[] = {{"300 trouvés", u"cible*.txt"_s, u"cible*.txt"_s, cibles_attendues()},
                       {"50 000 trouvés", u"img*.png"_s, u"img*.png"_s, 50000}};
    Series series[2];
    for (int essai = 0; essai < n_essais; ++essai) {
        const QString racine = k_base + u"/essai"_s + QString::number(essai);
        for (int i = 0; i < 2; ++i) {
            // Une unité neuve : la fenêtre ne connaît pas encore son arbre.
            const QChar lettre(u'K' + i);
            plateforme::TableUnites::instance().ajouter(lettre, racine);
            Gestion_Fichiers f;
            f.Form_Load(true);
            f.Unité_srce->setDrive(QString(lettre).toLower() + u':');
            const Cas& c = cas[i];
            // Le pair avant ou après, tour à tour : aucun ne profite toujours
            // de l'autre.
            const bool find_avant = essai % 2 == 0;
            double find = find_avant ? par_find(racine, c.motif_find, c.attendu) : 0;
            series[i].premiere.push_back(par_chercher(f, c.motif, c.attendu));
            series[i].suivante.push_back(par_chercher(f, c.motif, c.attendu));
            if (!find_avant)
                find = par_find(racine, c.motif_find, c.attendu);
            series[i].find.push_back(find);
            series[i].moteur.push_back(balayage_seul(f, recherche::normaliser(c.motif), c.attendu));
        }
    }
    for (int i = 0; i < 2; ++i) {
        const std::string nom = cas[i].nom;
        afficher_serie(("CHERCHER première, " + nom).c_str(), series[i].premiere, series[i].find,
                       "find -iname");
        afficher_serie(("CHERCHER suivante, " + nom).c_str(), series[i].suivante, series[i].find,
                       "find -iname");
        afficher_serie(("balayage seul (arbre gardé), " + nom).c_str(), series[i].moteur,
                       series[i].find, "find -iname");
    }
    QDir(k_base).removeRecursively();
    return 0;
}
