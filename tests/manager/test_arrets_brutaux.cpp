// Arrêts brutaux des copies, des déplacements et de la corbeille : un fils
// conduit les vraies commandes COPIER et DEPLACER, range, purge et rend des
// fichiers en boucle, et reçoit SIGKILL à un instant tiré au hasard. Après
// chaque arrêt : aucun fichier perdu, aucun fichier partiel sous le nom d'un
// fichier de l'utilisateur, un index de corbeille sain ; au redémarrage, plus
// aucun provisoire. Longue course : KALDRON_TOURS_ARRETS=n, avec
// QTEST_FUNCTION_TIMEOUT (ms) au-delà des cinq minutes par défaut.
#include "essai_fenetre.h"
#include "manager/commands/moteur_copie.h"
#include "manager/recycle_bin/corbeille.h"
#include "platform/chemins.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int TOURS_SUITE = 600;
constexpr qint64 DUREE_SUITE_MS = 20'000;
constexpr int CODE_ERREUR = 3;
constexpr int IDENTITES_MAX = 1 << 17;
constexpr int VIVANTS = 14; // fichiers suivis remis en place avant chaque tour

enum Operation {
    Rien,
    Copie,
    DeplacementUnite,
    DeplacementAutreFs,
    DeplacementAutreUnite,
    MiseEnCorbeille,
    Purge,
    Rendu,
    NOMBRE_OPERATIONS
};
const char* const NOMS_OPERATIONS[] = {"entre deux opérations",
                                       "copie",
                                       "déplacement sur l'unité",
                                       "déplacement vers un autre système de fichiers",
                                       "déplacement vers une autre unité",
                                       "mise en corbeille",
                                       "purge",
                                       "rendu"};

// Mémoire partagée entre le père et le fils (survit au SIGKILL).
struct Partage {
    std::atomic<int> en_cours;
    std::atomic<int> pret;      // le fils a fini de se mettre en place
    std::atomic<qint64> faites; // opérations menées à bout, tous tours confondus
    char message[512];
    qint64 taille[IDENTITES_MAX];      // taille de la version suivie de chaque fichier
    unsigned char jete[IDENTITES_MAX]; // passé par la corbeille : peut disparaître
};

QString nom_de(int id) {
    return u"f%1.dat"_s.arg(id, 6, 10, QChar(u'0'));
}

// "nom|taille|" puis un remplissage qui dépend de la taille déclarée : un
// fichier tronqué ou mêlé de deux versions ne se valide pas.
QByteArray contenu_de(const QString& nom, qint64 taille) {
    QByteArray octets = nom.toUtf8() + '|' + QByteArray::number(taille) + '|';
    const qint64 tete = octets.size();
    octets.resize(std::max(taille, tete));
    for (qint64 i = tete; i < taille; ++i)
        octets[i] = char('a' + (i * 7 + taille) % 26);
    return octets;
}

struct Vu {
    QString nom; // vide : contenu partiel ou mêlé
    qint64 taille = -1;
    int id() const { return nom.mid(1, 6).toInt(); }
};

// Nom et taille annoncés par un contenu, s'il est complet.
Vu identite(const QByteArray& octets) {
    const QList<QByteArray> champs = octets.left(64).split('|');
    bool ok = false;
    const qint64 taille = champs.value(1).toLongLong(&ok);
    if (champs.size() < 3 || !ok)
        return {};
    const QString nom = QString::fromUtf8(champs.at(0));
    return contenu_de(nom, taille) == octets ? Vu{nom, taille} : Vu{};
}

QByteArray lire(const QString& hote) {
    QFile f(hote);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Lieu {
    QString dos; // "C:\SRC", "D:\"
    QString hote;
    QString chemin(const QString& nom) const { return plateforme::joindre(dos, nom); }
};

} // namespace

class TestArretsBrutaux : public EssaiFenetre {
    Q_OBJECT

    std::unique_ptr<essai::UniteTemporaire> autre; // D: sur /dev/shm
    std::unique_ptr<QTemporaryDir> shm;            // cible du lien C:\SHM
    QList<Lieu> lieux;
    Partage* partage = nullptr;
    QSet<int> suivis; // identités qui doivent se retrouver
    int prochain = 1;
    QRandomGenerator hasard{20261209};
    qint64 arrets[NOMBRE_OPERATIONS] = {};
    qint64 provisoires_trouves = 0;
    qint64 orphelins_trouves = 0;
    qint64 douteuses_signalees = 0;

    void creer_identite(int lieu) {
        const int id = prochain++;
        const qint64 taille = hasard.bounded(3) == 0 ? hasard.bounded(20, 3000)
                              : hasard.bounded(2) == 0
                                  ? 8192 * hasard.bounded(1, 10)
                                  : 8192 * hasard.bounded(1, 12) + hasard.bounded(1, 8191);
        QVERIFY(id < IDENTITES_MAX);
        QFile f(lieux.at(lieu).hote + u'/' + nom_de(id));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(contenu_de(nom_de(id), taille)) > 0);
        partage->taille[id] = taille;
        suivis.insert(id);
        // Une ancienne version ailleurs : la copie la remplacera.
        if (hasard.bounded(3) == 0) {
            QFile v(lieux.at((lieu + 1 + hasard.bounded(3)) % 4).hote + u'/' + nom_de(id));
            QVERIFY(v.open(QIODevice::WriteOnly) &&
                    v.write(contenu_de(nom_de(id), taille / 2 + 40)) > 0);
        }
    }

    // Redémarrage : une fenêtre neuve, chargée comme au lancement.
    // Un arrêt entre la ligne et les attributs laisse un fichier stocké sans
    // ses marques : le démarrage ne le détruit pas et le signale, seul
    // message permis ici.
    void demarrer() {
        f.reset();
        etat_commande().reinitialiser();
        etat_corbeille().reinitialiser();
        QVERIFY(d->verifier());
        d.reset();
        d = std::make_unique<essai::DialoguesScriptes>();
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        f->espace_libre_de = [](const QString&) { return qint64(1) << 40; };
        for (const essai::Question& q : d->questions()) {
            QVERIFY2(q.texte.startsWith(u"L'index de la corbeille KALDRON.CRB contient des "
                                        u"lignes douteuses"_s) &&
                         q.texte.contains(u"(sans ses attributs caché et lecture seule)"_s),
                     qPrintable(q.texte));
            ++douteuses_signalees;
        }
        d.reset();
        d = std::make_unique<essai::DialoguesScriptes>();
    }

    bool est_provisoire(const QString& nom) const {
        return copie::est_nom_provisoire(nom) || plateforme::est_nom_temporaire(nom);
    }

    // La version suivie (pas une ancienne version) compte comme retrouvée.
    void retrouver(const Vu& vu, QSet<int>& trouves) const {
        if (vu.taille == partage->taille[vu.id()])
            trouves.insert(vu.id());
    }

    // Vérifie l'état laissé par l'arrêt ; retire l'orphelin de la corbeille.
    void verifier(int tour) {
        QSet<int> trouves;
        QHash<QString, QString> stockes; // chemin canonique -> chemin DOS
        for (const Lieu& l : lieux) {
            for (const QString& nom :
                 QDir(l.hote).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
                const QString chemin = QFileInfo(l.hote + u'/' + nom).canonicalFilePath();
                if (est_provisoire(nom)) {
                    ++provisoires_trouves;
                } else if (corbeille::nom_stocke_valide(nom)) {
                    stockes.insert(chemin, l.chemin(nom));
                } else {
                    const Vu vu = identite(lire(chemin));
                    QVERIFY2(
                        vu.nom == nom,
                        qPrintable(u"tour %1 : %2 partiel ou inconnu"_s.arg(tour).arg(chemin)));
                    // Rendu ou copié, il reste visible et modifiable.
                    QVERIFY2(!(plateforme::attributs(l.chemin(nom)) &
                               (plateforme::ATTR_CACHE | plateforme::ATTR_LECTURE_SEULE)),
                             qPrintable(u"tour %1 : %2 caché ou protégé"_s.arg(tour).arg(chemin)));
                    retrouver(vu, trouves);
                }
            }
        }
        verifier_index(tour, trouves, stockes);
        if (QTest::currentTestFailed())
            return;
        for (int id : QSet<int>(suivis)) {
            if (trouves.contains(id))
                continue;
            QVERIFY2(partage->jete[id],
                     qPrintable(u"tour %1 : %2 perdu"_s.arg(tour).arg(nom_de(id))));
            suivis.remove(id);
        }
    }

    void verifier_index(int tour, QSet<int>& trouves, QHash<QString, QString>& stockes) {
        for (const QByteArray& brute : corbeille::lire_lignes()) {
            const auto e = corbeille::lire_ligne(brute);
            QVERIFY2(e, qPrintable(u"tour %1 : ligne illisible %2"_s.arg(tour).arg(
                            QString::fromUtf8(brute))));
            const QString hote =
                QFileInfo(plateforme::dos_vers_hote(e->chemin_stocke())).canonicalFilePath();
            QVERIFY2(stockes.remove(hote),
                     qPrintable(u"tour %1 : %2 nommé, absent"_s.arg(tour).arg(e->chemin_stocke())));
            const Vu vu = identite(lire(hote));
            QCOMPARE(vu.nom, e->nom);
            QCOMPARE(vu.taille, e->taille);
            retrouver(vu, trouves);
        }
        // Seul le fichier qu'on rangeait, purgeait ou rendait peut manquer à l'index.
        QVERIFY2(stockes.size() <= 1,
                 qPrintable(u"tour %1 : %2 fichiers stockés hors de l'index"_s.arg(tour).arg(
                     stockes.size())));
        for (auto it = stockes.cbegin(); it != stockes.cend(); ++it) {
            const QString& orphelin = it.key();
            const Vu vu = identite(lire(orphelin));
            QVERIFY2(!vu.nom.isEmpty(), qPrintable(orphelin));
            // Une version suivie n'entre dans la corbeille que par une mise en corbeille.
            QVERIFY2(vu.taille != partage->taille[vu.id()] || partage->jete[vu.id()],
                     qPrintable(vu.nom));
            // Hors de l'index, il doit rester visible : sinon rien ne le montre plus.
            QVERIFY2(!(plateforme::attributs(it.value()) & plateforme::ATTR_CACHE),
                     qPrintable(u"tour %1 : %2 caché hors de l'index"_s.arg(tour).arg(orphelin)));
            ++orphelins_trouves;
            // Invisible et jamais purgé : on le retire pour que l'essai reste juste.
            QFile::setPermissions(orphelin, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            QVERIFY(QFile::remove(orphelin));
        }
    }

    int compter_provisoires() const {
        int n = 0;
        for (const Lieu& l : lieux)
            for (const QString& nom : QDir(l.hote).entryList(QDir::Files | QDir::Hidden))
                n += est_provisoire(nom) ? 1 : 0;
        return n;
    }

    void tour_complet(int tour, int& tues) {
        while (suivis.size() < VIVANTS)
            creer_identite(hasard.bounded(4));
        demarrer();
        QCOMPARE(compter_provisoires(), 0); // le démarrage a tout nettoyé
        partage->en_cours = Rien;
        partage->pret = 0;
        // Tampons vidés avant fork, sinon le fils les réécrirait ; un échec
        // ne ferait que doubler une trace.
        (void)std::fflush(nullptr);
        const pid_t fils = ::fork();
        QVERIFY(fils >= 0);
        if (fils == 0)
            travailler(tour);
        // L'instant est tiré une fois le fils en place : sa mise en route
        // (premières lectures des répertoires) ne touche aucun fichier.
        for (int i = 0; i < 10'000 && !partage->pret; ++i)
            ::usleep(500);
        ::usleep(useconds_t(hasard.bounded(0, 25'000)));
        ::kill(fils, SIGKILL);
        int statut = 0;
        QCOMPARE(::waitpid(fils, &statut, 0), fils);
        QVERIFY2(!(WIFEXITED(statut) && WEXITSTATUS(statut) == CODE_ERREUR), partage->message);
        tues += WIFSIGNALED(statut) ? 1 : 0;
        ++arrets[partage->en_cours.load()];
        f.reset();
        etat_corbeille().reinitialiser();
        verifier(tour);
    }

    // ----------------------------------------------------------- le fils

    [[noreturn]] void travailler(int tour) {
        try {
            QRandomGenerator h(quint32(tour) * 7919u + 17);
            for (const Lieu& l : lieux) {
                f->Répertoire_srce->setPath(l.dos);
                f->Fichier_srce->setPath(l.dos);
            }
            partage->pret = 1;
            for (;;) {
                const int tirage = h.bounded(100);
                if (tirage < 30)
                    commander(h, false);
                else if (tirage < 60)
                    commander(h, true);
                else if (tirage < 80)
                    ranger(h);
                else if (tirage < 87)
                    marquer(Purge, [] { Purger_corbeille(); });
                else
                    rendre(h);
                if (!d->anomalies().isEmpty())
                    echouer(d->anomalies().first());
            }
        } catch (const plateforme::ErreurExecution& e) {
            echouer(
                u"%1 : erreur %2 : %3"_s.arg(QString::fromUtf8(NOMS_OPERATIONS[partage->en_cours]))
                    .arg(e.numero())
                    .arg(QString::fromUtf8(e.what())));
        }
    }

    [[noreturn]] void echouer(const QString& motif) {
        std::strncpy(partage->message, motif.toUtf8().constData(), sizeof partage->message - 1);
        ::_exit(CODE_ERREUR);
    }

    template <typename F> void marquer(Operation op, F&& travail) {
        partage->en_cours = op;
        travail();
        partage->en_cours = Rien;
        ++partage->faites;
    }

    // Fichiers de l'utilisateur (les fichiers stockés ne commencent pas par un point).
    static QStringList fichiers_de(const Lieu& l) {
        QStringList noms = QDir(l.hote).entryList(QDir::Files, QDir::Name);
        noms.removeIf([](const QString& nom) { return corbeille::nom_stocke_valide(nom); });
        return noms;
    }

    // COPIER ou DEPLACER de un à trois fichiers entre deux lieux tirés au hasard.
    void commander(QRandomGenerator& h, bool deplacer) {
        const int s = h.bounded(4);
        const int t = (s + 1 + h.bounded(3)) % 4;
        const Lieu& source = lieux.at(s);
        const Lieu& dest = lieux.at(t);
        const bool meme_unite = source.dos.at(0) == dest.dos.at(0);
        const QStringList deja = fichiers_de(dest);
        f->Unité_srce->setDrive(source.dos.left(2).toLower());
        f->Répertoire_srce->setPath(source.dos);
        f->Fichier_srce->setPath(source.dos);
        f->Unité_dest->setDrive(dest.dos.left(2).toLower());
        f->Répertoire_dest->setPath(dest.dos);
        f->Fichier_dest->setPath(dest.dos);
        f->Fichier_srce->clearSelection();
        f->taille_sélectionnée = 0;
        int choisis = 0;
        for (int i = 0; i < f->Fichier_srce->listCount() && choisis < 3; ++i) {
            const QString nom = f->Fichier_srce->list(i);
            // Sur une même unité, un déplacement ne remplace jamais (58). Un
            // fichier stocké resté visible (arrêt avant ses attributs) est laissé.
            if (h.bounded(3) != 0 || (deplacer && meme_unite && deja.contains(nom)) ||
                corbeille::nom_stocke_valide(nom))
                continue;
            f->Fichier_srce->setSelected(i, true);
            const qint64 taille = QFileInfo(source.hote + u'/' + nom).size();
            f->taille_sélectionnée += taille;
            // Une ancienne version qui écrase la version suivie : perte voulue.
            const int id = nom.mid(1, 6).toInt();
            if (deja.contains(nom) && taille != partage->taille[id] &&
                QFileInfo(dest.hote + u'/' + nom).size() == partage->taille[id])
                partage->jete[id] = 1;
            ++choisis;
        }
        if (choisis == 0)
            return;
        EtatCommande& etat = etat_commande();
        etat.liste_parcourue = f->Fichier_srce;
        etat.curseur = 0;
        f->Ligne_message->setText(u"    %1 fichier(s) sélectionné(s)"_s.arg(choisis));
        if (!deplacer)
            marquer(Copie, [&] { f->Copier_Click(); });
        else
            marquer(meme_unite ? (s == 2 || t == 2 ? DeplacementAutreFs : DeplacementUnite)
                               : DeplacementAutreUnite,
                    [&] { f->Déplacer_Click(); });
    }

    void ranger(QRandomGenerator& h) {
        const Lieu& l = lieux.at(h.bounded(4));
        const QStringList noms = fichiers_de(l);
        if (noms.isEmpty())
            return;
        const QString& nom = noms.at(h.bounded(int(noms.size())));
        const qint64 taille = QFileInfo(l.hote + u'/' + nom).size();
        const int id = nom.mid(1, 6).toInt();
        if (taille == partage->taille[id])
            partage->jete[id] = 1; // avant : l'arrêt peut suivre
        marquer(MiseEnCorbeille, [&] { Mettre_en_corbeille(l.chemin(nom), nom, l.dos, taille); });
    }

    void rendre(QRandomGenerator& h) {
        const QList<EntreeCorbeille> entrees = entrees_corbeille();
        if (entrees.isEmpty())
            return;
        const EntreeCorbeille& e = entrees.at(h.bounded(int(entrees.size())));
        if (plateforme::existe(e.chemin_origine()))
            return;
        marquer(Rendu, [&] { restaurer_entree(e); });
    }

private slots:
    void init() {
        monter();
        QVERIFY(c->valide());
        qputenv("TMPDIR", "/dev/shm");
        autre = std::make_unique<essai::UniteTemporaire>(u'D');
        shm = std::make_unique<QTemporaryDir>(u"/dev/shm/kaldron-arrets-XXXXXX"_s);
        qunsetenv("TMPDIR");
        if (!autre->valide() || !shm->isValid())
            QSKIP("/dev/shm indisponible");
        c->creer_fichier(u"kaldron/KALDRON.INI"_s, "[Options]\r\nConfirme=Non\r\nRemplace=Non\r\n"
                                                   "[Corbeille]\r\nTaille=200\r\n");
        c->creer_repertoire(u"SRC"_s);
        c->creer_repertoire(u"DEST"_s);
        QVERIFY(QFile::link(shm->path(), c->hote(u"SHM"_s)));
        lieux = {{c->dos(u"SRC"_s), c->hote(u"SRC"_s)},
                 {c->dos(u"DEST"_s), c->hote(u"DEST"_s)},
                 {c->dos(u"SHM"_s), shm->path()},
                 {autre->racine(), autre->hote(u""_s)}};
        partage = static_cast<Partage*>(::mmap(nullptr, sizeof(Partage), PROT_READ | PROT_WRITE,
                                               MAP_SHARED | MAP_ANONYMOUS, -1, 0));
        QVERIFY(partage != MAP_FAILED);
        std::memset(static_cast<void*>(partage), 0, sizeof(Partage));
    }
    void cleanup() {
        f.reset();
        etat_corbeille().reinitialiser();
        if (partage)
            ::munmap(partage, sizeof(Partage));
        partage = nullptr;
        lieux.clear();
        shm.reset();
        autre.reset();
        QVERIFY(demonter());
    }

    // Un arrêt pendant une copie laisse son provisoire : le démarrage suivant
    // efface les noms notés au journal d'un processus disparu, et rien
    // d'autre : ni un fichier de l'usager au nom de provisoire, ni ce qu'un
    // ancien journal (répertoires seuls) désignait, ni un nom retiré.
    void nettoyage_au_demarrage() {
        for (const char* nom : {".KC0A1B2.TMP", ".kaldron-Ab12Cd", "garde.txt", ".KC33333.TMP",
                                ".KC44444.TMP", ".KC55555.TMP", ".kaldron-Usager"})
            c->creer_fichier(u"SRC/"_s + QString::fromLatin1(nom), "demi");
        c->creer_repertoire(u"SRC/.KC00000.TMP"_s);
        QVERIFY(QFile::link(c->hote(u"SRC/garde.txt"_s), c->hote(u"SRC/.KC11111.TMP"_s)));
        c->creer_fichier(u"DEST/.KC0A1B2.TMP"_s, "ailleurs");
        const auto note = [this](char marque, const QString& nom) {
            return QByteArray(1, marque) + QFile::encodeName(c->hote(u"SRC/"_s + nom)) + '\0';
        };
        // Journal d'un processus disparu : deux provisoires en vie, un nom
        // noté sans fichier (arrêt avant la création), un retiré, un qui n'est
        // pas un provisoire, un répertoire, un lien, une entrée coupée.
        c->creer_fichier(u"kaldron/KALDRON.999999999.CPY"_s,
                         note('+', u".KC0A1B2.TMP"_s) + note('+', u".kaldron-Ab12Cd"_s) +
                             note('+', u".KC99999.TMP"_s) + note('+', u".KC33333.TMP"_s) +
                             note('-', u".KC33333.TMP"_s) + note('+', u"garde.txt"_s) +
                             note('+', u".KC00000.TMP"_s) + note('+', u".KC11111.TMP"_s) +
                             note('+', u".KC44444.TMP"_s).chopped(1));
        // L'ancien journal commun ne nommait que des répertoires.
        c->creer_fichier(u"kaldron/KALDRON.CPY"_s, QFile::encodeName(c->hote(u"SRC"_s)) + '\0');
        // Journal d'un processus vivant (verrou tenu) : son provisoire reste.
        const QString vivant =
            c->creer_fichier(u"kaldron/KALDRON.4242.CPY"_s, note('+', u".KC55555.TMP"_s));
        QFile tenu(vivant);
        QVERIFY(tenu.open(QIODevice::ReadOnly) && ::flock(tenu.handle(), LOCK_EX | LOCK_NB) == 0);
        demarrer();
        QCOMPARE(
            QDir(c->hote(u"SRC"_s))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                           QDir::Name),
            QStringList({u".KC00000.TMP"_s, u".KC11111.TMP"_s, u".KC33333.TMP"_s, u".KC44444.TMP"_s,
                         u".KC55555.TMP"_s, u".kaldron-Usager"_s, u"garde.txt"_s}));
        QCOMPARE(c->contenu(u"SRC/garde.txt"_s), QByteArray("demi"));
        QCOMPARE(c->contenu(u"DEST/.KC0A1B2.TMP"_s), QByteArray("ailleurs"));
        QCOMPARE(QDir(c->hote(u"kaldron"_s)).entryList({u"*.CPY"_s}, QDir::Files),
                 QStringList{u"KALDRON.4242.CPY"_s});
        // Le processus a disparu : au démarrage suivant, son provisoire part.
        tenu.close();
        demarrer();
        QVERIFY(!QFile::exists(c->hote(u"SRC/.KC55555.TMP"_s)));
        QVERIFY(!QFile::exists(vivant));
    }

    void journal_de_la_commande_data() {
        QTest::addColumn<bool>("deplacer");
        QTest::newRow("COPIER") << false;
        QTest::newRow("DEPLACER") << true;
    }

    // Pendant la copie, le journal du processus nomme le provisoire qui
    // existe ; après, il ne désigne plus rien.
    void journal_de_la_commande() {
        QFETCH(bool, deplacer);
        c->creer_fichier(u"SRC/a.txt"_s, contenu_de(u"a.txt"_s, 50000));
        demarrer();
        const QString journal =
            c->hote(u"kaldron/KALDRON.%1.CPY"_s.arg(QCoreApplication::applicationPid()));
        QByteArray pendant;
        QStringList presents;
        connect(f->Jauge, &QProgressBar::valueChanged, this, [&](int valeur) {
            if (valeur == 100) {
                pendant = lire(journal);
                presents = QDir(autre->hote(u""_s)).entryList(QDir::Files | QDir::Hidden);
            }
        });
        f->Répertoire_srce->setPath(c->dos(u"SRC"_s));
        f->Fichier_srce->setPath(c->dos(u"SRC"_s));
        f->Unité_dest->setDrive(u"d:"_s);
        f->Répertoire_dest->setPath(autre->racine());
        f->Fichier_dest->setPath(autre->racine());
        f->Fichier_srce->setSelected(0, true);
        f->taille_sélectionnée = 50000;
        f->Ligne_message->setText(u"    1 fichier(s) sélectionné(s)"_s);
        etat_commande().liste_parcourue = f->Fichier_srce;
        deplacer ? f->Déplacer_Click() : f->Copier_Click();
        QCOMPARE(presents.size(), 1);
        QVERIFY2(copie::est_nom_provisoire(presents.first()), qPrintable(presents.first()));
        QCOMPARE(pendant, '+' + QFile::encodeName(autre->hote(presents.first())) + '\0');
        QCOMPARE(lire(journal), QByteArray());
        QCOMPARE(autre->contenu(u"a.txt"_s), contenu_de(u"a.txt"_s, 50000));
        QCOMPARE(QFile::exists(c->hote(u"SRC/a.txt"_s)), !deplacer);
    }

    // Les noms tirés pour les provisoires sont bien ceux que le démarrage efface.
    void noms_tires_reconnus() {
        for (int i = 0; i < 200; ++i) {
            const QString nom = copie::nom_provisoire(c->dos(u"SRC\\x.txt"_s));
            QVERIFY2(copie::est_nom_provisoire(plateforme::dernier_composant(nom)),
                     qPrintable(nom));
        }
    }

    void arrets_brutaux() {
        bool ok = false;
        const int demandes = qEnvironmentVariableIntValue("KALDRON_TOURS_ARRETS", &ok);
        const int tours_max = ok && demandes > 0 ? demandes : TOURS_SUITE;
        QElapsedTimer chrono;
        chrono.start();
        int tours = 0;
        int tues = 0;
        while (tours < tours_max && (ok || chrono.elapsed() < DUREE_SUITE_MS)) {
            tour_complet(++tours, tues);
            if (QTest::currentTestFailed())
                return;
        }
        // Un dernier démarrage efface ce que le dernier arrêt a laissé.
        demarrer();
        QCOMPARE(compter_provisoires(), 0);
        qInfo("%d tours, %d arrêts brutaux, %lld provisoires laissés puis effacés, %lld "
              "fichiers stockés hors de l'index, %lld signalements de fichiers stockés sans "
              "leurs marques",
              tours, tues, provisoires_trouves, orphelins_trouves, douteuses_signalees);
        qInfo("%lld opérations menées à bout", partage->faites.load());
        for (int op = 0; op < NOMBRE_OPERATIONS; ++op)
            qInfo("  arrêts pendant : %s : %lld", NOMS_OPERATIONS[op], arrets[op]);
        QVERIFY(tues >= tours / 2);
        QVERIFY(tours >= 20);
    }
};

QTEST_MAIN(TestArretsBrutaux)
#include "test_arrets_brutaux.moc"
