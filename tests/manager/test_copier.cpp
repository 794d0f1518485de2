// Moteur de copie par blocs : tailles limites, jauge, arrêt, remplacement sûr.
#include "manager/commands/arbre_copie.h"
#include "manager/commands/moteur_copie.h"
#include "manager/common/etat_commande.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/erreurs.h"
#include "support/dialogues_scriptes.h"
#include "support/erreur_de.h"
#include "support/unite_temporaire.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <fcntl.h>
#include <ftw.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString CR = QString(QChar(13));

// Les noms qui ne sont pas de l'UTF-8 et les répertoires en lecture seule
// échappent à QTemporaryDir : effacés ici, octets bruts.
int ouvrir_repertoire(const char* chemin, const struct stat*, int genre, struct FTW*) {
    if (genre == FTW_D)
        ::chmod(chemin, 0700);
    return 0;
}
int effacer_entree(const char* chemin, const struct stat*, int, struct FTW*) {
    ::remove(chemin);
    return 0;
}
void effacer_brut(const QString& racine) {
    if (racine.isEmpty())
        return;
    const QByteArray r = QFile::encodeName(racine);
    ::nftw(r.constData(), ouvrir_repertoire, 16, FTW_PHYS);
    ::nftw(r.constData(), effacer_entree, 16, FTW_PHYS | FTW_DEPTH);
}

QByteArray motif(qint64 taille) {
    QByteArray octets(taille, Qt::Uninitialized);
    for (qint64 i = 0; i < taille; ++i)
        octets[i] = char((i * 7 + i / 8192) & 0xFF);
    return octets;
}

// Noms présents dans la racine de l'unité, cachés compris.
QStringList noms(const essai::UniteTemporaire& u) {
    return QDir(u.hote(u""_s)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QStringList noms(const plateforme::ListeFichiers* l) {
    QStringList n;
    for (int i = 0; i < l->listCount(); ++i)
        n << l->list(i);
    return n;
}

QStringList noms_sur_disque(const essai::UniteTemporaire& u, const QString& repertoire) {
    return QDir(u.hote(repertoire)).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
}

struct Suivi {
    int montree = -1; // -1 : jamais appelé
    QList<int> valeurs;
    copie::Rappels rappels() {
        return {[this](bool j) { montree = j; }, [this](int v) { valeurs << v; }, {}, {}};
    }
};

} // namespace

class TestCopier : public QObject {
    Q_OBJECT

    std::unique_ptr<essai::UniteTemporaire> c;
    std::unique_ptr<essai::UniteTemporaire> autre; // seconde unité, D: ou A:
    std::unique_ptr<essai::DialoguesScriptes> d;
    std::unique_ptr<Gestion_Fichiers> f;
    std::unique_ptr<QTemporaryDir> shm; // cible du lien C:\shm
    QString monte;                      // répertoire sur un petit tmpfs, démonté à la fin

    // SOURCE sur C:\doc (a.txt, b.txt), DESTINATION sur C:\dest ou sur 'vers'.
    void charger(const QString& vers = {}) {
        c->creer_fichier(u"doc/a.txt"_s, motif(40000));
        c->creer_fichier(u"doc/b.txt"_s, "bbbb");
        c->creer_repertoire(u"dest"_s);
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        f->Répertoire_srce->setPath(c->dos(u"doc"_s));
        f->Fichier_srce->setPath(c->dos(u"doc"_s));
        const QString dest = vers.isEmpty() ? c->dos(u"dest"_s) : vers;
        if (!vers.isEmpty())
            f->Unité_dest->setDrive(vers.left(2).toLower());
        f->Répertoire_dest->setPath(dest);
        f->Fichier_dest->setPath(dest);
        etat_commande().liste_parcourue = f->Fichier_srce;
        f->espace_libre_de = [](const QString&) { return qint64(1) << 40; };
        choisir({0});
    }
    void choisir(const QList<int>& indices) {
        f->Fichier_srce->clearSelection();
        for (int i : indices)
            f->Fichier_srce->setSelected(i, true);
        etat_commande().curseur = 0;
        f->taille_sélectionnée = 0;
        for (int i : indices)
            f->taille_sélectionnée += i == 0 ? 40000 : 4;
        const int n = int(indices.size());
        f->Ligne_message->setText(
            n == 0 ? QString() : u"    "_s + QString::number(n) + u" fichier(s) sélectionné(s)"_s);
    }
    // C:\shm mène à un autre système de fichiers (/dev/shm) ; rend son
    // chemin de l'hôte, vide s'il n'y en a pas d'autre sous la main.
    QString autre_systeme() {
        shm = std::make_unique<QTemporaryDir>(u"/dev/shm/kaldron-copier-XXXXXX"_s);
        struct stat ici {};
        struct stat la {};
        if (!shm->isValid() || ::stat(QFile::encodeName(c->hote(u""_s)).constData(), &ici) != 0 ||
            ::stat(QFile::encodeName(shm->path()).constData(), &la) != 0 ||
            ici.st_dev == la.st_dev || !QFile::link(shm->path(), c->hote(u"shm"_s)))
            return {};
        return shm->path();
    }
    // Petit système de fichiers pour un disque plein véritable.
    bool monter_petit(const QString& hote) {
        if (::geteuid() != 0)
            return false;
        if (::mount("tmpfs", QFile::encodeName(hote).constData(), "tmpfs", 0, "size=16k") != 0)
            return false;
        monte = hote;
        return true;
    }

    // C:\doc\arbre : sous-répertoires (dont un vide et un en lecture
    // seule), un lien, une clé privée, un nom que DOS ne sait pas dire.
    void planter_arbre() {
        c->creer_fichier(u"doc/arbre/a.txt"_s, motif(40000));
        c->creer_fichier(u"doc/arbre/sous/cle"_s, "secret");
        c->creer_fichier(u"doc/arbre/lecture/c.txt"_s, motif(50000));
        c->creer_repertoire(u"doc/arbre/sous/vide"_s);
        QVERIFY(QFile::link(u"sous/cle"_s, c->hote(u"doc/arbre/lien"_s)));
        const QByteArray latin = QFile::encodeName(c->hote(u"doc/arbre/sous"_s)) + "/latin\xe9";
        const int fd = ::open(latin.constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0 && ::write(fd, "x", 1) == 1);
        ::close(fd);
        QCOMPARE(::chmod(QFile::encodeName(c->hote(u"doc/arbre/sous/cle"_s)).constData(), 0600), 0);
        const QByteArray sous = QFile::encodeName(c->hote(u"doc/arbre/sous"_s));
        const struct timespec dates[2] = {{820000000, 0}, {826795230, 0}};
        QCOMPARE(::utimensat(AT_FDCWD, sous.constData(), dates, 0), 0);
        QCOMPARE(::chmod(QFile::encodeName(c->hote(u"doc/arbre/lecture"_s)).constData(), 0555), 0);
    }
    // L'arbre planté, retrouvé sous 'racine' (hôte).
    void verifier_arbre(const QString& racine) {
        const auto lire = [&](const QString& rel) {
            QFile fichier(racine + u'/' + rel);
            return fichier.open(QIODevice::ReadOnly) ? fichier.readAll() : QByteArray("absent");
        };
        QCOMPARE(lire(u"a.txt"_s), motif(40000));
        QCOMPARE(lire(u"sous/cle"_s), QByteArray("secret"));
        QCOMPARE(lire(u"lecture/c.txt"_s), motif(50000));
        QVERIFY(QFileInfo(racine + u"/sous/vide"_s).isDir());
        QCOMPARE(QFileInfo(racine + u"/lien"_s).symLinkTarget(),
                 QFileInfo(racine + u"/sous/cle"_s).absoluteFilePath());
        QVERIFY(QFileInfo(racine + u"/lien"_s).isSymLink());
        struct stat etat {};
        const QByteArray base = QFile::encodeName(racine);
        QCOMPARE(::lstat((base + "/sous/latin\xe9").constData(), &etat), 0);
        QCOMPARE(::stat((base + "/sous/cle").constData(), &etat), 0);
        QCOMPARE(QString::number(etat.st_mode & 07777, 8), u"600"_s);
        QCOMPARE(::stat((base + "/sous").constData(), &etat), 0);
        QCOMPARE(etat.st_mtim.tv_sec, 826795230);
        QCOMPARE(::stat((base + "/lecture").constData(), &etat), 0);
        QCOMPARE(QString::number(etat.st_mode & 07777, 8), u"555"_s);
    }
    // Rien de caché laissé par une copie (provisoires) dans 'repertoire'.
    static QStringList caches(const QString& repertoire) {
        return QDir(repertoire)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
            .filter(QRegularExpression(u"^\\."_s));
    }
    // 0 : C:\dest ; 1 : D: ; 2 : C:\shm (autre système) ; hôte de la DESTINATION.
    QString destination(int voie) {
        if (voie == 1) {
            autre = std::make_unique<essai::UniteTemporaire>(u'D');
            charger(autre->racine());
            return autre->hote(u""_s);
        }
        if (voie == 2) {
            const QString la = autre_systeme();
            if (la.isEmpty())
                return {};
            charger(c->dos(u"shm"_s));
            return la;
        }
        charger();
        return c->hote(u"dest"_s);
    }

private slots:
    void init() {
        etat_commande().reinitialiser();
        reglages().reinitialiser();
        c = std::make_unique<essai::UniteTemporaire>();
        c->creer_repertoire(u"kaldron"_s);
        qputenv("KALDRON_PROGRAMME", c->hote(u"kaldron"_s).toUtf8());
        d = std::make_unique<essai::DialoguesScriptes>();
    }
    void cleanup() {
        const bool ok = d->verifier();
        f.reset();
        etat_commande().reinitialiser();
        if (!monte.isEmpty())
            ::umount(QFile::encodeName(monte).constData());
        monte.clear();
        d.reset();
        if (shm)
            effacer_brut(shm->path());
        effacer_brut(c->hote(u"doc/arbre"_s));
        effacer_brut(c->hote(u"dest"_s));
        if (autre)
            effacer_brut(autre->hote(u"arbre"_s));
        autre.reset();
        shm.reset();
        c.reset();
        qunsetenv("KALDRON_PROGRAMME");
        QVERIFY(ok);
    }

    void copier_un_fichier();
    void listes_suivent_chaque_fichier_data();
    void listes_suivent_chaque_fichier();
    void remplacement_data();
    void remplacement();
    void copie_dans_son_repertoire_data();
    void copie_dans_son_repertoire();
    void nom_de_copie_incorrect();
    void deplacer_dans_l_unite();
    void deplacer_apres_une_copie_annulee();
    void deplacer_ne_remplace_jamais();
    void deplacer_sur_lui_meme();
    void deplacer_vers_une_autre_unite();
    void deplacer_remplacement_refuse();
    void deplacer_pendant_la_commande_data();
    void deplacer_pendant_la_commande();
    void deplacer_arrete_garde_la_source();
    void deplacer_entre_systemes_data();
    void deplacer_entre_systemes();
    void deplacer_entre_systemes_refuse();
    void droits_et_date_gardes_data();
    void droits_et_date_gardes();
    void lecture_seule_jamais_remplacee();
    void place_destination_data();
    void place_destination();
    void place_mesuree_dans_la_destination();
    void disque_plein_data();
    void disque_plein();
    void copie_tailles_data();
    void copie_tailles();
    void copie_grand_fichier_creux();
    void arret_garde_l_ancien_fichier();
    void echec_garde_l_ancien_fichier();
    void date_de_la_source_gardee();
    void chemin_ecrit_nomme_le_provisoire();

    // Répertoires entiers.
    void repertoire_entier_data();
    void repertoire_entier();
    void repertoire_arrete_data();
    void repertoire_arrete();
    void repertoire_refuse_data();
    void repertoire_refuse();
    void repertoire_remplacement_data();
    void repertoire_remplacement();
    void repertoire_lien();
    void depot_data();
    void depot();
};

void TestCopier::copie_tailles_data() {
    QTest::addColumn<qint64>("taille");
    QTest::addColumn<bool>("jauge");
    QTest::newRow("vide") << qint64(0) << false;
    QTest::newRow("un octet") << qint64(1) << false;
    QTest::newRow("un bloc juste") << qint64(8192) << false;
    QTest::newRow("un bloc et un octet") << qint64(8193) << false;
    QTest::newRow("sous le seuil") << qint64(32767) << false;
    QTest::newRow("seuil de la jauge") << qint64(32768) << true;
    QTest::newRow("blocs et reste") << qint64(5 * 8192 + 17) << true;
}

void TestCopier::copie_tailles() {
    QFETCH(qint64, taille);
    QFETCH(bool, jauge);
    essai::UniteTemporaire u;
    QVERIFY(u.valide());
    const QByteArray octets = motif(taille);
    u.creer_fichier(u"SRC.BIN"_s, octets);
    Suivi suivi;
    QCOMPARE(copie::copier_blocs(u.dos(u"SRC.BIN"_s), u.dos(u"DST.BIN"_s), suivi.rappels()),
             copie::Issue::Copiee);
    // Même vide, la copie existe : ne rien écrire serait un échec passé sous silence.
    QVERIFY(QFileInfo::exists(u.hote(u"DST.BIN"_s)));
    QCOMPARE(u.contenu(u"DST.BIN"_s), octets);
    QCOMPARE(suivi.montree, int(jauge));
    if (jauge) {
        QCOMPARE(suivi.valeurs.first(), 0);
        QCOMPARE(suivi.valeurs.last(), 100);
    } else {
        QVERIFY(suivi.valeurs.isEmpty());
    }
    QCOMPARE(noms(u), QStringList({u"DST.BIN"_s, u"SRC.BIN"_s}));
}

void TestCopier::copie_grand_fichier_creux() {
    essai::UniteTemporaire u;
    const QString source = u.creer_fichier(u"CREUX.DAT"_s, "debut");
    QFile f(source);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(24 * 1024 * 1024 + 3));
    QVERIFY(f.write("fin") == 3);
    f.close();
    Suivi suivi;
    copie::copier_blocs(u.dos(u"CREUX.DAT"_s), u.dos(u"COPIE.DAT"_s), suivi.rappels());
    QCOMPARE(QFileInfo(u.hote(u"COPIE.DAT"_s)).size(), QFileInfo(source).size());
    QFile copie(u.hote(u"COPIE.DAT"_s));
    QVERIFY(copie.open(QIODevice::ReadOnly));
    QCOMPARE(copie.read(5), QByteArray("debut"));
    QVERIFY(copie.seek(24 * 1024 * 1024 + 3));
    QCOMPARE(copie.read(3), QByteArray("fin"));
    QCOMPARE(suivi.valeurs.last(), 100);
}

void TestCopier::arret_garde_l_ancien_fichier() {
    essai::UniteTemporaire u;
    u.creer_fichier(u"SRC.BIN"_s, motif(qint64(10) * 8192));
    u.creer_fichier(u"DST.BIN"_s, "ancien");
    int blocs = 0;
    copie::Rappels rappels{{}, {}, [&] { return ++blocs > 3; }, {}};
    QCOMPARE(copie::copier_blocs(u.dos(u"SRC.BIN"_s), u.dos(u"DST.BIN"_s), rappels),
             copie::Issue::Arretee);
    QCOMPARE(blocs, 4);
    QCOMPARE(u.contenu(u"DST.BIN"_s), QByteArray("ancien"));
    QCOMPARE(noms(u), QStringList({u"DST.BIN"_s, u"SRC.BIN"_s}));
}

// Une erreur au milieu de la copie (disque plein simulé) remonte à l'appelant
// et ne laisse ni fichier partiel ni ancien fichier abîmé.
void TestCopier::echec_garde_l_ancien_fichier() {
    essai::UniteTemporaire u;
    u.creer_fichier(u"SRC.BIN"_s, motif(qint64(10) * 8192));
    u.creer_fichier(u"DST.BIN"_s, "ancien");
    int blocs = 0;
    copie::Rappels rappels{{},
                           {},
                           [&] {
                               if (++blocs == 3)
                                   plateforme::lever(plateforme::ERR_DISQUE_PLEIN);
                               return false;
                           },
                           {}};
    QString ecrit;
    int numero = 0;
    try {
        copie::copier_blocs(u.dos(u"SRC.BIN"_s), u.dos(u"DST.BIN"_s), rappels, {&ecrit});
    } catch (const plateforme::ErreurExecution& e) {
        numero = e.numero();
    }
    QCOMPARE(numero, 61);
    QCOMPARE(u.contenu(u"DST.BIN"_s), QByteArray("ancien"));
    QCOMPARE(noms(u), QStringList({u"DST.BIN"_s, u"SRC.BIN"_s}));
}

void TestCopier::date_de_la_source_gardee() {
    essai::UniteTemporaire u;
    const QString source = u.creer_fichier(u"SRC.TXT"_s, "texte");
    QFile f(source);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const QDateTime date(QDate(1996, 3, 14), QTime(10, 20, 30));
    QVERIFY(f.setFileTime(date, QFileDevice::FileModificationTime));
    f.close();
    copie::copier_blocs(u.dos(u"SRC.TXT"_s), u.dos(u"DST.TXT"_s), {});
    QCOMPARE(QFileInfo(u.hote(u"DST.TXT"_s)).lastModified(), date);
}

// Pendant la copie, le fichier ouvert est le provisoire caché, à côté de la
// destination ; une fois la copie faite, c'est la destination.
void TestCopier::chemin_ecrit_nomme_le_provisoire() {
    essai::UniteTemporaire u;
    u.creer_fichier(u"SRC.BIN"_s, motif(qint64(3) * 8192));
    QString ecrit;
    QString pendant;
    bool present_pendant = false;
    copie::Rappels rappels{{},
                           {},
                           [&] {
                               pendant = ecrit;
                               present_pendant = plateforme::existe(ecrit);
                               return false;
                           },
                           {}};
    copie::copier_blocs(u.dos(u"SRC.BIN"_s), u.dos(u"DST.BIN"_s), rappels, {&ecrit});
    QVERIFY(present_pendant);
    QVERIFY(pendant.startsWith(u.dos(u".KC"_s)));
    QVERIFY(pendant.endsWith(u".TMP"_s));
    QCOMPARE(ecrit, u.dos(u"DST.BIN"_s));
}

void TestCopier::copier_un_fichier() {
    charger();
    f->Copier_Click();
    QCOMPARE(c->contenu(u"dest/a.txt"_s), motif(40000));
    QVERIFY(!QFileInfo::exists(c->hote(u"dest/b.txt"_s)));
    QCOMPARE(f->En_cours->text(), u" COPIE le fichier a.txt "_s);
    QCOMPARE(f->Jauge->value(), 100);
    QCOMPARE(f->Jauge->format(), u"100%"_s);
    QVERIFY(!etat_commande().commande_en_cours);
    QVERIFY(d->questions().isEmpty());
}

void TestCopier::listes_suivent_chaque_fichier_data() {
    QTest::addColumn<bool>("deplacer");
    QTest::newRow("COPIER") << false;
    QTest::newRow("DEPLACER") << true;
}

// Sélection globale de nombreux fichiers : à chaque fichier arrivé, les deux
// listes montrent le disque ; à la fin, la sélection est une seule plage et
// la ligne d'état la compte.
void TestCopier::listes_suivent_chaque_fichier() {
    QFETCH(bool, deplacer);
    for (int i = 0; i < 60; ++i)
        c->creer_fichier(u"doc/n%1.dat"_s.arg(i, 2, 10, QChar(u'0')), "n");
    c->creer_fichier(u"dest/m.dat"_s, "ancien");
    charger();
    f->Sélecte_Click();
    int arrives = 0;
    QStringList ecarts;
    connect(f->Fichier_dest->model(), &QAbstractItemModel::rowsInserted, f.get(), [&] {
        ++arrives;
        if (noms(f->Fichier_dest) != noms_sur_disque(*c, u"dest"_s) ||
            noms(f->Fichier_srce) != noms_sur_disque(*c, u"doc"_s))
            ecarts << f->Fichier_dest->list(f->Fichier_dest->listCount() - 1);
    });
    deplacer ? f->Déplacer_Click() : f->Copier_Click();
    QCOMPARE(arrives, 62);
    QCOMPARE(ecarts, QStringList());
    QCOMPARE(noms(f->Fichier_dest), noms_sur_disque(*c, u"dest"_s));
    QCOMPARE(f->Fichier_dest->listCount(), 63);
    QCOMPARE(noms(f->Fichier_srce), noms_sur_disque(*c, u"doc"_s));
    if (deplacer) {
        QCOMPARE(f->Fichier_srce->listCount(), 0);
        QCOMPARE(f->Ligne_message->text(), QString());
    } else {
        QCOMPARE(f->Fichier_srce->selectedItems().size(), 62);
        QCOMPARE(f->Fichier_srce->selectionModel()->selection().size(), 1);
        QVERIFY2(f->Ligne_message->text().trimmed().startsWith(u"62 fichiers sélectionnés"_s),
                 qPrintable(f->Ligne_message->text()));
    }
    QVERIFY(!etat_commande().commande_en_cours);
}

void TestCopier::remplacement_data() {
    QTest::addColumn<bool>("option");
    QTest::addColumn<int>("reponse");
    QTest::addColumn<bool>("a_remplace");
    QTest::addColumn<bool>("b_copie");
    QTest::newRow("sans question") << false << 0 << true << true;
    QTest::newRow("oui") << true << 6 << true << true;
    QTest::newRow("non : fichier suivant") << true << 7 << false << true;
    QTest::newRow("annuler : fin") << true << 2 << false << false;
}

void TestCopier::remplacement() {
    QFETCH(bool, option);
    QFETCH(int, reponse);
    QFETCH(bool, a_remplace);
    QFETCH(bool, b_copie);
    c->creer_fichier(u"dest/a.txt"_s, "ancien");
    charger();
    reglages().remplace = option; // Form_Load relit les réglages
    choisir({0, 1});
    if (option)
        d->repondre(reponse);
    f->Copier_Click();
    QCOMPARE(c->contenu(u"dest/a.txt"_s), a_remplace ? motif(40000) : QByteArray("ancien"));
    QCOMPARE(QFileInfo::exists(c->hote(u"dest/b.txt"_s)), b_copie);
    if (option) {
        QCOMPARE(d->dernier().texte, u"Le fichier a.txt"_s + CR +
                                         u"existe déjà dans le répertoire"_s + CR +
                                         c->dos(u"dest"_s) + CR + u"voulez-vous le remplacer ?"_s);
        QCOMPARE(d->dernier().style, 3 + 32 + 256);
        QCOMPARE(d->dernier().titre, u"COPIER"_s);
    }
}

void TestCopier::copie_dans_son_repertoire_data() {
    QTest::addColumn<QString>("nom");
    QTest::newRow("nom donné") << u"copie.txt"_s;
    QTest::newRow("nom vide") << QString();
    // La copie se place avant l'original : le parcours ne le reprend pas.
    QTest::newRow("nom placé avant") << u"0.txt"_s;
}

// Un nom de copie incorrect va au rapport d'erreur ; rien n'est écrit.
void TestCopier::nom_de_copie_incorrect() {
    charger(c->dos(u"doc"_s));
    d->repondre_saisie(u"x|y.txt"_s);
    d->repondre(1);
    f->Copier_Click();
    QCOMPARE(d->dernier().titre, u"COPIER"_s);
    QCOMPARE(d->dernier().texte, u"Nom incorrect."_s);
    QCOMPARE(QDir(c->hote(u"doc"_s)).entryList(QDir::Files).size(), 2);
    QVERIFY(!etat_commande().commande_en_cours);
}

void TestCopier::copie_dans_son_repertoire() {
    QFETCH(QString, nom);
    charger(c->dos(u"doc"_s));
    d->repondre_saisie(nom);
    f->Copier_Click();
    QCOMPARE(d->dernier().texte, u"Vous allez copier un fichier dans son propre répertoire,"_s +
                                     CR + u"entrez le nom de copie du fichier a.txt"_s);
    QCOMPARE(QDir(c->hote(u"doc"_s)).entryList(QDir::Files).size(), nom.isEmpty() ? 2 : 3);
    if (!nom.isEmpty())
        QCOMPARE(c->contenu(u"doc/"_s + nom), motif(40000));
    QCOMPARE(c->contenu(u"doc/a.txt"_s), motif(40000));
}

void TestCopier::deplacer_dans_l_unite() {
    charger();
    choisir({0, 1});
    f->Déplacer_Click();
    QCOMPARE(c->contenu(u"dest/a.txt"_s), motif(40000));
    QCOMPARE(c->contenu(u"dest/b.txt"_s), QByteArray("bbbb"));
    QVERIFY(QDir(c->hote(u"doc"_s)).entryList(QDir::Files).isEmpty());
    QVERIFY(d->questions().isEmpty());
}

// La réponse Annuler d'une commande passée ne coupe pas un déplacement.
void TestCopier::deplacer_apres_une_copie_annulee() {
    charger();
    choisir({0, 1});
    etat_commande().réponse_de_commande = plateforme::REP_ANNULER;
    f->Déplacer_Click();
    QCOMPARE(c->contenu(u"dest/a.txt"_s), motif(40000));
    QCOMPARE(c->contenu(u"dest/b.txt"_s), QByteArray("bbbb"));
    QVERIFY(QDir(c->hote(u"doc"_s)).entryList(QDir::Files).isEmpty());
}

// Un déplacement sur un nom pris échoue (58) par le rapport d'erreur.
void TestCopier::deplacer_ne_remplace_jamais() {
    c->creer_fichier(u"dest/a.txt"_s, "ancien");
    charger();
    d->repondre(1);
    f->Déplacer_Click();
    QCOMPARE(d->dernier().titre, u"Erreur détectée par KALDRON"_s);
    QVERIFY(d->dernier().texte.contains(u"(code = 58)"_s));
    QVERIFY(d->dernier().texte.contains(u"Commande: DEPLACER (fichier)"_s));
    QCOMPARE(c->contenu(u"dest/a.txt"_s), QByteArray("ancien"));
    QCOMPARE(c->contenu(u"doc/a.txt"_s), motif(40000));
    QVERIFY(!etat_commande().commande_en_cours);
}

void TestCopier::deplacer_sur_lui_meme() {
    charger(c->dos(u"doc"_s));
    d->repondre(1);
    f->Déplacer_Click();
    QCOMPARE(d->dernier().texte,
             u"Le répertoire 'DESTINATION' est le même que le répertoire 'SOURCE' ; "
             u"il est interdit de déplacer un fichier sur lui-même."_s);
    QCOMPARE(d->dernier().style, 48);
    QCOMPARE(d->bips(), 1);
    QCOMPARE(c->contenu(u"doc/a.txt"_s), motif(40000));
}

void TestCopier::deplacer_vers_une_autre_unite() {
    autre = std::make_unique<essai::UniteTemporaire>(u'D');
    charger(autre->racine());
    choisir({0, 1});
    f->Déplacer_Click();
    QCOMPARE(autre->contenu(u"a.txt"_s), motif(40000));
    QCOMPARE(autre->contenu(u"b.txt"_s), QByteArray("bbbb"));
    QVERIFY(QDir(c->hote(u"doc"_s)).entryList(QDir::Files).isEmpty());
    QCOMPARE(f->En_cours->text(), u" DEPLACE le fichier b.txt "_s);
}

// Ce qui change sur le disque entre le choix et le déplacement, ou pendant
// qu'il dure, arrête la commande par le rapport d'erreur sans rien perdre.
void TestCopier::deplacer_pendant_la_commande_data() {
    QTest::addColumn<QString>("pris");  // nom créé dans C:\dest à l'arrivée de a.txt
    QTest::addColumn<bool>("disparue"); // b.txt effacé après le choix
    QTest::addColumn<QString>("explication");
    QTest::newRow("source disparue") << QString() << true << u"le fichier b.txt est introuvable"_s;
    QTest::newRow("nom pris") << u"b.txt"_s << false << u"(code = 58)"_s;
    QTest::newRow("nom pris, autre casse") << u"B.TXT"_s << false << u"(code = 58)"_s;
}

void TestCopier::deplacer_pendant_la_commande() {
    QFETCH(QString, pris);
    QFETCH(bool, disparue);
    QFETCH(QString, explication);
    charger();
    choisir({0, 1});
    if (disparue)
        QVERIFY(QFile::remove(c->hote(u"doc/b.txt"_s)));
    connect(f->Fichier_dest->model(), &QAbstractItemModel::rowsInserted, f.get(), [&] {
        if (pris.isEmpty() || QFile::exists(c->hote(u"dest/"_s + pris)))
            return;
        c->creer_fichier(u"dest/"_s + pris, "autre");
        // Le répertoire a changé : sa date le dit, même dans le même instant.
        const struct timespec dates[2] = {{1000000000, 0}, {1000000000, 0}};
        ::utimensat(AT_FDCWD, QFile::encodeName(c->hote(u"dest"_s)).constData(), dates, 0);
    });
    d->repondre(1);
    f->Déplacer_Click();
    QVERIFY(d->dernier().texte.contains(explication));
    QCOMPARE(c->contenu(u"dest/a.txt"_s), motif(40000));
    QCOMPARE(c->contenu(u"doc/b.txt"_s), disparue ? QByteArray() : QByteArray("bbbb"));
    if (!pris.isEmpty())
        QCOMPARE(c->contenu(u"dest/"_s + pris), QByteArray("autre"));
    QCOMPARE(noms_sur_disque(*c, u"dest"_s).size(), pris.isEmpty() ? 1 : 2);
    QCOMPARE(noms(f->Fichier_srce), disparue ? QStringList() : QStringList({u"b.txt"_s}));
    QVERIFY(!etat_commande().commande_en_cours);
}

void TestCopier::deplacer_remplacement_refuse() {
    autre = std::make_unique<essai::UniteTemporaire>(u'D');
    autre->creer_fichier(u"a.txt"_s, "ancien");
    charger(autre->racine());
    d->repondre(7);
    f->Déplacer_Click();
    QCOMPARE(autre->contenu(u"a.txt"_s), QByteArray("ancien"));
    QCOMPARE(c->contenu(u"doc/a.txt"_s), motif(40000));
}

// Arret avant le premier bloc : rien n'est écrit et la source reste.
void TestCopier::deplacer_arrete_garde_la_source() {
    autre = std::make_unique<essai::UniteTemporaire>(u'D');
    charger(autre->racine());
    etat_commande().demande_d_arrêt = true;
    f->Déplacer_Click();
    QCOMPARE(c->contenu(u"doc/a.txt"_s), motif(40000));
    QVERIFY(QDir(autre->hote(u""_s)).entryList(QDir::Files | QDir::Hidden).isEmpty());
    QVERIFY(!etat_commande().demande_d_arrêt);
}

void TestCopier::deplacer_entre_systemes_data() {
    QTest::addColumn<bool>("arret");
    QTest::newRow("jusqu'au bout") << false;
    QTest::newRow("Arret pendant la copie") << true;
}

// Dans l'unité, d'un système de fichiers à l'autre : jauge et Arret comme
// une copie ; arrêté, la source reste entière et rien n'est écrit.
void TestCopier::deplacer_entre_systemes() {
    QFETCH(bool, arret);
    const QString la = autre_systeme();
    if (la.isEmpty())
        QSKIP("pas de second système de fichiers sous la main");
    charger(c->dos(u"shm"_s));
    choisir({0, 1});
    QList<int> jauge;
    bool arret_montre = false;
    connect(f->Jauge, &QProgressBar::valueChanged, f.get(), [&](int valeur) {
        jauge << valeur;
        arret_montre = !f->Arret->isHidden();
        // À 100 %, l'arrêt vient encore avant que la copie ne prenne son nom.
        if (arret && valeur == 100)
            etat_commande().demande_d_arrêt = true;
    });
    f->Déplacer_Click();
    QCOMPARE(jauge.value(jauge.size() - 1), 100);
    QVERIFY(arret_montre);
    QCOMPARE(f->En_cours->text(),
             arret ? u" DEPLACE le fichier a.txt "_s : u" DEPLACE le fichier b.txt "_s);
    QCOMPARE(c->contenu(u"doc/a.txt"_s), arret ? motif(40000) : QByteArray());
    QCOMPARE(QFile::exists(c->hote(u"doc/b.txt"_s)), arret);
    QCOMPARE(QDir(la).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             arret ? QStringList() : QStringList({u"a.txt"_s, u"b.txt"_s}));
    if (!arret)
        QCOMPARE(c->contenu(u"shm/a.txt"_s), motif(40000));
    QVERIFY(!etat_commande().commande_en_cours);
    QVERIFY(d->questions().isEmpty());
}

// Comme un renommage : un nom pris pendant la copie n'est jamais remplacé
// (58), et un lien n'est pas changé en copie de sa cible (74).
void TestCopier::deplacer_entre_systemes_refuse() {
    const QString la = autre_systeme();
    if (la.isEmpty())
        QSKIP("pas de second système de fichiers sous la main");
    c->creer_fichier(u"doc/a.txt"_s, "source");
    c->creer_fichier(u"shm/a.txt"_s, "ancien");
    QVERIFY(QFile::link(c->hote(u"doc/a.txt"_s), c->hote(u"doc/lien.txt"_s)));
    QCOMPARE(essai::erreur_de([&] {
                 copie::deplacer_blocs(c->dos(u"doc/a.txt"_s), c->dos(u"shm/a.txt"_s), {});
             }),
             58);
    QCOMPARE(essai::erreur_de([&] {
                 copie::deplacer_blocs(c->dos(u"doc/lien.txt"_s), c->dos(u"shm/lien.txt"_s), {});
             }),
             74);
    QCOMPARE(c->contenu(u"doc/a.txt"_s), QByteArray("source"));
    QVERIFY(QFileInfo(c->hote(u"doc/lien.txt"_s)).isSymLink());
    QCOMPARE(QDir(la).entryList(QDir::Files | QDir::Hidden), QStringList{u"a.txt"_s});
    QCOMPARE(c->contenu(u"shm/a.txt"_s), QByteArray("ancien"));
}

void TestCopier::droits_et_date_gardes_data() {
    QTest::addColumn<int>("voie");
    QTest::addColumn<uint>("mode");
    QTest::addColumn<uint>("attendu");
    const char* const voies[] = {"COPIER", "DEPLACER vers D:", "DEPLACER vers C:\\shm"};
    for (int voie = 0; voie < 3; ++voie) {
        const auto ligne = [&](const char* quoi, uint mode, uint attendu) {
            QTest::addRow("%s, %s", voies[voie], quoi) << voie << mode << attendu;
        };
        ligne("clé privée", 0600, 0600);
        ligne("script", 0700, 0700);
        ligne("set-user-ID retiré", 04750, 0750);
        ligne("set-group-ID retiré", 02755, 0755);
        // Vers une autre unité, une source en lecture seule n'est pas effacée (75).
        if (voie != 1)
            ligne("lecture seule", 0444, 0444);
    }
}

// Chaque voie de copie garde les droits (sans set-user-ID ni set-group-ID)
// et la date de la source.
void TestCopier::droits_et_date_gardes() {
    QFETCH(int, voie);
    QFETCH(uint, mode);
    QString vers;
    QString cible = c->hote(u"dest/a.txt"_s);
    if (voie == 1) {
        autre = std::make_unique<essai::UniteTemporaire>(u'D');
        vers = autre->racine();
        cible = autre->hote(u"a.txt"_s);
    } else if (voie == 2) {
        const QString la = autre_systeme();
        if (la.isEmpty())
            QSKIP("pas de second système de fichiers sous la main");
        vers = c->dos(u"shm"_s);
        cible = la + u"/a.txt"_s;
    }
    charger(vers);
    const QByteArray source = QFile::encodeName(c->hote(u"doc/a.txt"_s));
    const struct timespec dates[2] = {{820000000, 0}, {826795230, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, source.constData(), dates, 0), 0);
    QCOMPARE(::chmod(source.constData(), mode), 0);
    struct stat etat {};
    QCOMPARE(::stat(source.constData(), &etat), 0);
    QCOMPARE(QString::number(etat.st_mode & 07777, 8), QString::number(mode, 8));
    voie == 0 ? f->Copier_Click() : f->Déplacer_Click();
    QCOMPARE(::stat(QFile::encodeName(cible).constData(), &etat), 0);
    QFETCH(uint, attendu);
    QCOMPARE(QString::number(etat.st_mode & 07777, 8), QString::number(attendu, 8));
    QCOMPARE(etat.st_mtim.tv_sec, 826795230);
    QCOMPARE(c->contenu(u"doc/a.txt"_s).isEmpty(), voie != 0);
    QVERIFY(d->questions().isEmpty());
}

// Un fichier en lecture seule n'est pas remplacé (75), même par root.
void TestCopier::lecture_seule_jamais_remplacee() {
    essai::UniteTemporaire u;
    u.creer_fichier(u"SRC.TXT"_s, "nouveau");
    const QString cible = u.creer_fichier(u"DST.TXT"_s, "protege");
    QVERIFY(QFile::setPermissions(cible, QFileDevice::ReadOwner));
    int numero = 0;
    try {
        copie::copier_blocs(u.dos(u"SRC.TXT"_s), u.dos(u"DST.TXT"_s), {});
    } catch (const plateforme::ErreurExecution& e) {
        numero = e.numero();
    }
    QCOMPARE(numero, 75);
    QCOMPARE(u.contenu(u"DST.TXT"_s), QByteArray("protege"));
    QCOMPARE(noms(u), QStringList({u"DST.TXT"_s, u"SRC.TXT"_s}));
}

void TestCopier::place_destination_data() {
    QTest::addColumn<QChar>("lettre");
    QTest::addColumn<qint64>("taille");
    QTest::addColumn<QString>("texte");
    const QString suite = CR + u"Voulez-vous continuer ?"_s;
    QTest::newRow("trois disquettes")
        << QChar(u'A') << qint64(3000000)
        << u"L'ensemble des fichiers sélectionnés vont être copiés sur 3 disquettes de 1,44 Mo."_s +
               suite;
    QTest::newRow("une disquette : pas de nombre")
        << QChar(u'A') << qint64(1000000)
        << u"L'ensemble des fichiers sélectionnés ne peut être copiés sur A: , à moins qu'il y "
           u"ait des fichiers en remplacement."_s +
               suite;
    QTest::newRow("disque dur") << QChar(u'D') << qint64(3000000)
                                << u"L'ensemble des fichiers sélectionnés ne peut être copiés sur "
                                   u"D: , à moins qu'il y ait des fichiers en remplacement."_s +
                                       suite;
}

// Non : rien n'est copié ; la question vient avant toute copie.
void TestCopier::place_destination() {
    QFETCH(QChar, lettre);
    QFETCH(qint64, taille);
    QFETCH(QString, texte);
    autre = std::make_unique<essai::UniteTemporaire>(lettre);
    charger(autre->racine());
    f->taille_sélectionnée = taille;
    f->espace_libre_de = [](const QString&) { return qint64(500000); };
    d->repondre(7);
    f->Copier_Click();
    QCOMPARE(d->dernier().texte, texte);
    QCOMPARE(d->dernier().style, 4 + 32 + 256);
    QVERIFY(!QFileInfo::exists(autre->hote(u"a.txt"_s)));
    QVERIFY(!etat_commande().commande_en_cours);
}

// La place se mesure dans le répertoire DESTINATION, qui peut être sur un
// autre système de fichiers que la racine de l'unité : pas de fausse alarme.
void TestCopier::place_mesuree_dans_la_destination() {
    charger();
    const QString dest = c->dos(u"dest"_s);
    QStringList mesures;
    f->espace_libre_de = [&](const QString& chemin) {
        mesures << chemin;
        return chemin.compare(dest, Qt::CaseInsensitive) == 0 ? qint64(1) << 40 : qint64(1000);
    };
    f->Copier_Click();
    QCOMPARE(c->contenu(u"dest/a.txt"_s), motif(40000));
    QVERIFY(!mesures.isEmpty());
    for (const QString& chemin : std::as_const(mesures))
        QCOMPARE(chemin.toUpper(), dest.toUpper());
}

void TestCopier::disque_plein_data() {
    QTest::addColumn<QChar>("lettre");
    QTest::addColumn<QList<int>>("reponses");
    QTest::addColumn<QString>("texte");
    QTest::addColumn<int>("style");
    QTest::newRow("disquette : OK réessaie, puis Annuler")
        << QChar(u'A') << QList<int>{1, 2}
        << u"Disquette dans A: pleine :"_s + CR + u"insérez la disquette suivante."_s << 49;
    QTest::newRow("disque dur : abandon")
        << QChar(u'D') << QList<int>{1} << u"Disque D: plein :"_s + CR + u"opération abandonnée."_s
        << 16;
}

// Un vrai disque plein : aucun fichier partiel, l'ancien fichier intact.
void TestCopier::disque_plein() {
    QFETCH(QChar, lettre);
    QFETCH(QList<int>, reponses);
    QFETCH(QString, texte);
    QFETCH(int, style);
    autre = std::make_unique<essai::UniteTemporaire>(lettre);
    if (!monter_petit(autre->hote(u""_s)))
        QSKIP("monter un tmpfs demande les droits de root");
    autre->creer_fichier(u"a.txt"_s, "ancien");
    charger(autre->racine());
    reglages().remplace = false;
    for (int r : reponses)
        d->repondre(r);
    f->Copier_Click();
    QCOMPARE(d->questions().size(), reponses.size());
    QCOMPARE(d->dernier().texte, texte);
    QCOMPARE(d->dernier().style, style);
    QCOMPARE(autre->contenu(u"a.txt"_s), QByteArray("ancien"));
    QCOMPARE(QDir(autre->hote(u""_s)).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"a.txt"_s});
    QVERIFY(!etat_commande().commande_en_cours);
}

void TestCopier::repertoire_entier_data() {
    QTest::addColumn<int>("voie");
    QTest::addColumn<bool>("deplacement");
    QTest::newRow("copie dans l'unité") << 0 << false;
    QTest::newRow("copie vers un autre système") << 2 << false;
    QTest::newRow("déplacement dans l'unité (renommage)") << 0 << true;
    QTest::newRow("déplacement vers D:") << 1 << true;
    QTest::newRow("déplacement vers un autre système") << 2 << true;
}

// Tout l'arbre arrive, droits, dates et liens compris ; un déplacement ne
// laisse rien, une copie garde la source ; aucune question, aucun provisoire.
void TestCopier::repertoire_entier() {
    QFETCH(int, voie);
    QFETCH(bool, deplacement);
    planter_arbre();
    const QString la = destination(voie);
    if (la.isEmpty())
        QSKIP("pas de second système de fichiers sous la main");
    QList<int> jauge;
    connect(f->Jauge, &QProgressBar::valueChanged, f.get(), [&](int v) { jauge << v; });
    deplacement ? f->Deplacer_repertoire(c->dos(u"doc/arbre"_s))
                : f->Copier_repertoire(c->dos(u"doc/arbre"_s));
    verifier_arbre(la + u"/arbre"_s);
    QCOMPARE(QFileInfo::exists(c->hote(u"doc/arbre"_s)), !deplacement);
    if (!deplacement)
        verifier_arbre(c->hote(u"doc/arbre"_s));
    QCOMPARE(caches(la), QStringList());
    QVERIFY(d->questions().isEmpty());
    QVERIFY(!etat_commande().commande_en_cours);
    // Jauge sur le total : elle monte jusqu'au bout, sauf pour un renommage.
    if (!deplacement || voie == 2)
        QCOMPARE(jauge.value(jauge.size() - 1), 100);
    QCOMPARE(f->Répertoire_srce->path(), c->dos(u"doc"_s));
    QVERIFY(f->Répertoire_dest->sousRepertoires().contains(
        f->Répertoire_dest->path() + (voie == 1 ? u""_s : u"\\"_s) + u"arbre"_s));
}

void TestCopier::repertoire_arrete_data() {
    QTest::addColumn<int>("voie");
    QTest::addColumn<bool>("deplacement");
    QTest::addColumn<bool>("fusion"); // la cible existe déjà
    QTest::newRow("copie") << 0 << false << false;
    QTest::newRow("copie dans un répertoire existant") << 0 << false << true;
    QTest::newRow("déplacement vers un autre système") << 2 << true << false;
    QTest::newRow("déplacement dans un répertoire existant") << 2 << true << true;
}

// Arret au milieu : la source reste entière et la cible telle qu'avant,
// sans rien de partiel ni de caché.
void TestCopier::repertoire_arrete() {
    QFETCH(int, voie);
    QFETCH(bool, deplacement);
    QFETCH(bool, fusion);
    planter_arbre();
    const QString la = destination(voie);
    if (la.isEmpty())
        QSKIP("pas de second système de fichiers sous la main");
    if (fusion) {
        QVERIFY(QDir().mkpath(la + u"/arbre/sous"_s));
        QFile garde(la + u"/arbre/garde.txt"_s);
        QVERIFY(garde.open(QIODevice::WriteOnly) && garde.write("garde") == 5);
    }
    bool arret_montre = false;
    connect(f->Jauge, &QProgressBar::valueChanged, f.get(), [&](int v) {
        arret_montre = arret_montre || !f->Arret->isHidden();
        // À la fin du second gros fichier, avant qu'il ne prenne son nom.
        if (v >= 90)
            etat_commande().demande_d_arrêt = true;
    });
    deplacement ? f->Deplacer_repertoire(c->dos(u"doc/arbre"_s))
                : f->Copier_repertoire(c->dos(u"doc/arbre"_s));
    QVERIFY(arret_montre);
    verifier_arbre(c->hote(u"doc/arbre"_s));
    if (fusion) {
        QCOMPARE(
            QDir(la + u"/arbre"_s)
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                           QDir::Name),
            QStringList({u"garde.txt"_s, u"sous"_s}));
        QVERIFY(
            QDir(la + u"/arbre/sous"_s)
                .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System));
    } else {
        QVERIFY(!QFileInfo::exists(la + u"/arbre"_s));
    }
    QCOMPARE(caches(la), QStringList());
    QVERIFY(!etat_commande().demande_d_arrêt);
    QVERIFY(d->questions().isEmpty());
}

void TestCopier::repertoire_refuse_data() {
    QTest::addColumn<QString>("vers"); // DESTINATION, sous C:
    QTest::addColumn<bool>("deplacement");
    QTest::addColumn<QString>("attendu"); // dans le message
    QTest::newRow("copier dans lui-même")
        << u"doc/arbre"_s << false << u"copier un répertoire dans lui-même"_s;
    QTest::newRow("copier dans un descendant")
        << u"doc/arbre/sous/vide"_s << false << u"copier un répertoire dans lui-même"_s;
    QTest::newRow("déplacer dans un descendant")
        << u"doc/arbre/sous"_s << true << u"déplacer un répertoire dans lui-même"_s;
    QTest::newRow("déplacer dans lui-même")
        << u"doc/arbre"_s << true << u"déplacer un répertoire dans lui-même"_s;
    QTest::newRow("copier sur lui-même")
        << u"doc"_s << false << u"copier un répertoire sur lui-même"_s;
    QTest::newRow("fichier spécial") << u"dest"_s << false << u"fichier spécial"_s;
    QTest::newRow("racine") << u"dest"_s << false << u"racine d'une unité"_s;
    QTest::newRow("confirmation, Non") << u"dest"_s << true << u"Confirmez-vous"_s;
}

// Refusé en français, avant d'écrire quoi que ce soit.
void TestCopier::repertoire_refuse() {
    QFETCH(QString, vers);
    QFETCH(bool, deplacement);
    QFETCH(QString, attendu);
    planter_arbre();
    const bool special = attendu == u"fichier spécial"_s;
    if (special)
        QCOMPARE(::mkfifo(QFile::encodeName(c->hote(u"doc/arbre/tube"_s)).constData(), 0600), 0);
    charger(c->dos(vers));
    const QString avant = QDir(c->hote(u""_s)).entryList(QDir::AllEntries).join(u' ');
    const bool confirme = attendu == u"Confirmez-vous"_s;
    reglages().confirme = confirme;
    d->repondre(confirme ? 7 : 1);
    const QString chemin = attendu.startsWith(u"racine"_s) ? c->racine() : c->dos(u"doc/arbre"_s);
    deplacement ? f->Deplacer_repertoire(chemin) : f->Copier_repertoire(chemin);
    QVERIFY2(d->dernier().texte.contains(attendu), qPrintable(d->dernier().texte));
    verifier_arbre(c->hote(u"doc/arbre"_s));
    QVERIFY(!QFileInfo::exists(c->hote(u"dest/arbre"_s)));
    QVERIFY(!QFileInfo::exists(c->hote(u"doc/arbre/arbre"_s)));
    QVERIFY(!QFileInfo::exists(c->hote(u"doc/arbre/sous/arbre"_s)));
    QCOMPARE(caches(c->hote(vers)), QStringList());
    QCOMPARE(QDir(c->hote(u""_s)).entryList(QDir::AllEntries).join(u' '), avant);
    QVERIFY(!etat_commande().commande_en_cours);
}

void TestCopier::repertoire_remplacement_data() {
    QTest::addColumn<bool>("deplacement");
    QTest::addColumn<int>("reponse");
    QTest::newRow("copie, Oui") << false << 6;
    QTest::newRow("copie, Non") << false << 7;
    QTest::newRow("copie, Annuler") << false << 2;
    QTest::newRow("déplacement, Non : la source reste") << true << 7;
}

// La question de COPIER pour chaque fichier déjà là, nommé dans l'arbre.
void TestCopier::repertoire_remplacement() {
    QFETCH(bool, deplacement);
    QFETCH(int, reponse);
    planter_arbre();
    c->creer_fichier(u"dest/arbre/sous/cle"_s, "ancien");
    const QString la = destination(deplacement ? 2 : 0);
    if (la.isEmpty())
        QSKIP("pas de second système de fichiers sous la main");
    if (deplacement)
        c->creer_fichier(u"shm/arbre/sous/cle"_s, "ancien");
    d->repondre(reponse);
    if (deplacement)
        d->repondre(1); // le répertoire n'est pas parti en entier
    deplacement ? f->Deplacer_repertoire(c->dos(u"doc/arbre"_s))
                : f->Copier_repertoire(c->dos(u"doc/arbre"_s));
    const essai::Question q = d->questions().value(0);
    QCOMPARE(q.texte, u"Le fichier arbre\\sous\\cle"_s + CR + u"existe déjà dans le répertoire"_s +
                          CR + f->Répertoire_dest->path() + CR + u"voulez-vous le remplacer ?"_s);
    QFile cle(la + u"/arbre/sous/cle"_s);
    QVERIFY(cle.open(QIODevice::ReadOnly));
    QCOMPARE(cle.readAll(), reponse == 6 ? QByteArray("secret") : QByteArray("ancien"));
    // Annuler défait ce qui a été créé ; Non laisse le reste arriver.
    QCOMPARE(QFileInfo::exists(la + u"/arbre/a.txt"_s), reponse != 2);
    if (deplacement) {
        verifier_arbre(c->hote(u"doc/arbre"_s));
        QVERIFY(d->dernier().texte.contains(u"n'a pas été déplacé en entier"_s));
    }
    QCOMPARE(caches(la), QStringList());
}

void TestCopier::depot_data() {
    QTest::addColumn<QString>("quoi"); // "fichier", "arbre", "les deux"
    QTest::addColumn<bool>("source");  // déposé sur le cadre SOURCE
    QTest::addColumn<bool>("deja");    // le fichier est déjà là (Non)
    QTest::addColumn<bool>("interne"); // vient de la liste SOURCE de ce processus
    QTest::newRow("un fichier sur DESTINATION") << u"fichier"_s << false << false << false;
    QTest::newRow("un répertoire sur DESTINATION") << u"arbre"_s << false << false << false;
    QTest::newRow("les deux sur SOURCE") << u"les deux"_s << true << false << false;
    QTest::newRow("déjà là : question, Non") << u"fichier"_s << false << true << false;
    QTest::newRow("la liste SOURCE sur son propre cadre") << u"fichier"_s << true << false << true;
}

// Fichiers d'un autre programme déposés sur un cadre : copiés dans son
// répertoire par le même moteur, avec la question de remplacement.
void TestCopier::depot() {
    QFETCH(QString, quoi);
    QFETCH(bool, source);
    QFETCH(bool, deja);
    QFETCH(bool, interne);
    planter_arbre();
    QTemporaryDir ailleurs;
    QFile fichier(ailleurs.filePath(u"lettre.txt"_s));
    QVERIFY(fichier.open(QIODevice::WriteOnly) && fichier.write("lettre") == 6);
    fichier.close();
    charger();
    const QString vers = source ? c->hote(u"doc"_s) : c->hote(u"dest"_s);
    if (deja) {
        c->creer_fichier(u"dest/LETTRE.TXT"_s, "ancienne");
        d->repondre(7);
    }
    QList<QUrl> urls;
    if (quoi != u"arbre"_s)
        urls << QUrl::fromLocalFile(fichier.fileName());
    if (quoi != u"fichier"_s)
        urls << QUrl::fromLocalFile(c->hote(u"doc/arbre/"_s)); // '/' final d'un bureau
    QMimeData donnees;
    donnees.setUrls(urls);
    if (interne)
        donnees.setData(u"application/x-kaldron-source"_s,
                        QByteArray::number(QCoreApplication::applicationPid()));
    QWidget* cadre = source ? f->Cadre_srce : f->Cadre_dest;
    const QPointF point(cadre->width() / 2, cadre->height() / 2);
    QDragEnterEvent entree(point.toPoint(), Qt::CopyAction | Qt::MoveAction, &donnees,
                           Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(cadre, &entree);
    QCOMPARE(entree.isAccepted(), !interne);
    QDropEvent depot(point, Qt::CopyAction | Qt::MoveAction, &donnees, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(cadre, &depot);
    QCOMPARE(depot.isAccepted(), !interne);
    if (interne) {
        QTest::qWait(0);
        QVERIFY(!QFileInfo::exists(vers + u"/lettre.txt"_s));
        return;
    }
    // La copie vient après le dépôt, par la boucle d'événements.
    if (quoi != u"arbre"_s && !deja)
        QTRY_VERIFY(QFileInfo::exists(vers + u"/lettre.txt"_s));
    if (deja)
        QTRY_COMPARE(d->questions().size(), 1);
    if (quoi != u"fichier"_s) {
        QTRY_VERIFY(QFileInfo::exists(vers + u"/arbre/sous/cle"_s));
        QTRY_VERIFY(!etat_commande().commande_en_cours);
        if (!source)
            verifier_arbre(vers + u"/arbre"_s);
    }
    QTRY_VERIFY(!etat_commande().commande_en_cours);
    if (quoi != u"arbre"_s) {
        // Même nom à la casse près : c'est le fichier déjà là (DOS), gardé sur Non.
        QCOMPARE(QDir(vers).entryList({u"lettre.txt"_s}, QDir::Files, QDir::Name),
                 QStringList{deja ? u"LETTRE.TXT"_s : u"lettre.txt"_s});
        QCOMPARE(d->questions().size(), deja ? 1 : 0);
    }
    QCOMPARE(caches(vers), QStringList());
    QVERIFY(QFileInfo::exists(fichier.fileName()));
}

// Un lien vers un répertoire, choisi dans la liste, part comme lien : même
// s'il désigne la DESTINATION, ce n'est pas copier un répertoire en lui-même.
void TestCopier::repertoire_lien() {
    charger();
    QVERIFY(QFile::link(u"../dest"_s, c->hote(u"doc/vers_dest"_s)));
    f->Deplacer_repertoire(c->dos(u"doc/vers_dest"_s));
    const QFileInfo lien(c->hote(u"dest/vers_dest"_s));
    QVERIFY(lien.isSymLink());
    QCOMPARE(lien.symLinkTarget(), c->hote(u"dest"_s));
    QVERIFY(!QFileInfo(c->hote(u"doc/vers_dest"_s)).isSymLink());
    QVERIFY(QFileInfo(c->hote(u"dest"_s)).isDir());
    QVERIFY(d->questions().isEmpty());
}

QTEST_MAIN(TestCopier)
#include "test_copier.moc"
