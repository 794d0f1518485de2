// Noms hostiles : chaque commande de fichier agit sur exactement le fichier
// choisi ou refuse en français ; rien d'autre ne change sur l'unité, et
// aucun nom ne passe par un shell.
#include "essai_fenetre.h"
#include "manager/commands/info_fichiers.h"
#include "manager/recycle_bin/corbeille.h"
#include "manager/recycle_bin/fenetre_corbeille.h"
#include "manager/search/cde_chercher.h"
#include "manager/search/cherche_fichier.h"
#include "platform/chemins.h"
#include "platform/lancement.h"
#include "platform/profil.h"
#include "support/quand.h"
#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// 255 octets : la plus longue entrée qu'un répertoire accepte.
const QByteArray LONG = "\xc3\xa9\xc3\xa9" + QByteArray(247, 'x') + ".txt";

struct NomHostile {
    QByteArray octets;
    bool liste; // un chemin DOS sait le dire : la liste le montre
};

const QList<NomHostile> NOMS = {
    {" debut.txt", true},
    {"fin.txt ", true},
    {"l'apostrophe.txt", true},
    {"point;virgule.txt", true},
    {";touch PWNED", true},
    {"a&b.txt", true},
    {"$(touch PWNED).txt", true},
    {"`touch PWNED`", true},
    {"cent%PATH%.txt", true},
    {"chapeau^!.txt", true},
    {"-reverse", true},
    {"...", false}, // commence par un point : caché
    {"CON", true},
    {"nul.txt", true},
    {LONG, true},
    {"a.txt", true},
    {"A.TXT", true},
    {"guillemet\"double.txt", false},
    {"tube|x.txt", false},
    {"saut\nligne.txt", false},
    {"latin\xe9.txt", false},
    {"barre\\inverse.txt", false},
    {"deux:points.txt", false},
};

// Un chemin tel qu'un trouvé le montre : lettre d'unité en minuscule.
QString montre(const QString& dos) {
    return dos.left(1).toLower() + dos.mid(1);
}

QStringList noms_listes() {
    QStringList noms;
    for (const NomHostile& n : NOMS)
        if (n.liste)
            noms << QString::fromUtf8(n.octets);
    return noms;
}

// ------------------------------------------------------------ instantané

struct Etat {
    char genre = 'f'; // f, d, l
    qint64 taille = 0;
    QByteArray empreinte;
    unsigned droits = 0;
    QByteArray attributs_dos;
    bool operator==(const Etat&) const = default;
};
using Instantane = std::map<QByteArray, Etat>; // chemin relatif en octets

QByteArray empreinte(const QByteArray& chemin) {
    QCryptographicHash h(QCryptographicHash::Sha1);
    const int fd = ::open(chemin.constData(), O_RDONLY);
    char bloc[8192];
    for (ssize_t n; fd >= 0 && (n = ::read(fd, bloc, sizeof bloc)) > 0;)
        h.addData(QByteArrayView(bloc, n));
    if (fd >= 0)
        ::close(fd);
    return fd < 0 ? QByteArray("illisible") : h.result();
}

void parcourir(const QByteArray& racine, const QByteArray& relatif, Instantane& inst) {
    const QByteArray dossier = relatif.isEmpty() ? racine : racine + '/' + relatif;
    DIR* d = ::opendir(dossier.constData());
    QVERIFY(d);
    while (const dirent* e = ::readdir(d)) {
        const QByteArray nom(e->d_name);
        // Le répertoire du programme tient ses réglages, écrits à chaque commande.
        if (nom == "." || nom == ".." || (relatif.isEmpty() && nom == "kaldron"))
            continue;
        const QByteArray rel = relatif.isEmpty() ? nom : relatif + '/' + nom;
        const QByteArray chemin = racine + '/' + rel;
        struct stat st {};
        QVERIFY(::lstat(chemin.constData(), &st) == 0);
        Etat etat;
        etat.genre = S_ISDIR(st.st_mode) ? 'd' : S_ISLNK(st.st_mode) ? 'l' : 'f';
        etat.droits = st.st_mode & 07777;
        char attributs[64];
        const ssize_t n = ::lgetxattr(chemin.constData(), "user.DOSATTRIB", attributs, 64);
        etat.attributs_dos = n > 0 ? QByteArray(attributs, int(n)) : QByteArray();
        if (etat.genre == 'f') {
            etat.taille = st.st_size;
            etat.empreinte = empreinte(chemin);
        }
        inst[rel] = etat;
        if (etat.genre == 'd')
            parcourir(racine, rel, inst);
    }
    ::closedir(d);
}

// Chemins ajoutés, disparus ou changés d'un instantané à l'autre.
QSet<QByteArray> changes(const Instantane& avant, const Instantane& apres) {
    QSet<QByteArray> c;
    for (const auto& [chemin, etat] : avant) {
        const auto it = apres.find(chemin);
        if (it == apres.end() || !(it->second == etat))
            c.insert(chemin);
    }
    for (const auto& [chemin, etat] : apres)
        if (!avant.count(chemin))
            c.insert(chemin);
    return c;
}

QSet<QByteArray> ensemble(const QList<QByteArray>& chemins) {
    return QSet<QByteArray>(chemins.begin(), chemins.end());
}

// Un refus se dit en français : jamais le texte brut du système.
bool francais(const QString& texte) {
    static const QStringList anglais{u"No such"_s, u"denied"_s,           u"too long"_s,
                                     u"exists"_s,  u"Invalid argument"_s, u"error"_s};
    return !texte.isEmpty() && std::none_of(anglais.begin(), anglais.end(), [&](const QString& a) {
        return texte.contains(a, Qt::CaseInsensitive);
    });
}

using essai::quand;

} // namespace

class TestNomsHostiles : public EssaiFenetre {
    Q_OBJECT

    QTemporaryDir sorties; // hors de l'unité : le témoin n'y change rien
    QByteArray racine;

    QByteArray hote(const QByteArray& relatif) const { return racine + '/' + relatif; }
    QByteArray doc(const QString& nom) const { return "doc/" + nom.toUtf8(); }

    void creer(const QByteArray& relatif, const QByteArray& contenu, mode_t droits = 0644) {
        const int fd = ::open(hote(relatif).constData(), O_WRONLY | O_CREAT | O_EXCL, droits);
        QVERIFY2(fd >= 0, relatif.constData());
        QCOMPARE(::write(fd, contenu.constData(), size_t(contenu.size())), contenu.size());
        ::close(fd);
    }
    void creer_dossier(const QByteArray& relatif) { QCOMPARE(::mkdir(hote(relatif), 0755), 0); }

    // C:\doc : toute la table, chaque fichier avec son contenu ; un dossier
    // au nom hostile et un qu'aucun chemin DOS ne dit ; C:\dest vide ;
    // C:\bin\ecrire_argv, le programme témoin.
    void charger() {
        racine = QFile::encodeName(c->hote(u""_s));
        for (const char* rep : {"doc", "dest", "bin", "doc/r\xc3\xa9p & $(x) ;", "doc/cach\xe9:x"})
            creer_dossier(rep);
        for (const NomHostile& n : NOMS)
            creer("doc/" + n.octets, "contenu de " + n.octets);
        creer("doc/r\xc3\xa9p & $(x) ;/dedans.txt", "dedans");
        creer("doc/cach\xe9:x/cache.txt", "cache");
        QVERIFY(QFile::copy(QStringLiteral(ECRIRE_ARGV), c->hote(u"bin/ecrire_argv"_s)));
        qputenv("ECRIRE_ARGV_SORTIE", QFile::encodeName(sorties.filePath(u"argv"_s)));
        // Le témoin, en mode texte, part dans le terminal des essais.
        qputenv("KALDRON_TERMINAL", TERMINAL_ESSAI);
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        f->espace_libre_de = [](const QString&) { return qint64(1) << 40; };
        f->Unité_srce->setDrive(u"C:"_s);
        aller(c->dos(u"doc"_s), c->dos(u"dest"_s));
    }
    void aller(const QString& source, const QString& destination) {
        f->Répertoire_srce->setPath(source);
        f->Fichier_srce->setPath(source);
        f->Répertoire_dest->setPath(destination);
        f->Fichier_dest->setPath(destination);
        etat_commande().liste_parcourue = f->Fichier_srce;
    }

    // Choisit le seul fichier 'nom' de la SOURCE.
    bool choisir(const QString& nom) {
        f->Fichier_srce->clearSelection();
        int trouve = -1;
        for (int i = 0; i < f->Fichier_srce->listCount(); ++i)
            if (f->Fichier_srce->list(i) == nom)
                trouve = i;
        if (trouve < 0)
            return false;
        f->Fichier_srce->setSelected(trouve, true);
        f->Ligne_message->setText(u"   1 fichier(s) sélectionné(s)"_s);
        etat_commande().curseur = 0;
        return true;
    }

    Instantane instantane() {
        Instantane inst;
        parcourir(racine, {}, inst);
        return inst;
    }

    // Ce que le témoin a reçu : répertoire puis arguments ; attend sa sortie.
    QList<QByteArray> recus() {
        const QString sortie = sorties.filePath(u"argv"_s);
        if (!QTest::qWaitFor([&] { return QFile::exists(sortie); }, 5000))
            return {"rien reçu"};
        QFile fichier(sortie);
        if (!fichier.open(QIODevice::ReadOnly))
            return {"illisible"};
        QList<QByteArray> morceaux = fichier.readAll().split('\0');
        morceaux.removeLast();
        fichier.remove();
        return morceaux;
    }

    // Le refus attendu : une seule question, en français ; rien n'a changé.
    void verifier_refus(const Instantane& avant, const QString& contient) {
        QCOMPARE(d->questions().size(), 1);
        QVERIFY2(francais(d->dernier().texte), qPrintable(d->dernier().texte));
        QVERIFY2(d->dernier().texte.contains(contient), qPrintable(d->dernier().texte));
        QCOMPARE(changes(avant, instantane()), QSet<QByteArray>());
    }

    void remettre_dialogues() {
        QVERIFY(d->verifier());
        d = std::make_unique<essai::DialoguesScriptes>();
    }

private slots:
    void init() {
        monter();
        etat_corbeille().reinitialiser();
        charger();
    }
    void cleanup() {
        qunsetenv("ECRIRE_ARGV_SORTIE");
        qunsetenv("KALDRON_TERMINAL");
        // QDir ne sait pas effacer un nom qui n'est pas en UTF-8.
        for (const char* nom : {"doc/latin\xe9.txt", "doc/cach\xe9:x/cache.txt"})
            ::unlink(hote(nom).constData());
        ::rmdir(hote("doc/cach\xe9:x").constData());
        const bool ok = demonter();
        etat_corbeille().reinitialiser();
        QVERIFY(ok);
    }

    // La liste montre chaque nom exprimable une fois, tel qu'il est sur le
    // disque, et aucun de ceux qu'un chemin DOS ne sait pas dire.
    void liste_exacte() {
        QStringList montres;
        for (int i = 0; i < f->Fichier_srce->listCount(); ++i)
            montres << f->Fichier_srce->list(i);
        montres.sort();
        QStringList attendus = noms_listes();
        attendus.sort();
        QCOMPARE(montres, attendus);
        QCOMPARE(f->Répertoire_srce->sousRepertoires().size(), 1);
    }

    void copier() {
        for (const QString& nom : noms_listes()) {
            const Instantane avant = instantane();
            QVERIFY(choisir(nom));
            // A.TXT après a.txt : même nom DOS, la copie doit demander.
            const bool homonyme = nom == u"A.TXT"_s;
            if (homonyme)
                d->repondre(7);
            f->Copier_Click();
            const Instantane apres = instantane();
            if (homonyme) {
                QVERIFY(d->dernier().texte.startsWith(u"Le fichier A.TXT\rexiste déjà"_s));
                QCOMPARE(changes(avant, apres), QSet<QByteArray>());
                continue;
            }
            QCOMPARE(changes(avant, apres), ensemble({"dest/" + nom.toUtf8()}));
            QCOMPARE(apres.at("dest/" + nom.toUtf8()).empreinte, avant.at(doc(nom)).empreinte);
        }
        remettre_dialogues();
    }

    // Une DESTINATION qui tient A.TXT : copier a.txt demande toujours, même
    // sans la question des remplacements ; le même nom exact, non.
    void copier_sur_homonyme_data() {
        QTest::addColumn<QByteArray>("present");
        QTest::addColumn<bool>("option");
        QTest::addColumn<int>("reponse"); // 0 : aucune question attendue
        QTest::newRow("casse, sans option, non") << QByteArray("A.TXT") << false << 7;
        QTest::newRow("casse, sans option, oui") << QByteArray("A.TXT") << false << 6;
        QTest::newRow("casse, option, non") << QByteArray("A.TXT") << true << 7;
        QTest::newRow("même nom, sans option") << QByteArray("a.txt") << false << 0;
    }
    void copier_sur_homonyme() {
        QFETCH(QByteArray, present);
        QFETCH(bool, option);
        QFETCH(int, reponse);
        creer("dest/" + present, "autre fichier");
        f->Fichier_dest->rafraichir();
        reglages().remplace = option;
        const Instantane avant = instantane();
        QVERIFY(choisir(u"a.txt"_s));
        if (reponse)
            d->repondre(reponse);
        f->Copier_Click();
        const Instantane apres = instantane();
        QCOMPARE(d->questions().size(), reponse ? 1 : 0);
        if (reponse)
            QVERIFY(d->dernier().texte.startsWith(u"Le fichier a.txt\rexiste déjà"_s));
        if (reponse == 7) {
            QCOMPARE(changes(avant, apres), QSet<QByteArray>());
            return;
        }
        QCOMPARE(changes(avant, apres), ensemble({"dest/" + present}));
        QCOMPARE(apres.at("dest/" + present).empreinte, avant.at("doc/a.txt").empreinte);
    }

    void deplacer() {
        for (const QString& nom : noms_listes()) {
            const Instantane avant = instantane();
            QVERIFY(choisir(nom));
            const bool homonyme = nom == u"A.TXT"_s;
            if (homonyme)
                d->repondre(1);
            f->Déplacer_Click();
            if (homonyme) { // un déplacement ne remplace jamais
                verifier_refus(avant, u"Le fichier existe déjà"_s);
                remettre_dialogues();
                continue;
            }
            const Instantane apres = instantane();
            const QByteArray arrivee = "dest/" + nom.toUtf8();
            QCOMPARE(changes(avant, apres), ensemble({doc(nom), arrivee}));
            QCOMPARE(apres.at(arrivee), avant.at(doc(nom)));
        }
    }

    void renommer() {
        for (const QString& nom : noms_listes()) {
            const Instantane avant = instantane();
            QVERIFY(choisir(nom));
            const QString nouveau = u"R"_s + nom;
            d->repondre_saisie(nouveau);
            // Trop long, ou RA.TXT quand Ra.txt vient d'être fait : refus.
            const bool refuse = nouveau.toUtf8().size() > 255 || nom == u"A.TXT"_s;
            if (refuse)
                d->repondre(1);
            const qsizetype questions = d->questions().size();
            f->Renommer_Click();
            if (refuse) {
                QCOMPARE(d->questions().size(), questions + 2);
                QVERIFY2(francais(d->dernier().texte), qPrintable(d->dernier().texte));
                QCOMPARE(changes(avant, instantane()), QSet<QByteArray>());
                continue;
            }
            const Instantane apres = instantane();
            QCOMPARE(changes(avant, apres), ensemble({doc(nom), doc(nouveau)}));
            QCOMPARE(apres.at(doc(nouveau)), avant.at(doc(nom)));
        }
        remettre_dialogues();
    }

    // En mode répertoire : le dossier au nom hostile change de nom avec
    // son contenu, et rien d'autre ne bouge.
    void renommer_repertoire() {
        const QString dossier = u"rép & $(x) ;"_s;
        aller(c->dos(u"doc\\"_s + dossier), c->dos(u"dest"_s));
        etat_commande().mode_répertoire = true;
        const Instantane avant = instantane();
        d->repondre_saisie(u" $(y) & R"_s);
        f->Renommer_Click();
        QCOMPARE(d->dernier().defaut, dossier);
        const Instantane apres = instantane();
        const QByteArray ancien = doc(dossier), nouveau = doc(u" $(y) & R"_s);
        QCOMPARE(changes(avant, apres),
                 ensemble({ancien, ancien + "/dedans.txt", nouveau, nouveau + "/dedans.txt"}));
        QCOMPARE(apres.at(nouveau + "/dedans.txt"), avant.at(ancien + "/dedans.txt"));
        remettre_dialogues();
    }

    // Un nouveau nom qu'un chemin DOS refuse, ou celui de l'homonyme de
    // casse : refus en français, aucun changement.
    void renommer_refuse_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("nouveau");
        QTest::addColumn<QString>("message");
        QTest::newRow("homonyme de casse") << u"a.txt"_s << u"A.TXT"_s << u"existe déjà"_s;
        QTest::newRow("deux points") << u"a&b.txt"_s << u"x:y.txt"_s << u"Nom incorrect."_s;
        QTest::newRow("tube") << u"a&b.txt"_s << u"x|y.txt"_s << u"Nom incorrect."_s;
        QTest::newRow("guillemet") << u"a&b.txt"_s << u"x\"y"_s << u"Nom incorrect."_s;
        QTest::newRow("saut de ligne") << u"a&b.txt"_s << u"x\ny"_s << u"Nom incorrect."_s;
    }
    void renommer_refuse() {
        QFETCH(QString, nom);
        QFETCH(QString, nouveau);
        QFETCH(QString, message);
        const Instantane avant = instantane();
        QVERIFY(choisir(nom));
        d->repondre_saisie(nouveau);
        d->repondre(1);
        f->Renommer_Click();
        QCOMPARE(d->questions().size(), 2);
        QVERIFY2(francais(d->dernier().texte), qPrintable(d->dernier().texte));
        QVERIFY2(d->dernier().texte.contains(message), qPrintable(d->dernier().texte));
        QCOMPARE(changes(avant, instantane()), QSet<QByteArray>());
    }

    // EFFACER range le fichier sous un nom de corbeille à côté de lui ; la
    // fenêtre Corbeille le rend tel qu'il était.
    void effacer_puis_rendre() {
        Reglages& r = reglages();
        r.taille_corbeille_texte = u"9000"_s;
        r.taille_corbeille = 9000;
        r.corbeille_active = true;
        Ouvrir_corbeille();
        const Instantane origine = instantane();
        for (const QString& nom : noms_listes()) {
            const Instantane avant = instantane();
            QVERIFY(choisir(nom));
            d->repondre(6);
            f->Effacer_Click();
            const Instantane apres = instantane();
            QSet<QByteArray> reste = changes(avant, apres);
            QVERIFY(reste.remove(doc(nom)));
            QVERIFY(reste.remove("KALDRON.CRB"));
            QCOMPARE(reste.size(), 1);
            const QByteArray range = *reste.begin();
            QVERIFY2(range.startsWith("doc/crb") && range.size() == 16, range.constData());
            QCOMPARE(apres.at(range).empreinte, avant.at(doc(nom)).empreinte);
        }
        Corbeille w(f.get());
        w.Form_Load();
        for (const QString& nom : noms_listes()) {
            const QList<QListWidgetItem*> entrees =
                w.Fichier_effacé->findItems(c->dos(u"doc\\"_s + nom), Qt::MatchExactly);
            QCOMPARE(entrees.size(), 1);
            w.Fichier_effacé->clearSelection();
            entrees.first()->setSelected(true);
            // a.txt rendu, A.TXT porte le même nom DOS : un autre nom est
            // demandé ; sans réponse, il reste dans la corbeille, intact.
            if (nom == u"A.TXT"_s)
                d->repondre_saisie(QString());
            w.Récupérer_Click();
        }
        QVERIFY(d->dernier().texte.startsWith(u"Le fichier A.TXT existe déjà"_s));
        Instantane rendu = instantane();
        QVERIFY(rendu.erase("KALDRON.CRB"));
        Instantane attendu = origine;
        attendu.erase("KALDRON.CRB");
        QSet<QByteArray> reste = changes(attendu, rendu);
        QVERIFY(reste.remove("doc/A.TXT"));
        QCOMPARE(reste.size(), 1);
        QCOMPARE(rendu.at(*reste.begin()).empreinte, origine.at("doc/A.TXT").empreinte);
        QCOMPARE(entrees_corbeille().size(), 1);
        remettre_dialogues();
    }

    void infos_lecture_seule() {
        for (const QString& nom : noms_listes()) {
            const Instantane avant = instantane();
            QVERIFY(choisir(nom));
            Info_Fichiers w(f.get());
            w.Form_Load();
            QCOMPARE(w.windowTitle(), u"Informations sur "_s + nom);
            w.Lecture->click();
            d->repondre(6);
            w.Fin_Click();
            const Instantane apres = instantane();
            QCOMPARE(changes(avant, apres), ensemble({doc(nom)}));
            QCOMPARE(apres.at(doc(nom)).droits, avant.at(doc(nom)).droits & ~0222u);
            QCOMPARE(apres.at(doc(nom)).empreinte, avant.at(doc(nom)).empreinte);
            f->Rafraichir_affichage();
        }
        remettre_dialogues();
    }

    // CHERCHER trouve chaque nom exprimable une fois, montré tel qu'il est
    // sur le disque ; le résultat choisi (A.TXT, à côté de a.txt) est celui
    // que la commande suivante copie, pas son homonyme.
    void chercher_puis_copier() {
        auto* cde = new Cde_Chercher(f.get());
        f->cde_chercher = cde;
        Cherche_Fichier* res = cde->résultats;
        QStringList trouves;
        quand(
            f.get(), [&] { return cde->isVisible(); },
            [&] {
                cde->Fichiers_cherchés->setText(u"*.txt"_s);
                cde->Fichiers_exclus->clear();
                cde->OK_Click();
            });
        quand(
            f.get(), [&] { return f->résultats_recherche && res->Liste_sél->count() > 0; },
            [&] {
                for (int i = 0; i < res->Liste_sél->count(); ++i) {
                    QListWidgetItem* e = res->Liste_sél->item(i);
                    trouves << e->text();
                    e->setSelected(e->data(Qt::UserRole).toString().endsWith(u"\\A.TXT"_s));
                }
                res->OK_Click();
            });
        f->Chercher_Click();
        QStringList attendus;
        for (const QString& nom : noms_listes())
            if (nom.endsWith(u".txt"_s, Qt::CaseInsensitive))
                attendus << montre(c->dos(u"doc\\"_s + nom));
        attendus << montre(c->dos(u"doc\\rép & $(x) ;\\dedans.txt"_s));
        for (const QString& a : attendus)
            QCOMPARE(trouves.count(a), 1);
        QCOMPARE(trouves.size(), attendus.size());
        QVERIFY(!trouves.join(u'|').contains(u"cache"_s));
        QCOMPARE(f->Fichier_sél->count(), 1);
        const Instantane avant = instantane();
        f->Copier_Click();
        const Instantane apres = instantane();
        QCOMPARE(changes(avant, apres), ensemble({"dest/A.TXT"}));
        QCOMPARE(apres.at("dest/A.TXT").empreinte, avant.at("doc/A.TXT").empreinte);
    }

    // Le vrai lancement : le témoin reçoit le nom en un seul argument, dans
    // le répertoire SOURCE ; aucun shell ne crée PWNED nulle part.
    void visualiser_editer() {
        reglages().visualiseur = u"C:\\BIN\\ECRIRE_ARGV.EXE"_s;
        reglages().éditeur = u"C:\\BIN\\ECRIRE_ARGV.EXE"_s;
        const QByteArray repertoire =
            QFile::encodeName(QFileInfo(c->hote(u"doc"_s)).canonicalFilePath());
        const Instantane avant = instantane();
        for (const QString& nom : noms_listes()) {
            QVERIFY(choisir(nom));
            f->Visualiser_Click();
            QCOMPARE(recus(), (QList<QByteArray>{repertoire, hote(doc(nom))}));
            QVERIFY(choisir(nom));
            f->Editer_Click();
            const QList<QByteArray> edite = recus();
            QCOMPARE(edite.value(0), repertoire);
            // Un nom en '-' serait pris pour une option : il part en chemin complet.
            QCOMPARE(edite.mid(1),
                     (QList<QByteArray>{nom.startsWith(u'-') ? hote(doc(nom)) : nom.toUtf8()}));
        }
        QCOMPARE(changes(avant, instantane()), QSet<QByteArray>());
    }

    // EDITER d'un résultat de recherche : le fichier trouvé, pas celui du
    // même nom dans la SOURCE.
    void editer_un_resultat() {
        reglages().éditeur = u"C:\\BIN\\ECRIRE_ARGV.EXE"_s;
        creer("dest/a&b.txt", "ailleurs");
        f->Fichier_sél->addItem(c->dos(u"dest\\a&b.txt"_s));
        f->Fichier_sél->selectAll();
        f->Ligne_message->setText(u"   1 fichier(s) sélectionné(s)"_s);
        etat_commande().mode_recherche = true;
        etat_commande().liste_parcourue = f->Fichier_sél;
        etat_commande().curseur = 0;
        f->Editer_Click();
        const QList<QByteArray> edite = recus();
        QCOMPARE(edite.size(), 2);
        QVERIFY(!edite.at(1).startsWith('-'));
        QCOMPARE(QFileInfo(QFile::decodeName(edite.at(1))).canonicalFilePath(),
                 QFileInfo(c->hote(u"dest/a&b.txt"_s)).canonicalFilePath());
    }

    void executer() {
        const QList<QByteArray> programmes{" $(touch PWNED).exe", "a;b&c `x`.com", "%PATH% ^!.bat",
                                           "l'outil.pif"};
        creer_dossier("prog");
        for (const QByteArray& p : programmes)
            QVERIFY(QFile::copy(QStringLiteral(ECRIRE_ARGV), QFile::decodeName(hote("prog/" + p))));
        aller(c->dos(u"prog"_s), c->dos(u"dest"_s));
        const QByteArray repertoire =
            QFile::encodeName(QFileInfo(c->hote(u"prog"_s)).canonicalFilePath());
        const Instantane avant = instantane();
        for (const QByteArray& p : programmes) {
            QVERIFY(choisir(QString::fromUtf8(p)));
            d->repondre_saisie(u" "_s);
            f->Exécuter_Click();
            QCOMPARE(recus(), QList<QByteArray>{repertoire});
            QVERIFY(choisir(QString::fromUtf8(p)));
            d->repondre_saisie(u"$(touch PWNED) ;x"_s);
            f->Exécuter_Click();
            QCOMPARE(recus(), (QList<QByteArray>{repertoire, "$(touch PWNED) ;x"}));
        }
        QCOMPARE(changes(avant, instantane()), QSet<QByteArray>());
        remettre_dialogues();
    }

    // Un bouton qui ouvre un document : l'association reçoit le chemin du
    // fichier nommé, même quand sa forme en capitales désigne un homonyme.
    void bouton_document() {
        plateforme::ecrire_win_ini(u"Extensions"_s, u"txt"_s, u"C:\\BIN\\ECRIRE_ARGV.EXE ^.txt"_s);
        const Instantane avant = instantane();
        for (const QString& nom :
             {u" debut.txt"_s, u"point;virgule.txt"_s, u"a&b.txt"_s, u"$(touch PWNED).txt"_s,
              u"cent%PATH%.txt"_s, u"a.txt"_s, u"A.TXT"_s}) {
            plateforme::ecrire_profil(u"Boutons"_s, u"Témoin"_s, c->dos(u"doc\\"_s + nom),
                                      reglages().chemin_configuration);
            f->Bouton[1]->setText(u"Témoin"_s);
            f->Bouton_Click(1);
            const QList<QByteArray> recu = recus();
            QCOMPARE(recu.size(), 2);
            QCOMPARE(recu.at(1), hote(doc(nom)));
        }
        QCOMPARE(changes(avant, instantane()), QSet<QByteArray>());
    }
};

QTEST_MAIN(TestNomsHostiles)
#include "test_noms_hostiles.moc"
