// INFOS : fenêtre des informations sur les fichiers, bilan d'un répertoire.
#include "essai_fenetre.h"
#include "manager/commands/info_fichiers.h"
#include "platform/fichiers.h"
#include <QApplication>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
const QString CR = QString(QChar(13));
const QString QUESTION = u"Voulez-vous enregistrer les modifications d'attributs ?"_s;

QString chiffres(QString texte) {
    texte.removeIf([](QChar ch) { return !ch.isDigit(); });
    return texte;
}
} // namespace

class TestInfos : public EssaiFenetre {
    Q_OBJECT

    std::unique_ptr<Info_Fichiers> w;

    // SOURCE sur C:\doc : a.txt (3 octets), b.txt (4), c.txt (5).
    void charger() {
        c->creer_fichier(u"doc/a.txt"_s, "aaa");
        c->creer_fichier(u"doc/b.txt"_s, "bbbb");
        c->creer_fichier(u"doc/c.txt"_s, "ccccc");
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        f->Répertoire_srce->setPath(c->dos(u"doc"_s));
        f->Fichier_srce->setPath(c->dos(u"doc"_s));
        f->Fichier_srce->clearSelection();
        etat_commande().liste_parcourue = f->Fichier_srce;
        etat_commande().curseur = 0;
    }

    void choisir(const QList<int>& indices) {
        for (int i : indices)
            f->Fichier_srce->setSelected(i, true);
        f->Ligne_message->setText(u"   %1 fichiers sélectionnés"_s.arg(indices.size()));
    }

    void ouvrir() {
        w = std::make_unique<Info_Fichiers>(f.get());
        w->Form_Load();
    }

    QString nom() const { return w->windowTitle().mid(QString(u"Informations sur "_s).size()); }
    unsigned attributs(const QString& relatif) const {
        return plateforme::attributs(c->dos(relatif)) & ~unsigned(plateforme::ATTR_REPERTOIRE);
    }

private slots:
    void init() { monter(); }
    void cleanup() {
        w.reset();
        QVERIFY(demonter());
    }

    void un_fichier() {
        charger();
        choisir({1});
        ouvrir();
        QCOMPARE(w->windowTitle(), u"Informations sur b.txt"_s);
        QCOMPARE(w->Taille->text(), u"4"_s);
        QVERIFY(!w->Précédent->isEnabled());
        QVERIFY(!w->Suivant->isEnabled());
    }

    // Suivant repart du premier après le dernier, Précédent du dernier avant
    // le premier ; un changement de sens prend le voisin du fichier montré.
    void parcours_en_boucle_data() {
        QTest::addColumn<bool>("totale");
        QTest::newRow("fichiers choisis") << false;
        QTest::newRow("sélection totale") << true;
    }
    void parcours_en_boucle() {
        QFETCH(bool, totale);
        charger();
        if (totale)
            f->Sélecte_Click();
        else
            choisir({0, 1, 2});
        ouvrir();
        QVERIFY(w->Précédent->isEnabled() && w->Suivant->isEnabled());
        QStringList vus{nom()};
        for (int i = 0; i < 3; ++i) {
            w->Suivant_Click();
            vus << nom();
        }
        for (int i = 0; i < 2; ++i) {
            w->Précédent_Click();
            vus << nom();
        }
        w->Suivant_Click();
        vus << nom();
        QCOMPARE(vus, QStringList({u"a.txt"_s, u"b.txt"_s, u"c.txt"_s, u"a.txt"_s, u"c.txt"_s,
                                   u"b.txt"_s, u"c.txt"_s}));
        QCOMPARE(w->Taille->text(), u"5"_s);
    }

    void taille_date_heure_et_attributs() {
        c->creer_fichier(u"doc/grand.dat"_s);
        charger();
        QFile grand(c->hote(u"doc/grand.dat"_s));
        QVERIFY(grand.open(QIODevice::ReadWrite));
        QVERIFY(grand.resize(Q_INT64_C(5368709120) + 1234)); // creux : rien n'est écrit
        QVERIFY(grand.setFileTime(QDateTime(QDate(2024, 3, 5), QTime(9, 7)),
                                  QFileDevice::FileModificationTime));
        grand.close();
        plateforme::definir_attributs(c->dos(u"doc\\grand.dat"_s),
                                      plateforme::ATTR_CACHE + plateforme::ATTR_ARCHIVE);
        f->Fichier_srce->setHidden(true);
        f->Fichier_srce->rafraichir();
        choisir({3}); // a.txt, b.txt, c.txt, grand.dat
        ouvrir();
        QCOMPARE(chiffres(w->Taille->text()), u"5368710354"_s);
        QCOMPARE(w->Date_fichier->text(), u"05/03/24"_s);
        QCOMPARE(w->Heure->text(), u"9:07"_s);
        QVERIFY(w->Caché->isChecked() && w->Modifié->isChecked());
        QVERIFY(!w->Système->isChecked() && !w->Lecture->isChecked());
        // Le remplissage n'est pas une modification : Fin ne demande rien.
        QVERIFY(!w->attributs_modifiés);
        w->Fin_Click();
    }

    // Cases cliquées sur a.txt puis Fin (ou Suivant) : la question, et les
    // attributs enregistrés tels que cochés, tout autre bit effacé.
    void enregistrer_attributs_data() {
        QTest::addColumn<unsigned>("avant");
        QTest::addColumn<QStringList>("cases");
        QTest::addColumn<int>("reponse");
        QTest::addColumn<bool>("suivant");
        QTest::addColumn<unsigned>("apres");
        QTest::newRow("lecture oui") << 0u << QStringList{u"Lecture"_s} << 6 << false << 1u;
        QTest::newRow("lecture non") << 0u << QStringList{u"Lecture"_s} << 7 << false << 0u;
        QTest::newRow("caché système archive")
            << 0u << QStringList{u"Caché"_s, u"Système"_s, u"Modifié"_s} << 6 << true << 38u;
        QTest::newRow("autres bits effacés")
            << 33u << QStringList{u"Lecture"_s, u"Modifié"_s, u"Caché"_s} << 6 << false << 2u;
    }
    void enregistrer_attributs() {
        QFETCH(unsigned, avant);
        QFETCH(QStringList, cases);
        QFETCH(int, reponse);
        QFETCH(bool, suivant);
        QFETCH(unsigned, apres);
        charger();
        plateforme::definir_attributs(c->dos(u"doc\\a.txt"_s), avant);
        choisir({0, 1});
        ouvrir();
        const QHash<QString, QCheckBox*> par_nom{{u"Caché"_s, w->Caché},
                                                 {u"Système"_s, w->Système},
                                                 {u"Lecture"_s, w->Lecture},
                                                 {u"Modifié"_s, w->Modifié}};
        for (const QString& nom_case : cases)
            par_nom.value(nom_case)->click();
        d->repondre(reponse);
        suivant ? w->Suivant_Click() : w->Fin_Click();
        QCOMPARE(d->questions().size(), 1);
        QCOMPARE(d->dernier().texte, QUESTION);
        QCOMPARE(d->dernier().style, 4 + 32 + 256);
        QCOMPARE(d->dernier().titre, u"INFOS-Attributs"_s);
        QCOMPARE(attributs(u"doc/a.txt"_s), apres);
        QVERIFY(!w->attributs_modifiés);
    }

    // Résultats d'une recherche : chemins complets, dans divers répertoires.
    void mode_recherche() {
        c->creer_fichier(u"autre/X.dat"_s, "123456");
        charger();
        f->Fichier_sél->addItems({c->dos(u"doc\\a.txt"_s), c->dos(u"autre\\X.dat"_s)});
        f->Fichier_sél->selectAll();
        f->Ligne_message->setText(u"   2 fichiers"_s);
        etat_commande().mode_recherche = true;
        etat_commande().liste_parcourue = f->Fichier_sél;
        ouvrir();
        w->Suivant_Click();
        QCOMPARE(w->windowTitle(), u"Informations sur X.dat"_s);
        QCOMPARE(w->Taille->text(), u"6"_s);
        w->Lecture->click();
        d->repondre(6);
        w->Fin_Click();
        QCOMPARE(attributs(u"autre/X.dat"_s), 1u);
        QCOMPARE(attributs(u"doc/a.txt"_s), 0u);
    }

    // Par le bouton : fenêtre modale, Permuter caché pendant, rendu après.
    void par_le_bouton() {
        charger();
        choisir({0});
        bool croiser_cache = false, ouverte = false;
        QTimer::singleShot(0, this, [&] {
            auto* fenetre = dynamic_cast<Info_Fichiers*>(QApplication::activeModalWidget());
            if (!fenetre)
                return;
            ouverte = fenetre->windowTitle() == u"Informations sur a.txt"_s;
            croiser_cache = !f->Croiser->isVisible() && !f->Croiser->isVisibleTo(f.get());
            fenetre->Fin->click();
            if (fenetre->isVisible())
                fenetre->done(0);
        });
        f->show();
        f->Info->click();
        QVERIFY(ouverte);
        QVERIFY(croiser_cache);
        QVERIFY(f->Croiser->isVisibleTo(f.get()) && f->Croiser->isEnabled());
        QVERIFY(!etat_commande().commande_en_cours);
        QCOMPARE(f->Info->toolTip(),
                 u"voir les informations sur les fichiers sélectionnés ou le répertoire"_s);
    }

    void sans_selection() {
        charger();
        f->Ligne_message->clear();
        d->repondre(1);
        f->Info_Click();
        QCOMPARE(d->dernier().texte, u"Pas de fichier(s) 'SOURCE' sélectionné(s)."_s);
        QCOMPARE(d->dernier().titre, u"INFOS"_s);
        QVERIFY(!etat_commande().commande_en_cours);
    }

    void bilan_du_repertoire_data() {
        QTest::addColumn<QList<qint64>>("tailles");
        QTest::addColumn<QString>("texte");
        QTest::newRow("aucun") << QList<qint64>{}
                               << u"Le répertoire C:\\Rep"_s + CR +
                                      u"ne contient pas de fichier."_s;
        QTest::newRow("un") << QList<qint64>{1234}
                            << u"Le répertoire C:\\Rep"_s + CR + u"contient  1 fichier"_s + CR +
                                   u"totalisant  1?234 octets."_s;
        QTest::newRow("plus de 4 Go")
            << QList<qint64>{Q_INT64_C(3000000000), Q_INT64_C(2000000000)}
            << u"Le répertoire C:\\Rep"_s + CR + u"contient  2 fichiers"_s + CR +
                   u"totalisant  5?000?000?000 octets."_s;
    }
    void bilan_du_repertoire() {
        QFETCH(QList<qint64>, tailles);
        QFETCH(QString, texte);
        c->creer_repertoire(u"Rep"_s);
        for (int i = 0; i < tailles.size(); ++i) {
            QFile fichier(c->creer_fichier(u"Rep/f%1.dat"_s.arg(i)));
            QVERIFY(fichier.resize(tailles[i]));
        }
        charger();
        f->Fichier_srce->setPath(c->dos(u"rep"_s)); // la casse du disque est montrée
        etat_commande().mode_répertoire = true;
        d->repondre(1);
        f->Info_Click();
        QCOMPARE(d->questions().size(), 1);
        // Le séparateur des milliers est celui de la locale.
        QVERIFY2(
            QRegularExpression(QRegularExpression::anchoredPattern(
                                   QRegularExpression::escape(texte).replace(u"\\?"_s, u"\\D?"_s)))
                .match(d->dernier().texte)
                .hasMatch(),
            qPrintable(d->dernier().texte));
        QCOMPARE(d->dernier().style, 0);
        QCOMPARE(d->dernier().titre, u"INFOS"_s);
    }
};

QTEST_MAIN(TestInfos)
#include "test_infos.moc"
