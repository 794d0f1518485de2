// Renommer des fichiers ou le répertoire SOURCE ; créer et supprimer un répertoire.
#include "essai_fenetre.h"
#include "manager/common/etat_commande.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "support/dialogues_scriptes.h"
#include "support/unite_temporaire.h"
#include <QDir>
#include <QFileInfo>
#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {
const QString CR = QString(QChar(13));
const QString DEMANDE = CR + CR + u"Confirmez-vous cette commande ?"_s;
} // namespace

class TestRenommer : public EssaiFenetre {
    Q_OBJECT

    // Fenêtre chargée ; SOURCE sur C:\<source> (a.txt, b.txt dans C:\doc),
    // DESTINATION sur C:\<destination>.
    void charger(const QString& source = u"doc"_s, const QString& destination = u"dest"_s) {
        c->creer_fichier(u"doc/a.txt"_s, "aaa");
        c->creer_fichier(u"doc/b.txt"_s, "bbbb");
        c->creer_repertoire(u"dest"_s);
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        f->Répertoire_srce->setPath(c->dos(source));
        f->Fichier_srce->setPath(c->dos(source));
        f->Répertoire_dest->setPath(c->dos(destination));
        f->Fichier_dest->setPath(c->dos(destination));
        f->Fichier_srce->clearSelection();
        f->liste_rep_périmée[0] = f->liste_rep_périmée[1] = false;
        etat_commande().liste_parcourue = f->Fichier_srce;
        etat_commande().curseur = 0;
    }

    void choisir(const QList<int>& indices) {
        f->Fichier_srce->clearSelection();
        for (int i : indices)
            f->Fichier_srce->setSelected(i, true);
        f->Ligne_message->setText(
            u"   %1 fichier(s) sélectionné(s), total = 7 octets."_s.arg(indices.size()));
    }

    bool existe(const QString& relatif) const { return QFileInfo::exists(c->hote(relatif)); }
    bool perimees() const { return f->liste_rep_périmée[0] && f->liste_rep_périmée[1]; }

private slots:
    void init() { monter(); }
    void cleanup() { QVERIFY(demonter()); }

    // ---------------------------------------------------------- fichiers

    void renommer_deux_fichiers() {
        charger();
        choisir({0, 1});
        d->repondre_saisie(u"x.txt"_s);
        d->repondre_saisie(u"y.txt"_s);
        f->Renommer_Click();
        QCOMPARE(d->questions().size(), 2);
        const essai::Question q = d->questions().first();
        QCOMPARE(q.genre, u"saisie"_s);
        QCOMPARE(q.texte, u"Entrez le nouveau nom du fichier a.txt"_s);
        QCOMPARE(q.titre, u"RENOMMER"_s);
        QCOMPARE(q.defaut, u"a.txt"_s);
        QCOMPARE(c->contenu(u"doc/x.txt"_s), QByteArray("aaa"));
        QCOMPARE(c->contenu(u"doc/y.txt"_s), QByteArray("bbbb"));
        QVERIFY(!existe(u"doc/a.txt"_s) && !existe(u"doc/b.txt"_s));
        QVERIFY(!etat_commande().commande_en_cours);
    }

    // Non ou Annuler à la première confirmation : aucun fichier n'est renommé.
    void renommer_confirmation_refusee_data() {
        QTest::addColumn<int>("reponse");
        QTest::newRow("non") << 7;
        QTest::newRow("annuler") << 2;
    }
    void renommer_confirmation_refusee() {
        QFETCH(int, reponse);
        charger();
        reglages().confirme = true;
        choisir({0, 1});
        d->repondre(reponse);
        f->Renommer_Click();
        QCOMPARE(d->questions().size(), 1);
        QCOMPARE(d->dernier().genre, u"message"_s);
        QVERIFY(
            d->dernier().texte.startsWith(u"Vous allez RENOMMER"_s + CR + u"le fichier 'a.txt'"_s));
        QVERIFY(existe(u"doc/a.txt"_s) && existe(u"doc/b.txt"_s));
        QVERIFY(!etat_commande().commande_en_cours);
    }

    void renommer_saisie_annulee() {
        charger();
        choisir({0, 1});
        d->repondre_saisie(QString());
        f->Renommer_Click();
        QCOMPARE(d->questions().size(), 1);
        QVERIFY(existe(u"doc/a.txt"_s) && existe(u"doc/b.txt"_s));
        QVERIFY(!etat_commande().commande_en_cours);
    }

    // Un nom déjà pris n'est jamais remplacé : l'erreur 58 va au rapport.
    void renommer_sur_un_nom_existant() {
        charger();
        choisir({0});
        d->repondre_saisie(u"B.TXT"_s);
        d->repondre(1);
        f->Renommer_Click();
        QCOMPARE(d->questions().size(), 2);
        QCOMPARE(d->dernier().titre, u"Erreur détectée par KALDRON"_s);
        QVERIFY(d->dernier().texte.contains(u"(code = 58)"_s));
        QCOMPARE(c->contenu(u"doc/a.txt"_s), QByteArray("aaa"));
        QCOMPARE(c->contenu(u"doc/b.txt"_s), QByteArray("bbbb"));
    }

    void renommer_sans_selection() {
        charger();
        f->Ligne_message->clear();
        d->repondre(1);
        f->Renommer_Click();
        QCOMPARE(d->dernier().texte, u"Pas de fichier(s) 'SOURCE' sélectionné(s)."_s);
        QCOMPARE(d->dernier().titre, u"RENOMMER"_s);
    }

    // DESTINATION sur le même répertoire : sa liste montre le nouveau nom.
    void renommer_liste_destination_relue() {
        charger(u"doc"_s, u"doc"_s);
        choisir({0});
        d->repondre_saisie(u"z.txt"_s);
        f->Renommer_Click();
        QCOMPARE(f->Fichier_dest->list(f->Fichier_dest->listCount() - 1), u"z.txt"_s);
    }

    // ------------------------------------------------- répertoire SOURCE

    void renommer_repertoire() {
        c->creer_fichier(u"doc/sub/f.txt"_s, "f");
        charger(u"doc/sub"_s, u"doc/sub"_s);
        etat_commande().mode_répertoire = true;
        reglages().confirme = true;
        d->repondre(6);
        d->repondre_saisie(u"neuf"_s);
        f->Renommer_Click();
        QCOMPARE(d->questions().size(), 2);
        QCOMPARE(d->questions().first().texte,
                 u"Vous allez RENOMMER"_s + CR + u"le répertoire C:\\doc\\sub"_s + DEMANDE);
        QCOMPARE(d->questions().first().titre, u"Gestionnaire de fichiers"_s);
        QCOMPARE(d->questions().first().style, 4 + 32 + 256);
        QCOMPARE(d->dernier().texte,
                 u"Entrez le nouveau nom du répertoire :"_s + CR + u"C:\\doc\\sub"_s);
        QCOMPARE(d->dernier().defaut, u"sub"_s);
        QCOMPARE(c->contenu(u"doc/neuf/f.txt"_s), QByteArray("f"));
        QCOMPARE(f->Répertoire_srce->path(), u"C:\\doc"_s);
        QCOMPARE(f->Répertoire_dest->path(), u"C:\\doc"_s);
        QVERIFY(f->Répertoire_srce->sousRepertoires().contains(u"C:\\doc\\neuf"_s));
        QVERIFY(perimees());
    }

    void renommer_repertoire_refuse_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("confirme");
        QTest::addColumn<int>("reponse"); // 0 : pas de confirmation
        QTest::addColumn<bool>("saisie"); // boîte de saisie montrée (et annulée)
        QTest::newRow("racine") << QString() << false << 0 << false;
        QTest::newRow("non") << u"doc"_s << true << 7 << false;
        QTest::newRow("saisie annulée") << u"doc"_s << false << 0 << true;
    }
    void renommer_repertoire_refuse() {
        QFETCH(QString, source);
        QFETCH(bool, confirme);
        QFETCH(int, reponse);
        QFETCH(bool, saisie);
        charger(source);
        etat_commande().mode_répertoire = true;
        reglages().confirme = confirme;
        if (reponse)
            d->repondre(reponse);
        if (saisie)
            d->repondre_saisie(QString());
        f->Renommer_Click();
        QCOMPARE(d->questions().size(), (reponse ? 1 : 0) + (saisie ? 1 : 0));
        QVERIFY(existe(u"doc/a.txt"_s));
        QVERIFY(!perimees());
        QVERIFY(!etat_commande().commande_en_cours);
    }

    void renommer_repertoire_sur_un_nom_existant() {
        c->creer_repertoire(u"autre"_s);
        charger();
        etat_commande().mode_répertoire = true;
        d->repondre_saisie(u"AUTRE"_s);
        d->repondre(1);
        f->Renommer_Click();
        QVERIFY(d->dernier().texte.contains(u"(code = 58)"_s));
        QVERIFY(existe(u"doc/a.txt"_s) && existe(u"autre"_s));
        QCOMPARE(f->Répertoire_srce->path(), u"C:\\doc"_s);
    }

    // Un long chemin est raccourci dans l'invite, par son début.
    void invite_raccourcie() {
        const QString long_nom = QString(40, u'r');
        const QString relatif = u"%1/%1/%1/%1/fin"_s.arg(long_nom);
        c->creer_repertoire(relatif);
        charger(relatif);
        etat_commande().mode_répertoire = true;
        d->repondre_saisie(QString());
        f->Renommer_Click();
        QVERIFY(d->dernier().texte.startsWith(u"Entrez le nouveau nom du répertoire :"_s + CR +
                                              u"C:\\ . . .\\"_s));
        QVERIFY(d->dernier().texte.endsWith(u"\\fin"_s));
        QCOMPARE(d->dernier().defaut, u"fin"_s);
    }

    // ---------------------------------------------------------- créer

    void creer_data() {
        QTest::addColumn<bool>("confirme");
        QTest::addColumn<QString>("nom");
        QTest::newRow("sans confirmation") << false << u"neuf"_s;
        QTest::newRow("avec confirmation") << true << u"neuf"_s;
        QTest::newRow("annulé") << false << QString();
    }
    void creer() {
        QFETCH(bool, confirme);
        QFETCH(QString, nom);
        charger(u"doc"_s, u"doc"_s);
        reglages().confirme = confirme;
        if (confirme)
            d->repondre(6);
        d->repondre_saisie(nom);
        f->Créer_Click();
        if (confirme)
            QCOMPARE(d->questions().first().texte,
                     u"Vous allez CREER"_s + CR + u"un répertoire sous C:\\doc"_s + DEMANDE);
        QCOMPARE(d->dernier().genre, u"saisie"_s);
        QCOMPARE(d->dernier().texte,
                 u"Entrez le nom du répertoire à créer sous :"_s + CR + u"C:\\doc"_s);
        QCOMPARE(d->dernier().titre, u"CREER"_s);
        QVERIFY(d->dernier().defaut.isEmpty());
        QCOMPARE(QDir(c->hote(u"doc"_s)).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
                 nom.isEmpty() ? QStringList() : QStringList{nom});
        QCOMPARE(perimees(), !nom.isEmpty());
        QCOMPARE(f->Répertoire_srce->sousRepertoires().size(), nom.isEmpty() ? 0 : 1);
        QCOMPARE(f->Répertoire_dest->sousRepertoires().size(), nom.isEmpty() ? 0 : 1);
        QVERIFY(!etat_commande().commande_en_cours);
    }

    // Un nom déjà pris : le rapport nomme ce nom, jamais le fichier choisi
    // dans SOURCE ni la corbeille.
    void creer_sur_un_nom_existant_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("courant");
        QTest::newRow("répertoire, un fichier choisi") << u"sous"_s << u"b.txt"_s;
        QTest::newRow("fichier, rien de choisi") << u"a.txt"_s << QString();
    }
    void creer_sur_un_nom_existant() {
        QFETCH(QString, nom);
        QFETCH(QString, courant);
        c->creer_repertoire(u"doc/sous"_s);
        charger();
        reglages().confirme = false;
        etat_commande().fichier_courant = courant;
        d->repondre_saisie(nom);
        d->repondre(1);
        f->Créer_Click();
        QCOMPARE(d->dernier().texte, u"Le fichier "_s + nom + CR +
                                         u"est protégé contre l'écriture :"_s + CR +
                                         u"modifiez son attribut et relancez l'opération."_s);
        QCOMPARE(d->dernier().titre, u"CREER"_s);
        QCOMPARE(c->contenu(u"doc/a.txt"_s), QByteArray("aaa"));
        QVERIFY(!perimees());
        QVERIFY(!etat_commande().commande_en_cours);
    }

    void creer_confirmation_non() {
        charger();
        reglages().confirme = true;
        d->repondre(7);
        f->Créer_Click();
        QCOMPARE(d->questions().size(), 1);
        QVERIFY(!perimees());
    }

    // ------------------------------------------------------- supprimer

    void supprimer_racine() {
        charger(QString());
        QCOMPARE(f->Répertoire_srce->path(), u"C:\\"_s);
        f->Supprimer_Click();
        QVERIFY(d->questions().isEmpty());
        QVERIFY(existe(u"doc/a.txt"_s));
        QVERIFY(!etat_commande().commande_en_cours);
    }

    void supprimer_data() {
        QTest::addColumn<int>("sous");            // sous-répertoires de C:\doc
        QTest::addColumn<QList<int>>("reponses"); // confirmation, puis effacement des fichiers
        QTest::addColumn<bool>("fichiers_restent");
        QTest::addColumn<bool>("supprime");
        QTest::newRow("fichiers, oui") << 0 << QList<int>{6, 6} << false << true;
        QTest::newRow("fichiers, non") << 0 << QList<int>{6, 7} << true << false;
        QTest::newRow("confirmation non") << 0 << QList<int>{7} << true << false;
        QTest::newRow("fichiers et 2 sous-répertoires")
            << 2 << QList<int>{6, 6, 1} << false << false;
    }
    void supprimer() {
        QFETCH(int, sous);
        QFETCH(QList<int>, reponses);
        QFETCH(bool, fichiers_restent);
        QFETCH(bool, supprime);
        for (int i = 0; i < sous; ++i)
            c->creer_repertoire(u"doc/s%1"_s.arg(i));
        charger(u"doc"_s, u"doc"_s);
        for (int r : reponses)
            d->repondre(r);
        f->Supprimer_Click();
        const QList<essai::Question>& q = d->questions();
        QCOMPARE(q.size(), int(reponses.size()));
        QCOMPARE(q[0].texte, u"Vous allez SUPPRIMER"_s + CR + u"le répertoire C:\\doc"_s + DEMANDE);
        QCOMPARE(q[0].style, 4 + 32 + 256);
        QCOMPARE(q[0].titre, u"Gestionnaire de fichiers"_s);
        if (q.size() > 1) {
            QCOMPARE(q[1].texte, u"Le répertoire contient des fichiers,"_s + CR +
                                     u"voulez-vous les effacer ?"_s);
            QCOMPARE(q[1].titre, u"SUPPRIMER"_s);
            QCOMPARE(q[1].style, 4 + 32 + 256);
        }
        if (sous) {
            QCOMPARE(q[2].texte, u"Le répertoire contient  2 sous-répertoire(s),"_s + CR +
                                     u"il faut d'abord le(s) supprimer."_s);
            QCOMPARE(q[2].style, 16);
            QCOMPARE(q[2].titre, u"SUPPRIMER"_s);
        }
        QCOMPARE(existe(u"doc/a.txt"_s), fichiers_restent);
        QCOMPARE(existe(u"doc/b.txt"_s), fichiers_restent);
        QCOMPARE(existe(u"doc"_s), !supprime);
        QCOMPARE(perimees(), supprime);
        const QString attendu = supprime ? u"C:\\"_s : u"C:\\doc"_s;
        QCOMPARE(f->Répertoire_srce->path(), attendu);
        QCOMPARE(f->Répertoire_dest->path(), attendu);
        QVERIFY(!etat_commande().commande_en_cours);
    }

    // Un fichier en lecture seule arrête la commande par le rapport d'erreur.
    void supprimer_fichier_en_lecture_seule() {
        charger();
        QFile::setPermissions(c->hote(u"doc/b.txt"_s), QFile::ReadOwner);
        d->repondre(6);
        d->repondre(6);
        d->repondre(1);
        f->Supprimer_Click();
        QCOMPARE(d->questions().size(), 3);
        QVERIFY(d->dernier().texte.startsWith(u"Le fichier b.txt"_s));
        QVERIFY(existe(u"doc/b.txt"_s));
        QVERIFY(existe(u"doc"_s));
        QVERIFY(!perimees());
    }
};

QTEST_MAIN(TestRenommer)
#include "test_renommer.moc"
