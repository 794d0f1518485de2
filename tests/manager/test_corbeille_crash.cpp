// Arrêts brutaux de la corbeille : un processus fils range, purge et rend
// des fichiers en boucle et reçoit SIGKILL à un instant tiré au hasard.
// Après chaque arrêt, l'index se relit, chaque fichier qu'il nomme existe et
// au plus un fichier stocké (celui qu'on traitait) manque à l'index.
// Deux processus sur le même index : aucune ligne ne se perd.
#include "manager/configuration/fichier_configuration.h"
#include "manager/recycle_bin/corbeille.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"
#include "platform/formats.h"
#include "support/unite_temporaire.h"
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>
#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int TOURS_MAX = 400;
constexpr qint64 DUREE_MAX_MS = 12'000;
constexpr int CODE_ERREUR = 3;

// Contenu qui commence par le nom : un mélange de fichiers se verrait.
QByteArray contenu_de(const QString& nom, int taille) {
    QByteArray octets = nom.toUtf8() + '|';
    return octets + QByteArray(std::max<qsizetype>(taille - octets.size(), 0), 'z');
}

// Travail du fils, jusqu'à ce que le père le tue. Un tour sur deux, tout
// se fait dans un lot, comme EFFACER : l'index reste ouvert pendant que
// purges et rendus le remplacent.
[[noreturn]] void travailler(essai::UniteTemporaire& c, int tour) {
    try {
        etat_corbeille().reinitialiser();
        Ouvrir_corbeille();
        std::optional<corbeille::Lot> lot;
        if (tour % 2 == 0)
            lot.emplace();
        QRandomGenerator hasard(quint32(tour) * 7919u + 1);
        for (int i = 0; i < 100'000; ++i) {
            const QString nom = u"f%1-%2.txt"_s.arg(tour).arg(i);
            const QByteArray octets = contenu_de(nom, hasard.bounded(300, 700));
            c.creer_fichier(u"DOC/"_s + nom, octets);
            Mettre_en_corbeille(c.dos(u"DOC/"_s + nom), nom, c.dos(u"DOC"_s), octets.size());
            if (i % 3 == 2)
                Purger_corbeille();
            const QList<EntreeCorbeille> entrees = entrees_corbeille();
            if (i % 2 == 1 && !entrees.isEmpty())
                restaurer_entree(entrees.at(hasard.bounded(int(entrees.size()))));
        }
    } catch (const plateforme::ErreurExecution& e) {
        (void)std::fprintf(stderr, "fils : erreur %d %s\n", e.numero(), e.what());
        ::_exit(CODE_ERREUR);
    }
    ::_exit(0);
}

// Second programme sur le même index : range des fichiers de A, dans un
// lot comme EFFACER, jusqu'à ce que le père crée STOP.
[[noreturn]] void ranger_en_boucle(essai::UniteTemporaire& c, int maximum) {
    try {
        etat_corbeille().reinitialiser();
        Ouvrir_corbeille();
        const corbeille::Lot lot;
        for (int i = 0; i < maximum && !QFile::exists(c.hote(u"STOP"_s)); ++i) {
            const QString nom = u"a%1.txt"_s.arg(i);
            const QByteArray octets = contenu_de(nom, 40);
            c.creer_fichier(u"A/"_s + nom, octets);
            Mettre_en_corbeille(c.dos(u"A/"_s + nom), nom, c.dos(u"A"_s), octets.size());
        }
    } catch (const plateforme::ErreurExecution& e) {
        (void)std::fprintf(stderr, "fils : erreur %d %s\n", e.numero(), e.what());
        ::_exit(CODE_ERREUR);
    }
    ::_exit(0);
}

bool est_nom_stocke(const QString& nom) {
    return corbeille::nom_stocke_valide(nom);
}

} // namespace

class TestCorbeilleCrash : public QObject {
    Q_OBJECT

    std::unique_ptr<essai::UniteTemporaire> c;

    // Vérifie l'état laissé par l'arrêt, puis retire l'orphelin et les
    // fichiers rendus pour que le tour suivant parte propre.
    void verifier_et_nettoyer(int tour) {
        const QList<QByteArray> lignes = corbeille::lire_lignes();
        QSet<QString> nommes;
        for (const QByteArray& l : lignes) {
            const auto e = corbeille::lire_ligne(l);
            QVERIFY2(e, qPrintable(
                            u"tour %1 : ligne illisible %2"_s.arg(tour).arg(QString::fromUtf8(l))));
            const QString hote = c->hote(u"DOC/"_s + e->nom_stocke);
            QVERIFY2(QFile::exists(hote),
                     qPrintable(u"tour %1 : %2 manque"_s.arg(tour).arg(e->nom_stocke)));
            QVERIFY(c->contenu(u"DOC/"_s + e->nom_stocke).startsWith(e->nom.toUtf8() + '|'));
            nommes.insert(e->nom_stocke);
        }
        QDir doc(c->hote(u"DOC"_s));
        int orphelins = 0;
        for (const QString& nom : doc.entryList(QDir::Files | QDir::Hidden)) {
            if (est_nom_stocke(nom) && !nommes.contains(nom)) {
                ++orphelins;
                QVERIFY(doc.remove(nom));
            } else if (!est_nom_stocke(nom)) {
                // Le fils peut avoir été tué en créant ce fichier : début seulement.
                const QByteArray octets = c->contenu(u"DOC/"_s + nom);
                const QByteArray tete = nom.toUtf8() + '|';
                QVERIFY2(octets.startsWith(tete) || tete.startsWith(octets), qPrintable(nom));
                QVERIFY(doc.remove(nom));
            }
        }
        QVERIFY2(orphelins <= 1, qPrintable(u"tour %1 : %2 orphelins"_s.arg(tour).arg(orphelins)));
    }

private slots:
    void init() {
        reglages().reinitialiser();
        etat_corbeille().reinitialiser();
        c = std::make_unique<essai::UniteTemporaire>();
        c->creer_repertoire(u"PROG"_s);
        c->creer_repertoire(u"DOC"_s);
        configuration::etablir_chemins(reglages(), c->dos(u"PROG"_s));
        Reglages& r = reglages();
        r.taille_corbeille_texte = u"2"_s;
        r.taille_corbeille = 2;
        r.corbeille_active = true;
    }
    void cleanup() {
        etat_corbeille().reinitialiser();
        c.reset();
    }

    void arrets_brutaux() {
        QElapsedTimer chrono;
        chrono.start();
        QRandomGenerator hasard(20240611);
        int tours = 0;
        int tues = 0;
        while (tours < TOURS_MAX && chrono.elapsed() < DUREE_MAX_MS) {
            ++tours;
            (void)std::fflush(nullptr); // tampons vidés avant fork
            const pid_t fils = ::fork();
            QVERIFY(fils >= 0);
            if (fils == 0)
                travailler(*c, tours);
            ::usleep(useconds_t(hasard.bounded(0, 25'000)));
            ::kill(fils, SIGKILL);
            int statut = 0;
            QCOMPARE(::waitpid(fils, &statut, 0), fils);
            QVERIFY2(!(WIFEXITED(statut) && WEXITSTATUS(statut) == CODE_ERREUR),
                     "le fils a rencontré une erreur");
            tues += WIFSIGNALED(statut) ? 1 : 0;
            verifier_et_nettoyer(tours);
            if (QTest::currentTestFailed())
                return;
        }
        qInfo("%d tours, %d arrêts brutaux", tours, tues);
        QVERIFY(tues >= tours / 2);
        QVERIFY(tours >= 50);
    }

    // Un fils range sans cesse pendant que le père rend ses propres
    // entrées et purge les vieilles : l'index se remplace sous le fils.
    // Chaque fichier stocké garde sa ligne, chaque ligne son fichier.
    void deux_processus() {
        const qint64 T = plateforme::numero_jour(QDate::currentDate());
        Reglages& r = reglages();
        r.taille_corbeille_texte.clear();
        r.taille_corbeille = 0;
        r.temps_corbeille_texte = u"3"_s;
        r.temps_corbeille = 3;
        constexpr int VIEILLES = 60;
        constexpr int RECENTES = 60;
        QList<QByteArray> lignes;
        for (int i = 0; i < VIEILLES; ++i) {
            const EntreeCorbeille e{corbeille::nom_stocke(T - 10, i), T - 10, 5, u"v%1"_s.arg(i),
                                    c->dos(u"V\\"_s)};
            c->creer_fichier(u"V/"_s + e.nom_stocke, "vieux!");
            plateforme::definir_attributs(e.chemin_stocke(),
                                          plateforme::ATTR_CACHE | plateforme::ATTR_LECTURE_SEULE);
            lignes << corbeille::ligne(e);
        }
        corbeille::ecrire_lignes(lignes);
        Ouvrir_corbeille();
        for (int i = 0; i < RECENTES; ++i) {
            const QString nom = u"p%1.txt"_s.arg(i);
            c->creer_fichier(u"P/"_s + nom, contenu_de(nom, 30));
            Mettre_en_corbeille(c->dos(u"P/"_s + nom), nom, c->dos(u"P"_s), 30);
        }
        (void)std::fflush(nullptr);
        const pid_t fils = ::fork();
        QVERIFY(fils >= 0);
        if (fils == 0)
            ranger_en_boucle(*c, 900);
        // Le fils a commencé quand sa première ligne est là.
        QTRY_VERIFY_WITH_TIMEOUT(corbeille::lire_lignes().size() > VIEILLES + RECENTES, 20'000);
        for (int rendues = 0; rendues < RECENTES; ++rendues) {
            for (const EntreeCorbeille& e : entrees_corbeille()) {
                if (e.repertoire == c->dos(u"P\\"_s)) {
                    restaurer_entree(e);
                    break;
                }
            }
            if (rendues % 20 == 0)
                Purger_corbeille();
        }
        c->creer_fichier(u"STOP"_s);
        int statut = 0;
        QCOMPARE(::waitpid(fils, &statut, 0), fils);
        QVERIFY2(WIFEXITED(statut) && WEXITSTATUS(statut) == 0, "le fils a échoué");

        QSet<QString> nommes;
        for (const EntreeCorbeille& e : entrees_corbeille()) {
            QCOMPARE(e.repertoire, c->dos(u"A\\"_s));
            QVERIFY2(!nommes.contains(e.nom_stocke), qPrintable(e.nom_stocke));
            nommes.insert(e.nom_stocke);
        }
        QCOMPARE(corbeille::lire_lignes().size(), nommes.size());
        const QStringList stockes = QDir(c->hote(u"A"_s)).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(stockes.size(), nommes.size());
        for (const QString& nom : stockes)
            QVERIFY2(nommes.contains(nom), qPrintable(u"hors de l'index : "_s + nom));
        QVERIFY(nommes.size() > 0);
        QVERIFY(QDir(c->hote(u"V"_s)).entryList(QDir::Files | QDir::Hidden).isEmpty());
        QCOMPARE(QDir(c->hote(u"P"_s)).entryList(QDir::Files | QDir::Hidden).size(), RECENTES);
        for (const QString& nom : QDir(c->hote(u"P"_s)).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(!est_nom_stocke(nom), qPrintable(nom));
    }
};

QTEST_GUILESS_MAIN(TestCorbeilleCrash)
#include "test_corbeille_crash.moc"
