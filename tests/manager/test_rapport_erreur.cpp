// Messages d'erreur : texte, boîte, titre et réponse enregistrée.
#include "manager/common/etat_commande.h"
#include "manager/common/rapport_erreur.h"
#include "manager/configuration/reglages.h"
#include "support/dialogues_scriptes.h"
#include "support/unite_temporaire.h"
#include <QtTest>

using namespace Qt::StringLiterals;
using plateforme::ErreurExecution;

namespace {
const QString CR = QString(QChar(13));
const QString PROTEGEE = u"Disquette protégée en écriture"_s + CR + u"ou fichier verrouillé."_s;
} // namespace

class TestRapportErreur : public QObject {
    Q_OBJECT
private slots:
    void init() {
        etat_commande().reinitialiser();
        reglages().reinitialiser();
    }

    void table_data() {
        QTest::addColumn<int>("numero");
        QTest::addColumn<QString>("objet");
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QString>("commande");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<int>("boite");
        QTest::addColumn<int>("reponse");        // bouton pressé
        QTest::addColumn<int>("reponse_gardee"); // -1 : inchangée

        QTest::newRow("5") << 5 << u"C:"_s << u"a.txt"_s << u"EXECUTER"_s
                           << (u"Fichier non exécutable :"_s + CR +
                               u"seuls les programmes avec les extensions COM, EXE, BAT ou PIF "
                               "sont exécutables."_s)
                           << 48 << 1 << -1;
        QTest::newRow("53 disque")
            << 53 << u"C:"_s << u"lettre.txt"_s << u"COPIER"_s
            << u"Un nom de fichier comporte un caractère invalide ou bien le fichier lettre.txt "
               "est introuvable ou les attributs 'Système/Caché' sont présents."_s
            << 48 << 1 << -1;
        QTest::newRow("53 disquette a")
            << 53 << u"a:\\doc"_s << u"x"_s << u"COPIER"_s << PROTEGEE << 53 << 2 << 2;
        QTest::newRow("53 disquette B")
            << 53 << u"B:"_s << u"x"_s << u"COPIER"_s << PROTEGEE << 53 << 4 << 4;
        QTest::newRow("61 disquette OK = reessayer")
            << 61 << u"A:"_s << u"x"_s << u"COPIER"_s
            << (u"Disquette dans A: pleine :"_s + CR + u"insérez la disquette suivante."_s) << 49
            << 1 << 4;
        QTest::newRow("61 disquette annuler")
            << 61 << u"A:"_s << u"x"_s << u"COPIER"_s
            << (u"Disquette dans A: pleine :"_s + CR + u"insérez la disquette suivante."_s) << 49
            << 2 << 2;
        QTest::newRow("61 disque")
            << 61 << u"C:"_s << u"x"_s << u"COPIER"_s
            << (u"Disque C: plein :"_s + CR + u"opération abandonnée."_s) << 16 << 1 << -1;
        QTest::newRow("64") << 64 << u"C:"_s << u"x"_s << u"RENOMMER"_s << u"Nom incorrect."_s << 48
                            << 1 << -1;
        QTest::newRow("68") << 68 << u"D:"_s << u"x"_s << u"UNITE SOURCE"_s
                            << u"Support absent ou erreur d'accès sur D:"_s << 53 << 4 << 4;
        QTest::newRow("71") << 71 << u"A:\\"_s << u"x"_s << u"UNITE SOURCE"_s
                            << u"Support absent ou erreur d'accès sur A:\\"_s << 53 << 2 << 2;
        QTest::newRow("70") << 70 << u"C:"_s << u"x"_s << u"EFFACER"_s << PROTEGEE << 53 << 4 << 4;
        QTest::newRow("75 sans fichier")
            << 75 << u"C:"_s << QString() << u"SUPPRIMER"_s
            << (u"Un ou plusieurs fichiers cachés et protégés contre l'effacement existent dans "
                "ce répertoire et appartiennent peut-être à la corbeille :"_s +
                CR + u"récupérez ceux-ci et relancez l'opération."_s)
            << 16 << 1 << -1;
        QTest::newRow("75 fichier")
            << 75 << u"C:"_s << u"Notes.doc"_s << u"EFFACER"_s
            << (u"Le fichier Notes.doc"_s + CR + u"est protégé contre l'écriture :"_s + CR +
                u"modifiez son attribut et relancez l'opération."_s)
            << 16 << 1 << -1;
        QTest::newRow("76 autre commande")
            << 76 << u"C:"_s << u"x"_s << u"COPIER"_s
            << (u"Chemin d'accès introuvable"_s + CR + u"ou support absent."_s) << 53 << 2 << 2;
        QTest::newRow("76 renommer")
            << 76 << u"C:"_s << u"x"_s << u"RENOMMER"_s << PROTEGEE << 53 << 4 << 4;
        QTest::newRow("380") << 380 << u"C:"_s << u"x"_s << u"SELECTION"_s
                             << u"Caractère de sélection invalide."_s << 48 << 1 << -1;
    }

    void table() {
        QFETCH(int, numero);
        QFETCH(QString, objet);
        QFETCH(QString, fichier);
        QFETCH(QString, commande);
        QFETCH(QString, texte);
        QFETCH(int, boite);
        QFETCH(int, reponse);
        QFETCH(int, reponse_gardee);
        essai::DialoguesScriptes d;
        d.repondre(reponse);
        EtatCommande& etat = etat_commande();
        etat.fichier_courant = fichier;
        etat.commande_courante = commande;
        etat.réponse_de_commande = 99;
        Rapport_erreur(objet, ErreurExecution(numero));
        QVERIFY(d.verifier());
        QCOMPARE(d.dernier().texte, texte);
        QCOMPARE(d.dernier().style, boite);
        QCOMPARE(d.dernier().titre, commande);
        QCOMPARE(d.bips(), 1);
        QCOMPARE(etat.réponse_de_commande, reponse_gardee < 0 ? 99 : reponse_gardee);
    }

    // Une erreur inconnue donne le rapport général, mode fichier ou répertoire.
    void rapport_general_data() {
        QTest::addColumn<bool>("repertoire");
        QTest::newRow("fichier") << false;
        QTest::newRow("répertoire") << true;
    }
    void rapport_general() {
        QFETCH(bool, repertoire);
        essai::DialoguesScriptes d;
        d.repondre(1);
        EtatCommande& etat = etat_commande();
        etat.commande_courante = u"COPIER"_s;
        etat.mode_répertoire = repertoire;
        etat.chemin_source = u"C:\\DOC\\A.TXT"_s;
        etat.chemin_destination = u"D:\\A.TXT"_s;
        reglages().éditeur = u"NOTEPAD.EXE"_s;
        reglages().visualiseur = u"MORVINE.EXE"_s;
        Rapport_erreur(u"C:"_s, ErreurExecution(7, u"Mémoire insuffisante"_s));
        QVERIFY(d.verifier());
        const QString attendu = u"Veuillez noter et transmettre à l'auteur. Merci"_s + CR + CR +
                                u"Mémoire insuffisante (code = 7)"_s + CR + u"Commande: COPIER"_s +
                                (repertoire ? u" (répertoire)"_s : u" (fichier)"_s) + CR +
                                u"Source: C:\\DOC\\A.TXT"_s + CR + u"Destination: D:\\A.TXT"_s +
                                CR + u"Editeur: NOTEPAD.EXE"_s + CR + u"Visualiseur: MORVINE.EXE"_s;
        QCOMPARE(d.dernier().texte, attendu);
        QCOMPARE(d.dernier().style, 16);
        QCOMPARE(d.dernier().titre, u"Erreur détectée par KALDRON"_s);
        QCOMPARE(etat.préfixe_rapport,
                 u"Veuillez noter et transmettre à l'auteur. Merci"_s + CR + CR);
    }

    // Disque plein : la copie partielle ouverte par la commande disparaît.
    void disque_plein_supprime_copie_partielle() {
        essai::UniteTemporaire c;
        essai::DialoguesScriptes d;
        d.repondre(1);
        c.creer_fichier(u"partiel.txt"_s, "moitié");
        EtatCommande& etat = etat_commande();
        etat.commande_courante = u"COPIER"_s;
        etat.chemin_destination = c.dos(u"partiel.txt"_s);
        etat.fichier_destination = std::make_unique<plateforme::FichierOuvert>(
            etat.chemin_destination, plateforme::FichierOuvert::Ajout);
        Rapport_erreur(u"C:"_s, ErreurExecution(61));
        QVERIFY(d.verifier());
        QVERIFY(!etat.fichier_destination);
        QVERIFY(!QFile::exists(c.hote(u"partiel.txt"_s)));
    }

    // Sans fichier ouvert par la commande, rien n'est supprimé : le chemin de
    // destination peut désigner un fichier de l'usager.
    void disque_plein_ne_supprime_pas_un_fichier_de_l_usager() {
        essai::UniteTemporaire c;
        essai::DialoguesScriptes d;
        d.repondre(1);
        c.creer_fichier(u"precieux.txt"_s, "à garder");
        EtatCommande& etat = etat_commande();
        etat.commande_courante = u"INIT KALDRON"_s;
        etat.chemin_destination = c.dos(u"precieux.txt"_s);
        Rapport_erreur(u"C:"_s, ErreurExecution(61));
        QVERIFY(d.verifier());
        QCOMPARE(c.contenu(u"precieux.txt"_s), QByteArray("à garder"));
    }
};

QTEST_MAIN(TestRapportErreur)
#include "test_rapport_erreur.moc"
