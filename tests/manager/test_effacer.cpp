// EFFACER : confirmation toujours demandée, corbeille ou effacement définitif.
#include "manager/common/etat_commande.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "manager/recycle_bin/corbeille.h"
#include "platform/dialogues.h"
#include "platform/fichiers.h"
#include "support/dialogues_scriptes.h"
#include "support/unite_temporaire.h"
#include <QDir>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {
const QStringList NOMS{u"a.txt"_s, u"b.txt"_s, u"c.txt"_s, u"d.txt"_s};
const int QUESTION_UNE = plateforme::MB_OUI_NON + plateforme::MB_QUESTION + plateforme::MB_DEFAUT_2;
} // namespace

class TestEffacer : public QObject {
    Q_OBJECT

    std::unique_ptr<essai::UniteTemporaire> c;
    std::unique_ptr<essai::UniteTemporaire> a; // disquette, défaite avant c
    std::unique_ptr<essai::DialoguesScriptes> d;
    std::unique_ptr<Gestion_Fichiers> f;

    // SOURCE sur doc (fichiers a à d) de l'unité 'lettre'.
    void charger(bool disquette = false) {
        if (disquette)
            a = std::make_unique<essai::UniteTemporaire>(u'A');
        essai::UniteTemporaire* u = disquette ? a.get() : c.get();
        u->creer_repertoire(u"doc"_s);
        for (int i = 0; i < NOMS.size(); ++i)
            u->creer_fichier(u"doc/"_s + NOMS[i], QByteArray(qsizetype(100) * (i + 1), 'x'));
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        f->Unité_srce->setDrive(u->racine().left(2));
        f->Répertoire_srce->setPath(u->dos(u"doc"_s));
        f->Fichier_srce->setPath(u->dos(u"doc"_s));
        f->Fichier_srce->clearSelection();
        etat_commande().liste_parcourue = f->Fichier_srce;
        etat_commande().curseur = 0;
    }
    void corbeille(int ko) {
        Reglages& r = reglages();
        r.taille_corbeille_texte = QString::number(ko);
        r.taille_corbeille = ko;
        r.corbeille_active = true;
        Ouvrir_corbeille();
    }
    void choisir(const QList<int>& indices) {
        f->Fichier_srce->clearSelection();
        for (int i : indices)
            f->Fichier_srce->setSelected(i, true);
        f->Ligne_message->setText(u"   "_s + QString::number(indices.size()) +
                                  u" fichier(s) sélectionné(s), total = 100 octets."_s);
    }
    // Fichiers non cachés restant dans doc.
    QStringList restants(const essai::UniteTemporaire* u = nullptr) const {
        QStringList noms =
            plateforme::lister_noms_fichiers((u ? u : c.get())->dos(u"doc"_s), u"*.*"_s);
        for (QString& n : noms)
            n = n.toLower();
        return noms;
    }
    int fichiers_sur_disque(const essai::UniteTemporaire* u) const {
        return int(QDir(u->hote(u"doc"_s)).entryList(QDir::Files | QDir::Hidden).size());
    }
    QStringList rangés() const {
        QStringList noms;
        for (const EntreeCorbeille& e : entrees_corbeille())
            noms << e.nom;
        return noms;
    }

private slots:
    void init() {
        etat_commande().reinitialiser();
        reglages().reinitialiser();
        etat_corbeille().reinitialiser();
        c = std::make_unique<essai::UniteTemporaire>();
        c->creer_repertoire(u"kaldron"_s);
        qputenv("KALDRON_PROGRAMME", c->hote(u"kaldron"_s).toUtf8());
        d = std::make_unique<essai::DialoguesScriptes>();
    }
    void cleanup() {
        const bool ok = d->verifier();
        f.reset();
        d.reset();
        etat_corbeille().reinitialiser();
        a.reset();
        c.reset();
        qunsetenv("KALDRON_PROGRAMME");
        QVERIFY(ok);
    }

    void un_fichier_va_a_la_corbeille() {
        charger();
        corbeille(1000);
        choisir({1});
        d->repondre(plateforme::REP_OUI);
        f->Effacer_Click();
        QCOMPARE(d->questions().size(), 1);
        QCOMPARE(d->dernier().style, QUESTION_UNE);
        QCOMPARE(d->dernier().titre, u"Gestionnaire de fichiers"_s);
        QCOMPARE(restants(), (QStringList{NOMS[0], NOMS[2], NOMS[3]}));
        QCOMPARE(rangés(), QStringList{NOMS[1]});
        QVERIFY(!etat_commande().commande_en_cours);
    }

    void un_fichier_refuse_reste() {
        charger();
        corbeille(1000);
        choisir({0});
        d->repondre(plateforme::REP_NON);
        f->Effacer_Click();
        QCOMPARE(restants(), NOMS);
        QVERIFY(rangés().isEmpty());
    }

    void plusieurs_fichiers_data() {
        QTest::addColumn<QList<int>>("reponses");
        QTest::addColumn<QStringList>("attendus_ranges");
        QTest::addColumn<QStringList>("attendus_restants");
        QTest::newRow("GLOBAL") << QList<int>{2} << QStringList{NOMS[0], NOMS[2], NOMS[3]}
                                << QStringList{NOMS[1]};
        QTest::newRow("SELECTIF oui non oui")
            << QList<int>{1, 6, 7, 6} << QStringList{NOMS[0], NOMS[3]}
            << QStringList{NOMS[1], NOMS[2]};
        QTest::newRow("SELECTIF puis annuler") << QList<int>{1, 6, 2} << QStringList{NOMS[0]}
                                               << QStringList{NOMS[1], NOMS[2], NOMS[3]};
        QTest::newRow("ANNULER") << QList<int>{3} << QStringList{} << NOMS;
    }
    // Le fichier non choisi qui suit un fichier effacé n'est jamais pris.
    void plusieurs_fichiers() {
        QFETCH(QList<int>, reponses);
        QFETCH(QStringList, attendus_ranges);
        QFETCH(QStringList, attendus_restants);
        charger();
        corbeille(1000);
        choisir({0, 2, 3});
        for (int r : reponses)
            d->repondre(r);
        f->Effacer_Click();
        QCOMPARE(rangés(), attendus_ranges);
        QCOMPARE(restants(), attendus_restants);
        QCOMPARE(d->questions().size(), reponses.size());
        QCOMPARE(etat_commande().mode_de_confirmation, 0);
    }

    void corbeille_absente_efface_pour_de_bon() {
        charger();
        choisir({2});
        d->repondre(plateforme::REP_OUI);
        f->Effacer_Click();
        QCOMPARE(d->dernier().titre, u"Attention !  Corbeille absente"_s);
        QCOMPARE(restants(), (QStringList{NOMS[0], NOMS[1], NOMS[3]}));
        QCOMPARE(fichiers_sur_disque(c.get()), 3);
    }

    void unite_a_efface_pour_de_bon() {
        charger(true);
        corbeille(1000);
        choisir({0});
        d->repondre(plateforme::REP_OUI);
        f->Effacer_Click();
        QCOMPARE(d->dernier().titre, u"Gestionnaire de fichiers"_s);
        QCOMPARE(fichiers_sur_disque(a.get()), 3);
        QCOMPARE(restants(a.get()), (QStringList{NOMS[1], NOMS[2], NOMS[3]}));
        QVERIFY(rangés().isEmpty());
    }

    void lecture_seule_refuse() {
        charger();
        corbeille(1000);
        plateforme::definir_attributs(c->dos(u"doc\\b.txt"_s), plateforme::ATTR_LECTURE_SEULE);
        choisir({1});
        d->repondre(plateforme::REP_OUI);
        d->repondre(1);
        f->Effacer_Click();
        QCOMPARE(d->questions().size(), 2);
        QCOMPARE(d->dernier().titre, u"EFFACER"_s);
        QCOMPARE(restants(), NOMS);
        QCOMPARE(c->contenu(u"doc/b.txt"_s), QByteArray(200, 'x'));
        QVERIFY(rangés().isEmpty());
        plateforme::definir_attributs(c->dos(u"doc\\b.txt"_s), plateforme::ATTR_NORMAL);
    }

    void fichier_plus_grand_que_la_corbeille_data() {
        QTest::addColumn<int>("reponse");
        QTest::addColumn<bool>("range");
        QTest::newRow("agrandir d'abord") << int(plateforme::REP_OUI) << false;
        QTest::newRow("ranger quand même") << int(plateforme::REP_NON) << true;
    }
    void fichier_plus_grand_que_la_corbeille() {
        QFETCH(int, reponse);
        QFETCH(bool, range);
        charger();
        corbeille(100);
        c->creer_fichier(u"doc/e.txt"_s, QByteArray(200000, 'y'));
        Mettre_en_corbeille(c->dos(u"doc\\d.txt"_s), NOMS[3], c->dos(u"doc"_s), 400);
        f->Fichier_srce->rafraichir();
        choisir({3});
        d->repondre(plateforme::REP_OUI);
        d->repondre(reponse);
        f->Effacer_Click();
        QCOMPARE(d->questions().size(), 2);
        QVERIFY(d->dernier().texte.startsWith(u"Attention ! La taille du fichier 'e.txt'"_s));
        QCOMPARE(d->dernier().style, plateforme::MB_OUI_NON + plateforme::MB_QUESTION);
        // La purge finale détruit l'entrée plus ancienne, jamais la dernière.
        QCOMPARE(rangés(), range ? QStringList{u"e.txt"_s} : QStringList{NOMS[3]});
        QCOMPARE(restants().contains(u"e.txt"_s), !range);
    }

    // GLOBAL quand l'index refuse la ligne (limite de taille du processus,
    // comme un disque plein) : message en français, aucun fichier ne quitte
    // son nom, l'index reste tel quel.
    void ecriture_de_l_index_refusee() {
        charger();
        corbeille(1000);
        c->creer_fichier(u"doc/e.txt"_s, "e");
        Mettre_en_corbeille(c->dos(u"doc\\e.txt"_s), u"e.txt"_s, c->dos(u"doc"_s), 1);
        const QByteArray index = c->contenu(u"KALDRON.CRB"_s);
        choisir({0, 1, 2, 3});
        d->repondre(2); // GLOBAL
        d->repondre(1); // le message d'erreur
        struct rlimit ancienne {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &ancienne), 0);
        const auto signal = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limite = ancienne;
        limite.rlim_cur = rlim_t(index.size() + 10);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limite), 0);
        // La limite tombe quand le message paraît : la purge écrit ensuite.
        const auto rendre = [&] { ::setrlimit(RLIMIT_FSIZE, &ancienne); };
        d->avant_reponse = [&](const essai::Question& q) {
            if (q.texte.startsWith(u"Disque "_s))
                rendre();
        };
        f->Effacer_Click();
        rendre();
        std::signal(SIGXFSZ, signal);
        QCOMPARE(d->questions().size(), 2);
        QVERIFY2(d->dernier().texte.startsWith(u"Disque "_s), qPrintable(d->dernier().texte));
        QCOMPARE(restants(), NOMS);
        QCOMPARE(c->contenu(u"KALDRON.CRB"_s), index);
        QCOMPARE(rangés(), QStringList{u"e.txt"_s});
    }

    void aucune_selection() {
        charger();
        f->Ligne_message->clear();
        d->repondre(1);
        f->Effacer_Click();
        QCOMPARE(d->dernier().texte, u"Pas de fichier(s) 'SOURCE' sélectionné(s)."_s);
        QCOMPARE(restants(), NOMS);
    }
};

QTEST_MAIN(TestEffacer)
#include "test_effacer.moc"
