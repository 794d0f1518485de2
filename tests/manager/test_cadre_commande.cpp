// Cadre des commandes : prise de la fenêtre, parcours des fichiers choisis,
// confirmation fichier par fichier.
#include "essai_fenetre.h"
#include "manager/common/etat_commande.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "support/dialogues_scriptes.h"
#include "support/unite_temporaire.h"
#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {
const QString CR = QString(QChar(13));
const QString DEMANDE = CR + CR + u"Confirmez-vous cette commande ?"_s;
const QStringList NOMS{u"a.txt"_s, u"b.txt"_s, u"c.txt"_s, u"d.txt"_s};
} // namespace

class TestCadreCommande : public EssaiFenetre {
    Q_OBJECT

    // Fenêtre chargée, SOURCE sur C:\doc (fichiers a à d), DESTINATION sur C:\dest.
    void charger(int nombre_fichiers = 4) {
        c->creer_repertoire(u"doc"_s);
        for (int i = 0; i < nombre_fichiers; ++i)
            c->creer_fichier(u"doc/"_s + NOMS[i], QByteArray(qsizetype(100) * (i + 1), 'x'));
        c->creer_repertoire(u"dest"_s);
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        f->Répertoire_srce->setPath(c->dos(u"doc"_s));
        f->Fichier_srce->setPath(c->dos(u"doc"_s));
        f->Répertoire_dest->setPath(c->dos(u"dest"_s));
        f->Fichier_dest->setPath(c->dos(u"dest"_s));
        f->Fichier_srce->clearSelection();
        etat_commande().liste_parcourue = f->Fichier_srce;
        etat_commande().curseur = 0;
    }

    void choisir(const QList<int>& indices) {
        f->Fichier_srce->clearSelection();
        for (int i : indices)
            f->Fichier_srce->setSelected(i, true);
    }

    // Ligne d'état telle que la sélection l'écrit : le nombre en tête.
    void annoncer(int nombre) {
        f->Ligne_message->setText(
            u"  "_s + QString::number(nombre).prepend(u' ') +
            (nombre > 1 ? u" fichiers sélectionnés"_s : u" fichier sélectionné"_s) +
            u", total = 100 octets."_s);
    }

    QStringList parcourir(int direction) {
        QStringList vus;
        for (f->Fichier_suivant(direction); etat_commande().fichier_trouvé;
             f->Fichier_suivant(direction))
            vus << etat_commande().fichier_courant;
        return vus;
    }

private slots:
    void init() { monter(); }
    void cleanup() { QVERIFY(demonter()); }

    void une_seconde_commande_ne_fait_que_biper() {
        charger();
        QVERIFY(f->Croiser->isEnabled());
        QVERIFY(f->Debut_commande());
        QVERIFY(etat_commande().commande_en_cours);
        QVERIFY(!f->Croiser->isEnabled());
        QCOMPARE(d->bips(), 0);
        QVERIFY(!f->Debut_commande());
        QCOMPARE(d->bips(), 1);
        QVERIFY(etat_commande().commande_en_cours);
        QVERIFY(d->questions().isEmpty());
        f->Rafraichir_affichage();
        QVERIFY(!etat_commande().commande_en_cours);
        QVERIFY(f->Croiser->isEnabled());
        QVERIFY(f->Debut_commande());
    }

    void aucune_selection() {
        charger();
        etat_commande().commande_courante = u"COPIER"_s;
        d->repondre(1);
        f->Signaler_aucune_selection();
        QCOMPARE(d->dernier().texte, u"Pas de fichier(s) 'SOURCE' sélectionné(s)."_s);
        QCOMPARE(d->dernier().style, 48);
        QCOMPARE(d->dernier().titre, u"COPIER"_s);
        QCOMPARE(d->bips(), 1);
    }

    void fichier_suivant_data() {
        QTest::addColumn<QList<int>>("choisis");
        QTest::addColumn<int>("depart");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QStringList>("attendus");
        QTest::newRow("en avant") << QList<int>{1, 3} << 0 << 1 << QStringList{NOMS[1], NOMS[3]};
        QTest::newRow("en avant depuis le milieu")
            << QList<int>{0, 2, 3} << 1 << 1 << QStringList{NOMS[2], NOMS[3]};
        QTest::newRow("en arrière") << QList<int>{0, 2} << 3 << -1 << QStringList{NOMS[2], NOMS[0]};
        QTest::newRow("en arrière, sens 0")
            << QList<int>{1, 3} << 3 << 0 << QStringList{NOMS[3], NOMS[1]};
        QTest::newRow("rien de choisi") << QList<int>{} << 0 << 1 << QStringList{};
        QTest::newRow("curseur au-delà") << QList<int>{0, 1} << 4 << 1 << QStringList{};
        QTest::newRow("curseur négatif") << QList<int>{0, 1} << -1 << -1 << QStringList{};
    }
    void fichier_suivant() {
        QFETCH(QList<int>, choisis);
        QFETCH(int, depart);
        QFETCH(int, direction);
        QFETCH(QStringList, attendus);
        charger();
        choisir(choisis);
        etat_commande().curseur = depart;
        QCOMPARE(parcourir(direction), attendus);
        QVERIFY(etat_commande().fichier_courant.isEmpty());
    }

    // Après une commande, la sélection gardée par la relecture se parcourt
    // de nouveau depuis le début.
    void fin_de_commande_repart_du_debut() {
        charger();
        choisir({0, 2});
        QCOMPARE(parcourir(1), (QStringList{NOMS[0], NOMS[2]}));
        f->Rafraichir_affichage();
        QCOMPARE(etat_commande().curseur, 0);
        QVERIFY(parcourir(1).startsWith(NOMS[0]));
    }

    void chemins_du_fichier_trouve() {
        charger();
        choisir({1});
        f->Fichier_suivant(1);
        const EtatCommande& e = etat_commande();
        QVERIFY(e.fichier_trouvé);
        QCOMPARE(e.curseur, 2);
        QCOMPARE(e.fichier_courant, u"b.txt"_s);
        QCOMPARE(e.répertoire_source, u"C:\\doc"_s);
        QCOMPARE(e.chemin_source, u"C:\\doc\\b.txt"_s);
        QCOMPARE(e.extension_courante, u"TXT"_s);
        QCOMPARE(e.chemin_destination, u"C:\\dest\\b.txt"_s);
    }

    void mode_recherche_data() {
        QTest::addColumn<QString>("entree");
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("repertoire");
        QTest::newRow("sous-répertoire") << u"C:\\DOC\\A.TXT"_s << u"A.TXT"_s << u"C:\\DOC"_s;
        QTest::newRow("racine") << u"C:\\LIRE.ME"_s << u"LIRE.ME"_s << u"C:"_s;
        QTest::newRow("profond") << u"C:\\X\\Y\\Z\\rapport.doc"_s << u"rapport.doc"_s
                                 << u"C:\\X\\Y\\Z"_s;
    }
    void mode_recherche() {
        QFETCH(QString, entree);
        QFETCH(QString, nom);
        QFETCH(QString, repertoire);
        charger();
        f->Fichier_sél->addItems({u"C:\\AUTRE\\NON.TXT"_s, entree});
        f->Fichier_sél->item(1)->setSelected(true);
        EtatCommande& e = etat_commande();
        e.mode_recherche = true;
        e.liste_parcourue = f->Fichier_sél;
        e.curseur = 0;
        f->Fichier_suivant(1);
        QVERIFY(e.fichier_trouvé);
        QCOMPARE(e.fichier_courant, nom);
        QCOMPARE(e.répertoire_source, repertoire);
        QCOMPARE(e.chemin_source, entree);
        QCOMPARE(e.extension_courante, nom.right(3).toUpper());
        QCOMPARE(e.chemin_destination, u"C:\\dest\\"_s + nom);
        f->Fichier_suivant(1);
        QVERIFY(!e.fichier_trouvé);
    }

    // Un répertoire qui finit déjà par '\' n'en reçoit pas un second.
    void destination_a_la_racine() {
        essai::UniteTemporaire a(u'A');
        charger();
        f->Répertoire_dest->setPath(u"A:\\"_s);
        choisir({0});
        f->Fichier_suivant(1);
        QCOMPARE(etat_commande().chemin_destination, u"A:\\a.txt"_s);
    }

    void pas_a_pas_data() {
        QTest::addColumn<int>("fichiers");
        QTest::addColumn<int>("depart");
        QTest::addColumn<int>("direction");
        QTest::addColumn<bool>("retirer"); // l'entrée donnée disparaît avant le pas suivant
        QTest::addColumn<QStringList>("attendus");
        const QStringList abc{NOMS[0], NOMS[1], NOMS[2]};
        const QStringList cba{NOMS[2], NOMS[1], NOMS[0]};
        QTest::newRow("en avant") << 3 << 0 << 1 << false << abc;
        QTest::newRow("en avant, chaque entrée retirée") << 3 << 0 << 1 << true << abc;
        QTest::newRow("une seule entrée") << 1 << 0 << 1 << false << QStringList{NOMS[0]};
        QTest::newRow("une seule entrée, retirée") << 1 << 0 << 1 << true << QStringList{NOMS[0]};
        QTest::newRow("en arrière") << 3 << 2 << -1 << false << cba;
        QTest::newRow("en arrière, chaque entrée retirée") << 3 << 2 << -1 << true << cba;
        QTest::newRow("liste vide") << 0 << 0 << 1 << false << QStringList{};
    }
    void pas_a_pas() {
        QFETCH(int, fichiers);
        QFETCH(int, depart);
        QFETCH(int, direction);
        QFETCH(bool, retirer);
        QFETCH(QStringList, attendus);
        charger(fichiers);
        EtatCommande& e = etat_commande();
        e.curseur = depart;
        e.éléments_pas_à_pas = 0;
        QStringList vus;
        for (f->Fichier_suivant_pas_a_pas(direction); e.fichier_trouvé && vus.size() < 10;
             f->Fichier_suivant_pas_a_pas(direction)) {
            vus << e.fichier_courant;
            QVERIFY(f->Fichier_srce->selected(e.curseur));
            QCOMPARE(e.chemin_source, u"C:\\doc\\"_s + e.fichier_courant);
            QCOMPARE(e.chemin_destination, u"C:\\dest\\"_s + e.fichier_courant);
            if (retirer) {
                QVERIFY(QFile::remove(c->hote(u"doc/"_s + e.fichier_courant)));
                f->Fichier_srce->rafraichir();
            }
        }
        QCOMPARE(vus, attendus);
        QVERIFY(e.fichier_courant.isEmpty());
    }

    // Un fichier ajouté pendant le parcours (copie dans le même répertoire)
    // ne fait pas reprendre l'entrée courante.
    void pas_a_pas_entree_ajoutee() {
        charger(2);
        EtatCommande& e = etat_commande();
        e.curseur = 0;
        f->Fichier_suivant_pas_a_pas(1);
        QCOMPARE(e.fichier_courant, NOMS[0]);
        c->creer_fichier(u"doc/z.txt"_s);
        f->Fichier_srce->rafraichir();
        f->Fichier_suivant_pas_a_pas(1);
        QCOMPARE(e.fichier_courant, NOMS[1]);
    }

    void confirmer_effacer_data() {
        QTest::addColumn<int>("nombre");
        QTest::addColumn<QList<int>>("reponses");
        QTest::addColumn<bool>("choix"); // question SELECTIF / GLOBAL / ANNULER posée
        QTest::addColumn<int>("style");  // question par fichier ; 0 : aucune
        QTest::addColumn<int>("reponse");
        QTest::addColumn<int>("mode");
        QTest::newRow("un fichier, oui") << 1 << QList<int>{6} << false << 4 + 32 + 256 << 6 << 0;
        QTest::newRow("un fichier, non") << 1 << QList<int>{7} << false << 4 + 32 + 256 << 7 << 0;
        QTest::newRow("plusieurs, GLOBAL") << 3 << QList<int>{2} << true << 0 << 6 << -1;
        QTest::newRow("plusieurs, ANNULER") << 3 << QList<int>{3} << true << 0 << 2 << 0;
        QTest::newRow("plusieurs, SELECTIF puis annuler")
            << 3 << QList<int>{1, 2} << true << 3 + 32 + 256 << 2 << 1;
        QTest::newRow("cent fichiers, SELECTIF puis oui")
            << 100 << QList<int>{1, 6} << true << 3 + 32 + 256 << 6 << 1;
    }
    void confirmer_effacer() {
        QFETCH(int, nombre);
        QFETCH(QList<int>, reponses);
        QFETCH(bool, choix);
        QFETCH(int, style);
        QFETCH(int, reponse);
        QFETCH(int, mode);
        charger(); // la configuration lue au chargement n'a pas de corbeille
        reglages().corbeille_active = true;
        choisir({0});
        f->Fichier_suivant(1);
        annoncer(nombre);
        EtatCommande& e = etat_commande();
        e.commande_courante = u"EFFACER"_s;
        for (int r : reponses)
            d->repondre(r);
        f->Confirmer_commande();
        QCOMPARE(e.réponse_de_commande, reponse);
        QCOMPARE(e.mode_de_confirmation, mode);
        QCOMPARE(d->questions().size(), int(reponses.size()));
        QCOMPARE(d->bips(), int(reponses.size()));
        if (choix) {
            const essai::Question& q = d->questions().first();
            QCOMPARE(q.genre, u"message_dialogue"_s);
            QCOMPARE(q.texte, u"Voulez-vous EFFACER sélectivement ou globalement les fichiers "
                              "sélectionnés ?"_s);
            QCOMPARE(q.boutons, (QStringList{u"&SELECTIF"_s, u"&GLOBAL"_s, u"&ANNULER"_s}));
            QCOMPARE(q.icone, u"32"_s);
            QCOMPARE(q.titre, u"Gestionnaire de fichiers"_s);
        }
        if (style) {
            QCOMPARE(d->dernier().genre, u"message"_s);
            QCOMPARE(d->dernier().style, style);
            QCOMPARE(d->dernier().texte, u"Vous allez EFFACER"_s + CR +
                                             u"le fichier 'a.txt' du répertoire"_s + CR +
                                             u"C:\\doc"_s + DEMANDE);
        }
    }

    // GLOBAL : plus aucune question ; SELECTIF : une question par fichier.
    void confirmer_la_suite_de_la_serie_data() {
        QTest::addColumn<int>("choix");
        QTest::addColumn<int>("questions_suivantes");
        QTest::newRow("GLOBAL") << 2 << 0;
        QTest::newRow("SELECTIF") << 1 << 1;
    }
    void confirmer_la_suite_de_la_serie() {
        QFETCH(int, choix);
        QFETCH(int, questions_suivantes);
        charger();
        choisir({0, 1, 2});
        annoncer(3);
        EtatCommande& e = etat_commande();
        e.commande_courante = u"EFFACER"_s;
        d->repondre(choix);
        if (choix == 1)
            d->repondre(6);
        f->Fichier_suivant(1);
        f->Confirmer_commande();
        const qsizetype avant = d->questions().size();
        for (int i = 0; i < questions_suivantes; ++i)
            d->repondre(7);
        f->Fichier_suivant(1);
        f->Confirmer_commande();
        QCOMPARE(d->questions().size() - avant, questions_suivantes);
        QCOMPARE(e.réponse_de_commande, choix == 2 ? 6 : 7);
        if (questions_suivantes) {
            QCOMPARE(d->dernier().genre, u"message"_s);
            QVERIFY(d->dernier().texte.contains(u"'b.txt'"_s));
            QCOMPARE(d->dernier().titre, u"Attention !  Corbeille absente"_s);
        }
    }

    void confirmer_titres_et_textes_data() {
        QTest::addColumn<QString>("commande");
        QTest::addColumn<bool>("corbeille");
        QTest::addColumn<QString>("titre");
        QTest::addColumn<QString>("fin");
        const QString vers = CR + u"vers le répertoire"_s + CR + u"C:\\dest"_s + DEMANDE;
        QTest::newRow("EFFACER sans corbeille")
            << u"EFFACER"_s << false << u"Attention !  Corbeille absente"_s << DEMANDE;
        QTest::newRow("EFFACER avec corbeille")
            << u"EFFACER"_s << true << u"Gestionnaire de fichiers"_s << DEMANDE;
        QTest::newRow("COPIER") << u"COPIER"_s << false << u"Gestionnaire de fichiers"_s << vers;
        QTest::newRow("DEPLACER") << u"DEPLACER"_s << true << u"Gestionnaire de fichiers"_s << vers;
        QTest::newRow("IMPRIMER") << u"IMPRIMER"_s << false << u"Gestionnaire de fichiers"_s
                                  << DEMANDE;
    }
    void confirmer_titres_et_textes() {
        QFETCH(QString, commande);
        QFETCH(bool, corbeille);
        QFETCH(QString, titre);
        QFETCH(QString, fin);
        charger();
        reglages().corbeille_active = corbeille;
        choisir({2});
        f->Fichier_suivant(1);
        annoncer(1);
        etat_commande().commande_courante = commande;
        d->repondre(6);
        f->Confirmer_commande();
        QCOMPARE(d->dernier().texte, u"Vous allez "_s + commande + CR +
                                         u"le fichier 'c.txt' du répertoire"_s + CR + u"C:\\doc"_s +
                                         fin);
        QCOMPARE(d->dernier().titre, titre);
        QCOMPARE(d->dernier().style, 4 + 32 + 256);
        QCOMPARE(etat_commande().titre_de_confirmation, titre);
    }

    // COPIER avec plusieurs fichiers : Oui/Non/Annuler, sans choix SELECTIF.
    void confirmer_copier_plusieurs() {
        charger();
        choisir({0, 1});
        f->Fichier_suivant(1);
        annoncer(2);
        etat_commande().commande_courante = u"COPIER"_s;
        d->repondre(2);
        f->Confirmer_commande();
        QCOMPARE(d->questions().size(), 1);
        QCOMPARE(d->dernier().style, 3 + 32 + 256);
        QCOMPARE(etat_commande().réponse_de_commande, 2);
        QCOMPARE(etat_commande().mode_de_confirmation, 0);
    }

    // En mode recherche, le répertoire montré est celui du fichier trouvé.
    void confirmer_en_mode_recherche() {
        charger();
        f->Fichier_sél->addItem(u"C:\\Lettres\\Noel.txt"_s);
        f->Fichier_sél->item(0)->setSelected(true);
        EtatCommande& e = etat_commande();
        e.mode_recherche = true;
        e.liste_parcourue = f->Fichier_sél;
        f->Fichier_suivant(1);
        annoncer(1);
        e.commande_courante = u"IMPRIMER"_s;
        d->repondre(6);
        f->Confirmer_commande();
        QCOMPARE(d->dernier().texte, u"Vous allez IMPRIMER"_s + CR +
                                         u"le fichier 'Noel.txt' du répertoire"_s + CR +
                                         u"C:\\Lettres"_s + DEMANDE);
    }
};

QTEST_MAIN(TestCadreCommande)
#include "test_cadre_commande.moc"
