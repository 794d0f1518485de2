// Fenêtre Corbeille : récupération, conflits, champs de limite, Fin.
#include "manager/common/etat_commande.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "manager/recycle_bin/corbeille.h"
#include "manager/recycle_bin/fenetre_corbeille.h"
#include "platform/dialogues.h"
#include "platform/fichiers.h"
#include "platform/profil.h"
#include "support/dialogues_scriptes.h"
#include "support/unite_temporaire.h"
#include <QDir>
#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;

class TestFenetreCorbeille : public QObject {
    Q_OBJECT

    std::unique_ptr<essai::UniteTemporaire> c;
    std::unique_ptr<essai::DialoguesScriptes> d;
    std::unique_ptr<Gestion_Fichiers> f;
    std::unique_ptr<Corbeille> w;

    void charger(const QStringList& noms) {
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        Reglages& r = reglages();
        r.taille_corbeille_texte = u"1000"_s;
        r.taille_corbeille = 1000;
        r.corbeille_active = true;
        Ouvrir_corbeille();
        c->creer_repertoire(u"doc"_s);
        for (const QString& n : noms) {
            c->creer_fichier(u"doc/"_s + n, QByteArray(100, 'x'));
            Mettre_en_corbeille(c->dos(u"doc\\"_s + n), n, c->dos(u"doc"_s), 100);
        }
        w = std::make_unique<Corbeille>(f.get());
        w->Form_Load();
    }
    QStringList noms_ranges() const {
        QStringList noms;
        for (const EntreeCorbeille& e : entrees_corbeille())
            noms << e.nom;
        return noms;
    }
    QString ini(const QString& cle) const {
        return plateforme::lire_profil(u"Corbeille"_s, cle, u"absent"_s, 20,
                                       reglages().chemin_configuration);
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
        w.reset();
        f.reset();
        d.reset();
        etat_corbeille().reinitialiser();
        c.reset();
        qunsetenv("KALDRON_PROGRAMME");
        QVERIFY(ok);
    }

    void liste_et_recuperation() {
        charger({u"a.txt"_s, u"b.txt"_s, u"c.txt"_s});
        QCOMPARE(w->Fichier_effacé->count(), 3);
        QCOMPARE(w->Fichier_effacé->item(1)->text(), c->dos(u"doc\\b.txt"_s));
        QVERIFY(!w->Récupérer->isEnabled());
        w->Fichier_effacé->item(0)->setSelected(true);
        w->Fichier_effacé->item(2)->setSelected(true);
        QVERIFY(w->Récupérer->isEnabled());
        w->Récupérer_Click();
        QCOMPARE(noms_ranges(), QStringList{u"b.txt"_s});
        QCOMPARE(c->contenu(u"doc/a.txt"_s), QByteArray(100, 'x'));
        const unsigned attributs = plateforme::attributs(c->dos(u"doc\\c.txt"_s));
        QCOMPARE(attributs & (plateforme::ATTR_CACHE | plateforme::ATTR_LECTURE_SEULE), 0u);
        QCOMPARE(ini(u"Total"_s).trimmed(), u"100"_s);
    }

    void repertoire_disparu_elimine_l_entree() {
        charger({u"a.txt"_s});
        QDir(c->hote(u"doc"_s)).removeRecursively();
        w->Fichier_effacé->item(0)->setSelected(true);
        d->repondre(1);
        w->Récupérer_Click();
        QVERIFY(d->dernier().texte.contains(u"ou son chemin d'accès n'existe plus :"_s));
        QCOMPARE(d->dernier().titre, u"RECUPERER"_s);
        QVERIFY(noms_ranges().isEmpty());
    }

    // Les deux cadres sur des répertoires effacés derrière le programme : la
    // récupération se fait, chaque relecture ratée est expliquée, la fenêtre
    // se ferme et chaque cadre remonte au parent au lieu d'une liste périmée.
    void cadres_disparus_apres_recuperation() {
        charger({u"a.txt"_s});
        c->creer_fichier(u"doc/vieux/b.txt"_s, "b");
        c->creer_fichier(u"doc/autre/c.txt"_s, "c");
        f->Répertoire_srce->setPath(c->dos(u"doc/vieux"_s));
        f->Répertoire_dest->setPath(c->dos(u"doc/autre"_s));
        QCOMPARE(f->Fichier_srce->path(), c->dos(u"doc/vieux"_s));
        QDir(c->hote(u"doc/vieux"_s)).removeRecursively();
        QDir(c->hote(u"doc/autre"_s)).removeRecursively();
        w->Fichier_effacé->item(0)->setSelected(true);
        d->repondre(plateforme::REP_ANNULER);
        d->repondre(plateforme::REP_ANNULER);
        w->Récupérer_Click();
        QCOMPARE(d->questions().size(), 2);
        for (const essai::Question& q : d->questions()) {
            QCOMPARE(q.texte, u"Chemin d'accès introuvable\rou support absent."_s);
            QCOMPARE(q.titre, u"RECUPERER"_s);
        }
        QCOMPARE(c->contenu(u"doc/a.txt"_s), QByteArray(100, 'x'));
        QVERIFY(noms_ranges().isEmpty());
        QCOMPARE(w->result(), int(QDialog::Accepted));
        for (plateforme::ListeFichiers* liste : {f->Fichier_srce, f->Fichier_dest}) {
            QCOMPARE(liste->path(), c->dos(u"doc"_s));
            QCOMPARE(liste->listCount(), 1);
            QCOMPARE(liste->list(0).toLower(), u"a.txt"_s);
        }
        QCOMPARE(f->Chemin_srce->text(), c->dos(u"doc"_s).toLower());
    }

    void nom_pris_data() {
        QTest::addColumn<QString>("reponse");
        QTest::addColumn<QStringList>("ranges");
        QTest::newRow("nom vide : reste") << QString() << QStringList{u"a.txt"_s};
        QTest::newRow("autre nom") << u"a2.txt"_s << QStringList{};
    }
    void nom_pris() {
        QFETCH(QString, reponse);
        QFETCH(QStringList, ranges);
        charger({u"a.txt"_s});
        c->creer_fichier(u"doc/a.txt"_s, "neuf");
        w->Fichier_effacé->item(0)->setSelected(true);
        d->repondre_saisie(reponse);
        w->Récupérer_Click();
        QVERIFY(d->dernier().texte.startsWith(u"Le fichier a.txt existe déjà"_s));
        QCOMPARE(noms_ranges(), ranges);
        QCOMPARE(c->contenu(u"doc/a.txt"_s), QByteArray("neuf"));
        if (!reponse.isEmpty())
            QCOMPARE(c->contenu(u"doc/a2.txt"_s), QByteArray(100, 'x'));
    }

    void chiffres_seulement_data() {
        QTest::addColumn<QString>("saisi");
        QTest::addColumn<QString>("garde");
        QTest::addColumn<int>("bips");
        QTest::newRow("12a") << u"12a"_s << u"12"_s << 1;
        QTest::newRow("a1b") << u"a1b"_s << u"1"_s << 2;
        QTest::newRow("chiffres") << u"907"_s << u"907"_s << 0;
    }
    void chiffres_seulement() {
        QFETCH(QString, saisi);
        QFETCH(QString, garde);
        QFETCH(int, bips);
        charger({});
        const int avant = d->bips();
        w->Temps->setText(saisi);
        QCOMPARE(w->Temps->text(), garde);
        QCOMPARE(d->bips() - avant, bips);
    }

    void un_champ_vide_l_autre() {
        charger({});
        QCOMPARE(w->Taille->text(), u"1000"_s);
        w->Temps_GotFocus();
        QVERIFY(w->Taille->text().isEmpty());
        w->Temps->setText(u"30"_s);
        w->Taille_GotFocus();
        QCOMPARE(w->Taille->text(), u"1000"_s);
        QVERIFY(w->Temps->text().isEmpty());
    }

    void fin_ecrit_la_limite_data() {
        QTest::addColumn<QString>("taille");
        QTest::addColumn<QString>("temps");
        QTest::newRow("taille") << u"250"_s << QString();
        QTest::newRow("temps") << QString() << u"15"_s;
    }
    void fin_ecrit_la_limite() {
        QFETCH(QString, taille);
        QFETCH(QString, temps);
        charger({});
        w->Taille->setText(taille);
        w->Temps->setText(temps);
        w->Fin_Click();
        QCOMPARE(ini(u"Taille"_s), taille.isEmpty() ? u"absent"_s : taille);
        QCOMPARE(ini(u"Temps"_s), temps.isEmpty() ? u"absent"_s : temps);
        QCOMPARE(reglages().taille_corbeille, taille.toInt());
        QCOMPARE(int(reglages().temps_corbeille), temps.toInt());
        QVERIFY(reglages().corbeille_active);
        QCOMPARE(w->result(), int(QDialog::Accepted));
    }

    // Quatre chiffres au plus pour la taille, trois pour le temps.
    void champs_bornes() {
        charger({});
        w->Taille->setText(u"99999999999"_s);
        QCOMPARE(w->Taille->text(), u"9999"_s);
        w->Temps->setText(u"40000"_s);
        QCOMPARE(w->Temps->text(), u"400"_s);
    }

    // Zéro : refusé avec un message, la fenêtre reste, rien n'est écrit ni détruit.
    void fin_refuse_hors_bornes_data() {
        QTest::addColumn<QString>("taille");
        QTest::addColumn<QString>("temps");
        QTest::addColumn<QString>("message");
        QTest::newRow("taille 0") << u"0"_s << QString()
                                  << u"La taille de la corbeille doit être de 1 à 9999 Ko."_s;
        QTest::newRow("taille 0000")
            << u"0000"_s << QString() << u"La taille de la corbeille doit être de 1 à 9999 Ko."_s;
        QTest::newRow("temps 000")
            << QString() << u"000"_s << u"Le temps de conservation doit être de 1 à 999 jours."_s;
    }
    void fin_refuse_hors_bornes() {
        QFETCH(QString, taille);
        QFETCH(QString, temps);
        QFETCH(QString, message);
        charger({u"a.txt"_s, u"b.txt"_s, u"c.txt"_s});
        plateforme::ecrire_profil(u"Corbeille"_s, u"Taille"_s, u"1000"_s,
                                  reglages().chemin_configuration);
        w->Taille->setText(taille);
        w->Temps->setText(temps);
        d->repondre(plateforme::REP_OK);
        w->Fin_Click();
        QCOMPARE(d->dernier().texte, message);
        QCOMPARE(d->dernier().titre, u"Ecriture CORBEILLE"_s);
        QCOMPARE(noms_ranges().size(), 3);
        QCOMPARE(ini(u"Taille"_s), u"1000"_s);
        QCOMPARE(ini(u"Temps"_s), u"absent"_s);
        QVERIFY(reglages().corbeille_active);
        QCOMPARE(reglages().taille_corbeille, 1000);
        QCOMPARE(w->result(), 0); // la fenêtre reste ouverte
    }

    void sans_limite_demande_avant_de_tout_perdre_data() {
        QTest::addColumn<int>("reponse");
        QTest::newRow("non") << int(plateforme::REP_NON);
        QTest::newRow("oui") << int(plateforme::REP_OUI);
    }
    void sans_limite_demande_avant_de_tout_perdre() {
        QFETCH(int, reponse);
        charger({u"a.txt"_s, u"b.txt"_s});
        w->Taille->clear();
        w->Temps->clear();
        d->repondre(reponse);
        w->Fin_Click();
        QVERIFY(d->dernier().texte.contains(u"Confirmez-vous la suppression de la corbeille ?"_s));
        QCOMPARE(d->dernier().titre, u"Gestionnaire de fichiers"_s);
        const bool oui = reponse == plateforme::REP_OUI;
        QCOMPARE(QDir(c->hote(u"doc"_s)).entryList(QDir::Files | QDir::Hidden).size(), oui ? 0 : 2);
        QVERIFY(!reglages().corbeille_active);
        QCOMPARE(ini(u"Taille"_s), u"absent"_s);
    }
};

QTEST_MAIN(TestFenetreCorbeille)
#include "test_fenetre_corbeille.moc"
