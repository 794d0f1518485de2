// Banc d'essai du visualiseur par le chemin de l'utilisateur : le fichier est
// ouvert par Charger_fichier sur le vrai cadre (Editeur montré, boucle
// d'événements vivante) ; on mesure le premier écran peint, ctrl+Fin sur la
// vue jusqu'à la dernière ligne peinte, et la mémoire de pointe au-dessus de
// celle du cadre prêt. Chaque essai tourne dans son propre processus, sur un
// fichier fait pour lui ; xxd (sortie jetée) est lancé sur le même fichier,
// essai par essai. Dernière mesure : ouverture d'un texte de 50 Mio (lecteur
// seul) comparée à cat.
// Sortie : une ligne « NOM;notre;pair;outil » par mesure (médianes ; les
// bornes sont dans le nom).
#include "essai_isole.h"
#include "platform/unites.h"
#include "viewer/core/texte.h"
#include "viewer/core/vidage.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/vue_table.h"
#include "viewer/ui/vue_vidage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

using namespace morvine;
using namespace Qt::StringLiterals;

namespace {

constexpr qint64 k_mio = qint64(1024) * 1024;

void echec(const char* quoi) {
    (void)std::fprintf(stderr, "bench_morvine_vidage : %s\n", quoi);
    std::exit(1);
}

int essais() {
    const int n = qEnvironmentVariableIntValue("BANC_ESSAIS");
    return n > 0 ? n : 3;
}

struct Serie {
    QList<double> valeurs;
    double mediane() const {
        QList<double> v = valeurs;
        std::sort(v.begin(), v.end());
        return v.isEmpty()    ? 0
               : v.size() % 2 ? v[v.size() / 2]
                              : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }
    QString bornes() const {
        if (valeurs.isEmpty())
            return u"-"_s;
        const auto [bas, haut] = std::minmax_element(valeurs.begin(), valeurs.end());
        return u"%1–%2"_s.arg(*bas, 0, 'f', 1).arg(*haut, 0, 'f', 1);
    }
};

void afficher(const QString& nom, double notre, double pair, const char* outil) {
    std::printf("%s;%.3f;%.3f;%s\n", nom.toUtf8().constData(), notre, pair, outil);
    (void)std::fflush(stdout);
}

// Ce que le processus d'essai renvoie par son tube.
struct Resultat {
    double premier_ecran_ms = 0;
    double fin_ms = 0;
    double pointe_mio = 0; // au-dessus du cadre prêt
    int ok = 0;
};

// Compte les peintures d'un widget.
class Peintures : public QObject {
public:
    int n = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++n;
        return false;
    }
};

// Tourne la boucle jusqu'à une peinture de plus que 'avant', puis la laisse
// finir ; faux après une minute.
bool attendre_peinture(const Peintures& p, int avant) {
    QElapsedTimer limite;
    limite.start();
    while (p.n <= avant) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        if (limite.elapsed() > 60000)
            return false;
    }
    QApplication::processEvents();
    return true;
}

// Dans le processus d'essai : cadre prêt, fichier ouvert par Charger_fichier,
// ctrl+Fin sur la vue ; 'verifier' regarde la ligne courante au bout.
Resultat essai_fenetre(const QString& chemin, bool table,
                       const std::function<bool(QAbstractItemView*)>& verifier) {
    int argc = 1;
    char nom[] = "bench_morvine_vidage";
    char* argv[] = {nom, nullptr};
    QApplication application(argc, argv);
    Editeur editeur;
    editeur.MDIForm_Load();
    QApplication::processEvents();
    // Mémoire de départ : le cadre prêt ; la pointe repart d'ici.
    {
        QFile raz(u"/proc/self/clear_refs"_s);
        if (raz.open(QIODevice::WriteOnly))
            raz.write("5");
    }
    const qint64 base = kio_de("VmRSS:");
    Resultat r;
    QElapsedTimer chrono;
    chrono.start();
    editeur.Charger_fichier(chemin, {});
    Fenêtre* f = editeur.fenetre_active();
    if (editeur.Echec_chargement || !f)
        return r;
    QAbstractItemView* vue = table ? static_cast<QAbstractItemView*>(f->Grille1)
                                   : static_cast<QAbstractItemView*>(f->Dump);
    Peintures peintures;
    vue->viewport()->installEventFilter(&peintures);
    if (!attendre_peinture(peintures, 0))
        return r;
    r.premier_ecran_ms = double(chrono.nsecsElapsed()) / 1e6;
    vue->setFocus();
    QApplication::processEvents();
    const int avant = peintures.n;
    chrono.restart();
    QKeyEvent appui(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QKeyEvent relache(QEvent::KeyRelease, Qt::Key_End, Qt::ControlModifier);
    QApplication::sendEvent(vue, &appui);
    QApplication::sendEvent(vue, &relache);
    if (!attendre_peinture(peintures, avant))
        return r;
    r.fin_ms = double(chrono.nsecsElapsed()) / 1e6;
    r.pointe_mio = double(kio_de("VmHWM:") - base) / 1024.0;
    r.ok = verifier(vue) ? 1 : 0;
    f->sous_fenetre()->close();
    return r;
}

Resultat essai_isole(const std::function<Resultat()>& essai) {
    Resultat r;
    if (!dans_un_processus(essai, r) || !r.ok)
        echec("un essai par la fenêtre a échoué");
    return r;
}

// Outil pair, sortie jetée ; rend sa durée en ms.
double pair(const char* programme, const QString& chemin) {
    const auto debut = std::chrono::steady_clock::now();
    const pid_t fils = ::fork();
    if (fils == 0) {
        const int nul = ::open("/dev/null", O_WRONLY);
        ::dup2(nul, 1);
        const QByteArray c = QFile::encodeName(chemin);
        ::execlp(programme, programme, c.constData(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int statut = 0;
    if (fils < 0 || ::waitpid(fils, &statut, 0) != fils || !WIFEXITED(statut) ||
        WEXITSTATUS(statut) != 0)
        echec("outil pair");
    const std::chrono::duration<double, std::milli> duree =
        std::chrono::steady_clock::now() - debut;
    return duree.count();
}

QString fichier_aleatoire(const QString& chemin, qint64 taille, quint32 graine) {
    QFile fichier(chemin);
    if (!fichier.open(QIODevice::WriteOnly | QIODevice::Truncate))
        echec("création du fichier source");
    QRandomGenerator generateur(graine);
    QByteArray bloc(k_mio, Qt::Uninitialized);
    for (qint64 fait = 0; fait < taille; fait += bloc.size()) {
        generateur.fillRange(reinterpret_cast<quint32*>(bloc.data()), bloc.size() / 4);
        if (fichier.write(bloc.constData(), std::min<qint64>(bloc.size(), taille - fait)) < 0)
            echec("écriture du fichier source");
    }
    return fichier.fileName();
}

// Dernière ligne attendue du vidage d'un fichier.
QString derniere_ligne(const QString& chemin) {
    QFile fichier(chemin);
    if (!fichier.open(QIODevice::ReadOnly))
        echec("relecture");
    const qint64 debut = (fichier.size() - 1) / 16 * 16;
    fichier.seek(debut);
    const QByteArray octets = fichier.read(16);
    return QString::fromLatin1(formater_ligne_hex(
        debut, reinterpret_cast<const uchar*>(octets.constData()), int(octets.size())));
}

void vidage(const QTemporaryDir& dossier, qint64 taille, const QString& nom) {
    Serie premier, fin, pointe, xxd;
    for (int i = 0; i < essais(); ++i) {
        // Un fichier neuf par essai, de contenu différent.
        const QString source =
            fichier_aleatoire(dossier.filePath(u"SOURCE%1.BIN"_s.arg(i)), taille + 7, 7 + i);
        const QString attendu = derniere_ligne(source);
        const Resultat r = essai_isole([&] {
            return essai_fenetre(source, false, [&](QAbstractItemView* v) {
                return v->currentIndex().row() == v->model()->rowCount() - 1 &&
                       v->currentIndex().data().toString() == attendu;
            });
        });
        premier.valeurs << r.premier_ecran_ms;
        fin.valeurs << r.fin_ms;
        pointe.valeurs << r.pointe_mio;
        xxd.valeurs << pair("xxd", source);
        QFile::remove(source);
    }
    afficher(
        u"vidage %1, premier écran (%2 ms ; xxd %3)"_s.arg(nom, premier.bornes(), xxd.bornes()),
        premier.mediane(), xxd.mediane(), "xxd");
    afficher(u"vidage %1, ctrl+Fin peint (%2 ms)"_s.arg(nom, fin.bornes()), fin.mediane(), 0, "-");
    afficher(u"vidage %1, pointe au-dessus du départ, Mio (%2)"_s.arg(nom, pointe.bornes()),
             pointe.mediane(), 0, "Mio");
}

// Table dBase : cinq champs, une fiche sur dix supprimée.
QString table_dbase(const QString& chemin, int fiches, quint32 graine) {
    QFile fichier(chemin);
    if (!fichier.open(QIODevice::WriteOnly | QIODevice::Truncate))
        echec("création de la table");
    struct Champ {
        const char* nom;
        char type;
        int longueur;
    };
    const Champ champs[] = {{"NOM", 'C', 20},
                            {"NE_LE", 'D', 8},
                            {"ACTIF", 'L', 1},
                            {"VILLE", 'C', 15},
                            {"SOLDE", 'N', 10}};
    int longueur = 1;
    QByteArray tete(32, '\0');
    for (const Champ& c : champs)
        longueur += c.longueur;
    tete[0] = 3;
    tete[10] = char(longueur & 255);
    tete[11] = char(longueur >> 8);
    for (const Champ& c : champs) {
        QByteArray d(32, '\0');
        d.replace(0, qsizetype(std::strlen(c.nom)), c.nom);
        d[11] = c.type;
        d[16] = char(c.longueur);
        tete += d;
    }
    tete += '\r';
    fichier.write(tete);
    QRandomGenerator generateur(graine);
    QByteArray bloc;
    for (int n = 0; n < fiches; ++n) {
        bloc += n % 10 == 9 ? '*' : ' ';
        bloc += ("Nom " + QByteArray::number(generateur.bounded(1000000))).leftJustified(20);
        bloc += "19980315";
        bloc += n % 2 ? 'T' : 'F';
        bloc += QByteArray("Ville").leftJustified(15);
        bloc += QByteArray::number(generateur.bounded(100000)).rightJustified(10);
        if (bloc.size() >= k_mio) {
            fichier.write(bloc);
            bloc.clear();
        }
    }
    fichier.write(bloc + '\x1a');
    return fichier.fileName();
}

void table(const QTemporaryDir& dossier, int fiches) {
    Serie premier, fin, pointe;
    const int lignes = fiches - fiches / 10;
    for (int i = 0; i < essais(); ++i) {
        const QString source = table_dbase(dossier.filePath(u"T%1.DBF"_s.arg(i)), fiches, 11 + i);
        const Resultat r = essai_isole([&] {
            return essai_fenetre(source, true, [&](QAbstractItemView* v) {
                return v->currentIndex().row() == lignes - 1 &&
                       v->model()->headerData(lignes - 1, Qt::Vertical).toString() ==
                           QString::number(lignes);
            });
        });
        premier.valeurs << r.premier_ecran_ms;
        fin.valeurs << r.fin_ms;
        pointe.valeurs << r.pointe_mio;
        QFile::remove(source);
    }
    const QString nom = u"table dBase de %1 fiches"_s.arg(fiches);
    afficher(u"%1, premier écran (%2 ms)"_s.arg(nom, premier.bornes()), premier.mediane(), 0, "-");
    afficher(u"%1, ctrl+Fin peint (%2 ms)"_s.arg(nom, fin.bornes()), fin.mediane(), 0, "-");
    afficher(u"%1, pointe au-dessus du départ, Mio (%2)"_s.arg(nom, pointe.bornes()),
             pointe.mediane(), 0, "Mio");
}

// Lecteur seul (pas de fenêtre) : la lecture d'un texte de 50 Mio.
void texte_50_mio(const QTemporaryDir& dossier) {
    const QString source = fichier_aleatoire(dossier.filePath(u"TEXTE50.TXT"_s), 50 * k_mio, 5);
    Serie notre, cat;
    for (int i = 0; i < essais(); ++i) {
        const auto debut = std::chrono::steady_clock::now();
        const std::optional<QString> texte = lire_texte(source);
        const std::chrono::duration<double, std::milli> duree =
            std::chrono::steady_clock::now() - debut;
        if (!texte || texte->size() != 50 * k_mio)
            echec("lecture du texte");
        notre.valeurs << duree.count();
        cat.valeurs << pair("cat", source);
    }
    QFile::remove(source);
    afficher(
        u"lecture seule d'un texte de 50 Mio (%1 ms ; cat %2)"_s.arg(notre.bornes(), cat.bornes()),
        notre.mediane(), cat.mediane(), "cat");
}

} // namespace

int main() {
    // Pas d'application ici : chaque essai fait la sienne dans son processus.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dossier;
    QTemporaryDir windows; // MORVINE.INI du banc
    if (!dossier.isValid() || !windows.isValid())
        echec("répertoire temporaire");
    qputenv("KALDRON_WINDOWS", QFile::encodeName(windows.path()));
    plateforme::TableUnites::instance().ajouter(u'C', dossier.path());
    // BANC_PARTIE=table : les seules tables dBase.
    const bool tout = qgetenv("BANC_PARTIE") != "table";
    if (tout) {
        vidage(dossier, 100 * k_mio, u"100 Mio"_s);
        vidage(dossier, 1024 * k_mio, u"1 Gio"_s);
    }
    table(dossier, 100000);
    table(dossier, 1000000);
    if (tout)
        texte_50_mio(dossier);
    return 0;
}
