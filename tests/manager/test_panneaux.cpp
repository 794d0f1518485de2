// Cadres SOURCE et DESTINATION : unités, répertoires, chemins tapés, nom de
// répertoire cherché sur le disque, mode, permutation, chemins raccourcis.
#include "essai_fenetre.h"
#include "manager/common/etat_commande.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/chemins.h"
#include "platform/formats.h"
#include "support/dialogues_scriptes.h"
#include "support/unite_temporaire.h"
#include <QDir>
#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {
const QString CR = QString(QChar(13));
const QString GF = u"Gestionnaire de fichiers"_s;
const QString INTROUVABLE = u"Chemin ou nom de répertoire incorrect."_s;

QString question(const QString& chemin) {
    return chemin + CR + CR + u"Est-ce le chemin que vous désirez ?"_s;
}

QListWidgetItem* entree(QListWidget* liste, const QString& chemin) {
    for (int i = 0; i < liste->count(); ++i)
        if (liste->item(i)->data(Qt::UserRole).toString().compare(chemin, Qt::CaseInsensitive) == 0)
            return liste->item(i);
    return nullptr;
}

void cliquer(QListWidget* liste, QListWidgetItem* item) {
    QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, liste->visualItemRect(item).center());
}

bool liste_contient(const plateforme::ListeFichiers* l, const QString& nom) {
    for (int i = 0; i < l->listCount(); ++i)
        if (l->list(i) == nom)
            return true;
    return false;
}
} // namespace

class TestPanneaux : public EssaiFenetre {
    Q_OBJECT

    void charger() {
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        f->show();
    }

    // Texte tapé dans le champ de chemin, puis Entrée.
    static void taper(QLineEdit* champ, const QString& texte) {
        champ->setText(texte);
        QTest::keyClick(champ, Qt::Key_Return);
    }

    void repondre(const QList<int>& reponses) {
        for (int r : reponses)
            d->repondre(r);
    }

    double twips(const QString& texte) const {
        return plateforme::pixels_vers_twips_x(f->fontMetrics().horizontalAdvance(texte));
    }

private slots:
    void init() { monter(); }
    void cleanup() { QVERIFY(demonter()); }

    // Non, Non, puis le premier revient ; Oui y mène le cadre.
    void nom_tape_en_cercle_data() {
        QTest::addColumn<bool>("source");
        QTest::newRow("SOURCE") << true;
        QTest::newRow("DESTINATION") << false;
    }
    void nom_tape_en_cercle() {
        QFETCH(bool, source);
        c->creer_repertoire(u"a/projet"_s);
        c->creer_repertoire(u"b/c/Projet"_s);
        c->creer_repertoire(u"b/projet.old"_s);
        charger();
        QLineEdit* champ = source ? f->Chemin_srce : f->Chemin_dest;
        repondre({7, 7, 6});
        taper(champ, u"projet"_s);
        // Chaque chemin proposé l'est avec la casse du disque.
        const QStringList attendus{u"C:\\a\\projet"_s, u"C:\\b\\c\\Projet"_s, u"C:\\a\\projet"_s};
        QCOMPARE(d->questions().size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(d->questions()[i].texte, question(attendus[i]));
            QCOMPARE(d->questions()[i].style, 35);
            QCOMPARE(d->questions()[i].titre,
                     source ? u"CHEMIN SOURCE"_s : u"CHEMIN DESTINATION"_s);
        }
        QCOMPARE(d->bips(), 3);
        QCOMPARE((source ? f->Répertoire_srce : f->Répertoire_dest)->path(), u"C:\\a\\projet"_s);
        QCOMPARE((source ? f->Fichier_srce : f->Fichier_dest)->path(), u"C:\\a\\projet"_s);
        QCOMPARE(champ->text(), u"c:\\a\\projet"_s);
        QVERIFY(!etat_commande().commande_en_cours);
    }

    void nom_tape_annule() {
        c->creer_repertoire(u"a/projet"_s);
        c->creer_repertoire(u"b/projet"_s);
        charger();
        repondre({7, 2});
        taper(f->Chemin_srce, u"projet"_s);
        QCOMPARE(d->questions().size(), 2);
        QCOMPARE(f->Répertoire_srce->path(), u"C:\\"_s);
        QCOMPARE(f->Chemin_srce->selectedText(), u"projet"_s); // à corriger
        QVERIFY(etat_commande().commande_courante.isEmpty());
    }

    // Pris d'un clic comme d'une tabulation, le champ montre tout son texte
    // choisi ; le clic suivant y pose le curseur pour corriger.
    void champ_de_chemin_pris_au_clic_data() {
        QTest::addColumn<bool>("source");
        QTest::newRow("Chemin_srce") << true;
        QTest::newRow("Chemin_dest") << false;
    }
    void champ_de_chemin_pris_au_clic() {
        QFETCH(bool, source);
        c->creer_repertoire(u"projet/sous"_s);
        charger();
        f->Répertoire_srce->setPath(c->dos(u"projet/sous"_s));
        f->Répertoire_dest->setPath(c->dos(u"projet/sous"_s));
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.get()));
        QLineEdit* champ = source ? f->Chemin_srce : f->Chemin_dest;
        QCOMPARE(champ->text(), u"c:\\projet\\sous"_s);
        f->Fichier_srce->setFocus();
        const QPoint milieu = champ->rect().center();
        QTest::mouseClick(champ, Qt::LeftButton, {}, milieu);
        QVERIFY(champ->hasFocus());
        QCOMPARE(champ->selectedText(), champ->text());
        // Loin du premier : ce n'est pas un double clic.
        QTest::mouseClick(champ, Qt::LeftButton, {}, QPoint(3, milieu.y()));
        QVERIFY(!champ->hasSelectedText());
        QVERIFY(champ->cursorPosition() < 2);
        f->Fichier_srce->setFocus();
        QVERIFY(!champ->hasSelectedText());
    }

    // Chaque saisie refusée a son message ; la fenêtre reste utilisable.
    void chemin_refuse_data() {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<bool>("disparu"); // le répertoire tapé a été supprimé
        QTest::addColumn<QList<int>>("reponses");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("titre");
        QTest::newRow("nom introuvable")
            << u"nulle_part"_s << false << QList<int>{1} << INTROUVABLE << 48 << GF;
        QTest::newRow("caractère interdit") << u"c:\\x<y"_s << false << QList<int>{1}
                                            << u"Nom incorrect."_s << 48 << u"CHEMIN SOURCE"_s;
        QTest::newRow("unité inconnue, réessayer puis annuler")
            << u"q:\\x"_s << false << QList<int>{4, 2}
            << u"Support absent ou erreur d'accès sur q:\\x"_s << 53 << u"CHEMIN SOURCE"_s;
        QTest::newRow("répertoire supprimé")
            << u"c:\\travail"_s << true << QList<int>{1} << INTROUVABLE << 48 << GF;
    }
    void chemin_refuse() {
        QFETCH(QString, texte);
        QFETCH(bool, disparu);
        QFETCH(QList<int>, reponses);
        QFETCH(QString, message);
        QFETCH(int, style);
        QFETCH(QString, titre);
        c->creer_repertoire(u"travail"_s);
        charger();
        if (disparu) {
            taper(f->Chemin_srce, texte);
            QCOMPARE(f->Répertoire_srce->path(), u"C:\\travail"_s);
            QVERIFY(QDir(c->hote(u"travail"_s)).removeRecursively());
        }
        repondre(reponses);
        taper(f->Chemin_srce, texte);
        QCOMPARE(d->questions().size(), reponses.size());
        QCOMPARE(d->dernier().texte, message);
        QCOMPARE(d->dernier().style, style);
        QCOMPARE(d->dernier().titre, titre);
        // Le cadre reste sur un répertoire qui existe, le champ prêt à corriger.
        QCOMPARE(f->Répertoire_srce->path(), u"C:\\"_s);
        QCOMPARE(f->Fichier_srce->path(), u"C:\\"_s);
        QCOMPARE(f->Chemin_srce->selectedText(), disparu ? u"c:\\"_s : texte);
        QVERIFY(!etat_commande().commande_en_cours);
        taper(f->Chemin_srce, u"C:\\KALDRON"_s);
        QCOMPARE(f->Répertoire_srce->path(), u"C:\\kaldron"_s);
        QCOMPARE(f->Chemin_srce->text(), u"c:\\kaldron"_s);
    }

    // Liste_rép sert tant que son drapeau n'est pas levé.
    void liste_rep_gardee_jusqu_au_drapeau() {
        c->creer_repertoire(u"a"_s);
        charger();
        repondre({1});
        taper(f->Chemin_srce, u"cible"_s);
        QVERIFY(!f->liste_rep_périmée[0]);
        c->creer_repertoire(u"a/cible"_s);
        repondre({1});
        taper(f->Chemin_srce, u"cible"_s); // la liste n'est pas refaite
        QCOMPARE(d->questions().size(), 2);
        QCOMPARE(d->dernier().texte, INTROUVABLE);
        f->liste_rep_périmée[0] = true;
        repondre({6});
        taper(f->Chemin_srce, u"CIBLE"_s);
        QCOMPARE(d->dernier().texte, question(u"C:\\a\\cible"_s));
        QCOMPARE(f->Répertoire_srce->path(), u"C:\\a\\cible"_s);
        QVERIFY(!f->liste_rep_périmée[0]);
    }

    void liste_rep_refaite_pour_une_autre_unite() {
        essai::UniteTemporaire unite_d(u'D');
        unite_d.creer_repertoire(u"x/cible"_s);
        charger();
        repondre({1});
        taper(f->Chemin_srce, u"cible"_s);
        taper(f->Chemin_srce, u"d:\\"_s);
        QCOMPARE(f->Unité_srce->drive().left(2), u"d:"_s); // la liste des unités suit
        repondre({6});
        taper(f->Chemin_srce, u"cible"_s);
        QCOMPARE(d->dernier().texte, question(u"D:\\x\\cible"_s));
        QCOMPARE(f->Répertoire_srce->path(), u"D:\\x\\cible"_s);
    }

    // Un clic relit le répertoire : ce qui a changé sur le disque apparaît.
    void clic_relit_le_repertoire_data() {
        QTest::addColumn<QString>("cible");
        QTest::addColumn<QString>("nouveau");
        QTest::newRow("même répertoire") << u"C:\\"_s << u"nouveau.txt"_s;
        QTest::newRow("sous-répertoire") << u"C:\\sous"_s << u"dedans.txt"_s;
    }
    void clic_relit_le_repertoire() {
        QFETCH(QString, cible);
        QFETCH(QString, nouveau);
        c->creer_fichier(u"a.txt"_s);
        c->creer_repertoire(u"sous"_s);
        charger();
        c->creer_fichier(u"nouveau.txt"_s);
        c->creer_fichier(u"sous/dedans.txt"_s);
        c->creer_repertoire(u"sous/neuf"_s);
        c->creer_repertoire(u"neuf"_s);
        cliquer(f->Répertoire_srce, entree(f->Répertoire_srce, cible));
        QCOMPARE(f->Répertoire_srce->path(), cible);
        QVERIFY(entree(f->Répertoire_srce,
                       cible + (cible.endsWith(u'\\') ? u""_s : u"\\"_s) + u"neuf"_s));
        QVERIFY(liste_contient(f->Fichier_srce, nouveau));
        QVERIFY(f->Fichier_srce->selected(0)); // la première entrée est choisie
        QCOMPARE(f->Chemin_srce->text(), cible.toLower());
        QCOMPARE(f->marqueur_changement_répertoire, 0);
        QVERIFY(!etat_commande().commande_en_cours);
        QCOMPARE(f->Sélection_fichiers->currentText(), u"*.*"_s);
    }

    // Au chargement, la première entrée est choisie et la ligne le dit. Un
    // chemin tapé vers le même répertoire garde le choix de l'usager ; un clic
    // sur le répertoire le perd (relu par le motif ".") et ne prend que la
    // première entrée. La ligne d'état, que lisent les commandes, suit.
    void relecture_et_ligne_etat() {
        c->creer_fichier(u"a.txt"_s, "aa");
        c->creer_fichier(u"b.txt"_s, "bbb");
        charger();
        const auto choisis = [this] {
            QStringList noms;
            for (const QListWidgetItem* e : f->Fichier_srce->selectedItems())
                noms.append(e->text());
            return noms;
        };
        QCOMPARE(choisis(), QStringList{u"a.txt"_s});
        QCOMPARE(f->Ligne_message->text(), u"   1 fichier sélectionné, total = 2 octets."_s);
        f->Fichier_srce->clearSelection();
        f->Fichier_srce->setSelected(1, true);
        c->creer_fichier(u"0.txt"_s);
        f->Chemin_srce->setText(u"c:\\"_s);
        f->Chemin_srce_KeyPress(13);
        QCOMPARE(choisis(), QStringList{u"b.txt"_s});
        QCOMPARE(f->Ligne_message->text(), u"   1 fichier sélectionné, total = 3 octets."_s);
        f->Fichier_srce->setSelected(0, true); // le nouveau 0.txt, vide
        QCOMPARE(f->Ligne_message->text(), u"   2 fichiers sélectionnés, total = 3 octets."_s);
        cliquer(f->Répertoire_srce, entree(f->Répertoire_srce, u"C:\\"_s));
        QCOMPARE(choisis(), QStringList{u"0.txt"_s});
        QCOMPARE(f->Ligne_message->text(), u"   1 fichier sélectionné, total = 0 octets."_s);
    }

    void clic_sur_un_repertoire_disparu() {
        c->creer_repertoire(u"parti"_s);
        charger();
        QVERIFY(QDir(c->hote(u"parti"_s)).removeRecursively());
        repondre({2});
        cliquer(f->Répertoire_srce, entree(f->Répertoire_srce, u"C:\\parti"_s));
        QCOMPARE(d->dernier().texte,
                 u"Chemin d'accès introuvable"_s + CR + u"ou support absent."_s);
        QCOMPARE(d->dernier().titre, u"REPERT. SOURCE"_s);
        QCOMPARE(f->Répertoire_srce->path(), u"C:\\"_s);
        QVERIFY(!entree(f->Répertoire_srce, u"C:\\parti"_s)); // l'entrée a disparu
        QVERIFY(!etat_commande().commande_en_cours);
    }

    // Support absent : Annuler ramène la liste des unités sur l'unité d'avant.
    void unite_absente_data() {
        QTest::addColumn<QList<int>>("reponses");
        QTest::newRow("annuler") << QList<int>{2};
        QTest::newRow("réessayer puis annuler") << QList<int>{4, 2};
    }
    void unite_absente() {
        QFETCH(QList<int>, reponses);
        essai::UniteTemporaire a(u'A');
        charger();
        QVERIFY(QDir(a.hote(u""_s)).removeRecursively());
        repondre(reponses);
        f->Unité_srce->setCurrentIndex(f->Unité_srce->findText(u"a:"_s, Qt::MatchStartsWith));
        QCOMPARE(d->questions().size(), reponses.size());
        QCOMPARE(d->dernier().texte, u"Support absent ou erreur d'accès sur a:"_s);
        QCOMPARE(d->dernier().titre, u"UNITE SOURCE"_s);
        QCOMPARE(f->Unité_srce->drive().left(2), u"c:"_s);
        QCOMPARE(f->Répertoire_srce->path(), u"C:\\"_s);
    }

    // Le répertoire courant de l'unité a disparu : sa racine, sans message.
    void unite_dont_le_repertoire_a_disparu() {
        essai::UniteTemporaire unite_d(u'D');
        c->creer_repertoire(u"b"_s);
        charger();
        taper(f->Chemin_srce, u"c:\\b"_s);
        taper(f->Chemin_srce, u"d:\\"_s);
        QVERIFY(QDir(c->hote(u"b"_s)).removeRecursively());
        f->Unité_srce->setDrive(u"c:"_s);
        QCOMPARE(f->Répertoire_srce->path(), u"C:\\"_s);
        QVERIFY(d->questions().isEmpty());
    }

    // Entrée dans la liste des unités : son répertoire courant est relu.
    void entree_dans_la_liste_des_unites() {
        c->creer_repertoire(u"b"_s);
        charger();
        plateforme::changer_repertoire(u"C:\\b"_s);
        etat_commande().commande_en_cours = true;
        QTest::keyClick(f->Unité_srce, Qt::Key_Return);
        QCOMPARE(f->Répertoire_srce->path(), u"C:\\"_s); // ignorée pendant une commande
        etat_commande().commande_en_cours = false;
        QTest::keyClick(f->Unité_srce, Qt::Key_Return);
        QCOMPARE(f->Répertoire_srce->path(), u"C:\\b"_s);
        QCOMPARE(f->Chemin_srce->text(), u"c:\\b"_s);
    }

    void clic_dans_destination() {
        c->creer_fichier(u"a.txt"_s);
        charger();
        d->repondre(1);
        cliquer(f->Fichier_dest, f->Fichier_dest->item(0));
        QCOMPARE(d->dernier().texte, u"Sélectionnez le fichier dans la liste 'SOURCE'"_s + CR +
                                         u"ou bien cliquez sur le bouton de permutation :"_s + CR +
                                         u"cette liste sert uniquement de contrôle visuel."_s);
        QCOMPARE(d->dernier().style, 64);
        QCOMPARE(d->dernier().titre, GF);
        QCOMPARE(d->bips(), 1);
        QVERIFY(f->Fichier_dest->selectedItems().isEmpty());
    }

    void clic_fichier_en_mode_repertoire() {
        c->creer_fichier(u"a.txt"_s);
        c->creer_fichier(u"b.txt"_s);
        charger();
        f->Mode_Click();
        d->repondre(1);
        cliquer(f->Fichier_srce, f->Fichier_srce->item(1));
        QCOMPARE(d->questions().size(), 1);
        QCOMPARE(d->dernier().texte, u"Sélection non autorisée en mode répertoire :"_s + CR +
                                         u"cliquez sur le bouton 'Mode fichier'."_s);
        QCOMPARE(d->dernier().style, 64);
        QCOMPARE(d->dernier().titre, GF);
        QVERIFY(f->Fichier_srce->selectedItems().isEmpty());
        f->Mode_Click(); // en mode fichier, le clic choisit sans rien dire
        cliquer(f->Fichier_srce, f->Fichier_srce->item(1));
        QCOMPARE(d->questions().size(), 1);
        QVERIFY(f->Fichier_srce->selected(1));
    }

    // Retour arrière dans une liste : tout le cadre remonte (à la racine,
    // un bip) ; dans un champ de chemin, la touche efface comme partout.
    void retour_arriere_remonte() {
        c->creer_fichier(u"projet/lisez.txt"_s);
        c->creer_repertoire(u"projet/sous"_s);
        charger();
        f->Répertoire_srce->setPath(c->dos(u"projet/sous"_s));
        f->Répertoire_dest->setPath(c->dos(u"projet"_s));
        QTest::keyClick(f->Répertoire_srce, Qt::Key_Backspace);
        QCOMPARE(f->Fichier_srce->path(), c->dos(u"projet"_s));
        QVERIFY(liste_contient(f->Fichier_srce, u"lisez.txt"_s));
        QCOMPARE(f->Chemin_srce->text(), u"c:\\projet"_s);
        QTest::keyClick(f->Fichier_dest, Qt::Key_Backspace);
        QTest::keyClick(f->Fichier_dest, Qt::Key_Backspace);
        QCOMPARE(f->Répertoire_dest->path(), u"C:\\"_s);
        QCOMPARE(f->Chemin_dest->text(), u"c:\\"_s);
        QCOMPARE(d->bips(), 1);
        f->Chemin_srce->setFocus();
        f->Chemin_srce->end(false);
        QTest::keyClick(f->Chemin_srce, Qt::Key_Backspace);
        QCOMPARE(f->Chemin_srce->text(), u"c:\\proje"_s);
        QCOMPARE(f->Répertoire_srce->path(), c->dos(u"projet"_s));
    }

    // Ctrl+R : un fichier venu d'ailleurs paraît, le choix reste, un
    // répertoire disparu laisse place à son parent, sans message.
    void ctrl_r_relit_les_deux_cadres() {
        c->creer_fichier(u"src/a.txt"_s, "aaa");
        c->creer_fichier(u"src/b.txt"_s, "bbbbb");
        c->creer_repertoire(u"dest/parti"_s);
        charger();
        f->Répertoire_dest->setPath(c->dos(u"dest/parti"_s));
        f->Répertoire_srce->setPath(c->dos(u"src"_s));
        f->Fichier_srce->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);
        c->creer_fichier(u"src/c.txt"_s, "c");
        QVERIFY(QDir(c->hote(u"dest/parti"_s)).removeRecursively());
        f->Relire_cadres();
        QVERIFY(liste_contient(f->Fichier_srce, u"c.txt"_s));
        QVERIFY(f->Fichier_srce->selected(1) && !f->Fichier_srce->selected(0));
        QCOMPARE(f->Chemin_dest->text(), u"c:\\dest"_s);
        QCOMPARE(f->Fichier_dest->path(), c->dos(u"dest"_s));
    }

    // Entrée vaut un double clic sur le seul fichier du curseur ; en mode
    // répertoire, le refus de la souris.
    void entree_sur_un_fichier() {
        c->creer_fichier(u"a.txt"_s);
        c->creer_fichier(u"lot.bat"_s, "@echo off");
        charger();
        f->Fichier_srce->selectAll();
        f->Fichier_srce->setCurrentRow(1, QItemSelectionModel::NoUpdate);
        d->repondre(3);
        QTest::keyClick(f->Fichier_srce, Qt::Key_Return);
        QCOMPARE(d->dernier().texte, u"Voulez-vous EDITER ou EXECUTER le fichier 'lot.bat' ?"_s);
        QVERIFY(f->Fichier_srce->selected(1) && !f->Fichier_srce->selected(0));
        f->Mode_Click();
        d->repondre(1);
        QTest::keyClick(f->Fichier_srce, Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(d->dernier().texte.startsWith(u"Sélection non autorisée en mode répertoire"_s));
    }

    void mode_aller_et_retour() {
        c->creer_fichier(u"a.txt"_s);
        charger();
        f->Ligne_message->setText(u"  1 fichier"_s);
        f->Mode->click();
        QVERIFY(etat_commande().mode_répertoire);
        QCOMPARE(f->Mode->text(), u" &Mode fichier"_s);
        QCOMPARE(f->windowTitle(), u"Gestionnaire de fichiers  (Mode répertoire)"_s);
        QCOMPARE(f->légende_sauvée, f->windowTitle());
        QVERIFY(f->Créer->isVisibleTo(f.get()) && f->Supprimer->isVisibleTo(f.get()));
        QVERIFY(!f->Copier->isVisibleTo(f.get()) && !f->Effacer->isVisibleTo(f.get()));
        QVERIFY(!f->Sélecte->isEnabled());
        QVERIFY(f->Ligne_message->text().isEmpty());
        // Renommer reste actif en mode répertoire ; Déplacer s'éteint.
        QVERIFY(f->Renommer->isEnabled() && !f->Déplacer->isEnabled());
        f->Mode->click();
        QVERIFY(!etat_commande().mode_répertoire);
        QCOMPARE(f->Mode->text(), u" &Mode répertoire"_s);
        QCOMPARE(f->windowTitle(), u"Gestionnaire de fichiers  (Mode fichier)   "_s);
        QCOMPARE(f->légende_sauvée, f->windowTitle());
        QVERIFY(f->Copier->isVisibleTo(f.get()) && f->Effacer->isVisibleTo(f.get()));
        QVERIFY(!f->Créer->isVisibleTo(f.get()) && !f->Supprimer->isVisibleTo(f.get()));
        QVERIFY(f->Sélecte->isEnabled());
        QVERIFY(f->Déplacer->isEnabled());
        etat_commande().commande_en_cours = true;
        f->Mode_Click();
        QVERIFY(!etat_commande().mode_répertoire); // ignoré pendant une commande
    }

    void croiser_deux_fois_data() {
        QTest::addColumn<QString>("destination");
        QTest::newRow("même unité") << u"c:\\b"_s;
        QTest::newRow("autre unité") << u"d:\\x"_s;
    }
    void croiser_deux_fois() {
        QFETCH(QString, destination);
        essai::UniteTemporaire unite_d(u'D');
        unite_d.creer_repertoire(u"x"_s);
        c->creer_repertoire(u"a"_s);
        c->creer_repertoire(u"b"_s);
        charger();
        taper(f->Chemin_srce, u"c:\\a"_s);
        taper(f->Chemin_dest, destination);
        QCOMPARE(f->Unité_dest->drive().left(2), destination.left(2));
        f->Croiser->click();
        QCOMPARE(f->Chemin_srce->text(), destination);
        QCOMPARE(f->Fichier_srce->path().toLower(), destination);
        QCOMPARE(f->Unité_srce->drive().left(2), destination.left(2));
        QCOMPARE(f->Chemin_dest->text(), u"c:\\a"_s);
        QCOMPARE(f->Fichier_dest->path(), u"C:\\a"_s);
        QCOMPARE(f->Unité_dest->drive().left(2), u"c:"_s);
        QVERIFY(etat_commande().commande_courante.isEmpty()); // relu par Rafraichir_affichage
        f->Croiser->click();
        QCOMPARE(f->Répertoire_srce->path(), u"C:\\a"_s);
        QCOMPARE(f->Répertoire_dest->path().toLower(), destination);
        QCOMPARE(f->Unité_srce->drive().left(2), u"c:"_s);
        QCOMPARE(f->Unité_dest->drive().left(2), destination.left(2));
        QCOMPARE(f->Chemin_dest->text(), destination);
    }

    void raccourcir_chemin_data() {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("garde"); // ce qui doit tenir après " . . .\" ; "*" : tout
        QTest::addColumn<double>("marge");  // ajoutée à la largeur juste suffisante
        QTest::addColumn<QString>("attendu");
        const QString long_ = u"C:\\A\\B\\C\\D\\FICHIER.TXT"_s;
        QTest::newRow("tient") << long_ << u"*"_s << 0.0 << long_;
        QTest::newRow("deux parties")
            << long_ << u"D\\FICHIER.TXT"_s << 0.0 << u"C:\\ . . .\\D\\FICHIER.TXT"_s;
        QTest::newRow("un twip de moins")
            << long_ << u"D\\FICHIER.TXT"_s << -1.0 << u"C:\\ . . .\\FICHIER.TXT"_s;
        QTest::newRow("rien ne tient") << long_ << u"-"_s << -100.0 << u"C:\\ . . .\\FICHIER.TXT"_s;
        QTest::newRow("sans unité")
            << u"PROG\\X\\Y.EXE"_s << u"Y.EXE"_s << 0.0 << u"c:\\ . . .\\Y.EXE"_s;
    }
    void raccourcir_chemin() {
        QFETCH(QString, texte);
        QFETCH(QString, garde);
        QFETCH(double, marge);
        QFETCH(QString, attendu);
        charger();
        const double largeur =
            (garde == u"*"_s ? twips(texte) : twips(u"W:\\ . . .\\"_s) + twips(garde)) + marge;
        f->texte_partagé = texte;
        f->Raccourcir_chemin(f.get(), largeur);
        QCOMPARE(f->texte_partagé, attendu);
    }

    void chemin_destination_data() {
        QTest::addColumn<QString>("repertoire");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("racine d'une disquette") << u"A:\\"_s << u"A:\\NAME"_s;
        QTest::newRow("sous-répertoire") << u"C:\\b"_s << u"C:\\b\\NAME"_s;
    }
    void chemin_destination() {
        QFETCH(QString, repertoire);
        QFETCH(QString, attendu);
        essai::UniteTemporaire a(u'A');
        c->creer_repertoire(u"b"_s);
        charger();
        etat_commande().fichier_courant = u"NAME"_s;
        f->Répertoire_dest->setPath(repertoire); // le changement la calcule
        QCOMPARE(etat_commande().chemin_destination, attendu);
    }
};

QTEST_MAIN(TestPanneaux)
#include "test_panneaux.moc"
