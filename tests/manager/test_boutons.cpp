// Boutons programmables, défilement des boutons et ligne de commande ;
// touches des commandes, lettres Alt et menu du bouton droit.
#include "essai_fenetre.h"
#include "platform/chemins.h"
#include "platform/lancement.h"
#include "platform/profil.h"
#include <QFocusEvent>
#include <QMenu>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
const QString CR = QString(QChar(13));
} // namespace

class TestBoutons : public EssaiFenetre {
    Q_OBJECT

    QStringList lances; // lignes reçues par le démarreur
    bool trouve = true; // faux : tout programme est introuvable (53)

    // [Boutons] donné en lignes "clé=valeur" ; SOURCE sur C:\doc.
    void charger(const QStringList& boutons) {
        for (const char* r : {"doc", "outils", "mes docs", "v1.2"})
            c->creer_repertoire(QString::fromLatin1(r));
        c->creer_fichier(u"kaldron/KALDRON.INI"_s,
                         (u"[Boutons]\r\n"_s + boutons.join(u"\r\n"_s) + u"\r\n"_s).toLatin1());
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        f->Répertoire_srce->setPath(c->dos(u"doc"_s));
        f->Fichier_srce->setPath(c->dos(u"doc"_s));
    }

    QString repertoire_courant() const { return plateforme::repertoire_courant().toUpper(); }

    void taper(const QString& commande) {
        f->Ligne_commande->setEditText(f->Répertoire_srce->path() + u'>' + commande);
        QTest::keyClick(f->Ligne_commande, Qt::Key_Return);
    }

    // SOURCE sur doc (a.txt choisi), DESTINATION sur dest ; fenêtre active
    // pour que les touches lui parviennent.
    void charger_fichiers() {
        c->creer_fichier(u"doc/a.txt"_s, "aaaa");
        c->creer_fichier(u"doc/b.txt"_s, "bb");
        c->creer_repertoire(u"dest"_s);
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        f->espace_libre_de = [](const QString&) { return qint64(1) << 40; };
        f->Répertoire_dest->setPath(c->dos(u"dest"_s));
        f->Répertoire_srce->setPath(c->dos(u"doc"_s));
        f->Fichier_srce->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
        f->show();
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.get()));
        f->Fichier_srce->setFocus();
        QVERIFY(f->Ligne_message->text().contains(u"1 fichier"_s));
    }

    // Entrées du menu sans lettres ni touches ; une entrée éteinte est entre crochets.
    QString menu_de(QWidget* liste) {
        std::unique_ptr<QMenu> menu(f->construire_menu_contextuel(liste));
        QStringList l;
        for (const QAction* a : menu->actions())
            if (!a->isSeparator())
                l << (a->isEnabled() ? u""_s : u"x"_s) +
                         a->text().section(u'\t', 0, 0).remove(u'&');
        return l.join(u',');
    }

private slots:
    void init() {
        monter();
        lances.clear();
        trouve = true;
        plateforme::installer_demarreur([this](const QString& ligne) {
            lances << ligne;
            return trouve;
        });
    }
    void cleanup() {
        plateforme::installer_demarreur({});
        QVERIFY(demonter());
    }

    void programme_lance_avec_sa_legende() {
        charger({u"&Calc=c:\\outils\\calc.exe"_s, u"Zip=C:\\ZIP.EXE"_s});
        QVERIFY(f->Bouton[1]->isEnabled());
        f->Bouton[1]->click();
        QCOMPARE(lances, QStringList{u"C:\\OUTILS\\CALC.EXE"_s});
        QCOMPARE(etat_commande().commande_courante, u"BOUTON 'Calc'"_s);
        QCOMPARE(repertoire_courant(), u"C:\\OUTILS"_s);
        QVERIFY(!etat_commande().commande_en_cours);
        // Programme à la racine : on travaille à la racine de l'unité.
        f->Bouton_Click(2);
        QCOMPARE(repertoire_courant(), u"C:\\"_s);
    }

    void parametres_demandes_data() {
        QTest::addColumn<QString>("reponse");
        QTest::addColumn<QStringList>("attendu");
        QTest::newRow("annuler") << QString() << QStringList();
        QTest::newRow("blanc accepté") << u" "_s << QStringList{u"C:\\OUTILS\\ZIP.EXE "_s};
        QTest::newRow("avec blanc")
            << u"-r a b"_s << QStringList{u"C:\\OUTILS\\ZIP.EXE \"-r a b\""_s};
        // Les guillemets de l'usager ne sont pas enveloppés d'autres guillemets.
        QTest::newRow("guillemets de l'usager")
            << u"-r \"a b\""_s << QStringList{u"C:\\OUTILS\\ZIP.EXE -r \"a b\""_s};
    }
    void parametres_demandes() {
        QFETCH(QString, reponse);
        QFETCH(QStringList, attendu);
        charger({u"&Zip=C:\\OUTILS\\ZIP.EXE ?"_s});
        d->repondre_saisie(reponse);
        f->Bouton_Click(1);
        const essai::Question q = d->dernier();
        QCOMPARE(q.texte, u"Entrez le(s) paramètre(s) de la commande C:\\OUTILS\\ZIP.EXE"_s + CR +
                              CR + u"Répertoire de travail :"_s + CR + u"C:\\OUTILS"_s);
        QCOMPARE(q.titre, u"BOUTON 'Zip'"_s);
        QCOMPARE(q.defaut, u" "_s);
        QCOMPARE(lances, attendu);
    }

    void document_data() {
        QTest::addColumn<QString>("valeur");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("associé") << u"C:\\doc\\lettre.doc"_s
                                 << u"winword.exe C:\\DOC\\LETTRE.DOC"_s;
        QTest::newRow("blanc") << u"C:\\mes docs\\a.doc"_s
                               << u"winword.exe \"C:\\MES DOCS\\A.DOC\""_s;
        QTest::newRow("point dans le répertoire")
            << u"C:\\v1.2\\notes.txt"_s << u"notepad.exe C:\\V1.2\\NOTES.TXT"_s;
        QTest::newRow("sans association") << u"C:\\doc\\plan.xyz"_s << QString();
    }
    void document() {
        QFETCH(QString, valeur);
        QFETCH(QString, attendu);
        plateforme::ecrire_win_ini(u"Extensions"_s, u"doc"_s, u"winword.exe ^.doc"_s);
        plateforme::ecrire_win_ini(u"Extensions"_s, u"txt"_s, u"notepad.exe ^.txt"_s);
        charger({u"Lettre="_s + valeur});
        if (attendu.isEmpty())
            d->repondre(1);
        f->Bouton_Click(1);
        if (attendu.isEmpty()) {
            QCOMPARE(lances, QStringList());
            QCOMPARE(d->dernier().texte, u"Pas de programme associé aux fichiers"_s + CR +
                                             u"ayant l'extension 'XYZ' :"_s + CR +
                                             u"utilisez la commande 'Configurer', option "
                                             "'Associer' pour le définir."_s);
            QCOMPARE(d->dernier().style, 16);
            QCOMPARE(d->bips(), 1);
        } else {
            QCOMPARE(lances, QStringList{attendu});
            QCOMPARE(repertoire_courant(), valeur.left(valeur.lastIndexOf(u'\\')).toUpper());
        }
    }

    void bouton_mal_programme_data() {
        QTest::addColumn<QString>("legende");
        QTest::addColumn<QString>("texte");
        QTest::newRow("déprogrammé")
            << u"&Vide"_s
            << u"Bouton déprogrammé, reprogrammez-le (commande 'Configurer', option 'Boutons') "
               "ou relancez KALDRON pour supprimer le bouton."_s;
        QTest::newRow("sans extension")
            << u"&Calc"_s
            << u"Il manque l'extension du programme ou du fichier paramètré : modifiez avec la "
               "commande 'Configurer', option 'Boutons'."_s;
    }
    void bouton_mal_programme() {
        QFETCH(QString, legende);
        QFETCH(QString, texte);
        charger({u"&Calc=C:\\OUTILS\\CALC"_s});
        f->Bouton[1]->setText(legende);
        d->repondre(1);
        f->Bouton_Click(1);
        QCOMPARE(d->dernier().texte, texte);
        QCOMPARE(d->dernier().style, 16);
        QCOMPARE(d->dernier().titre, u"BOUTON '"_s + legende.mid(1) + u"'"_s);
        QCOMPARE(d->bips(), 1);
        QVERIFY(lances.isEmpty() && !etat_commande().commande_en_cours);
    }

    void defilement_cyclique() {
        QStringList boutons;
        for (int i = 1; i <= 9; ++i)
            boutons << u"B%1=C:\\OUTILS\\P%1.EXE"_s.arg(i);
        charger(boutons);
        QVERIFY(!f->Bouton_suite->isHidden() && f->Bouton_suite->isEnabled());
        const auto legendes = [this] {
            QStringList l;
            for (int i = 1; i <= 7; ++i)
                l << f->Bouton[i]->text();
            return l.join(u' ');
        };
        f->Bouton_suite->click();
        QCOMPARE(legendes(), u"B8 B9 B3 B4 B5 B6 B7"_s);
        QCOMPARE(f->taille_du_dernier_groupe, qint16(2));
        f->Bouton_suite_Click();
        QCOMPARE(legendes(), u"B1 B2 B3 B4 B5 B6 B7"_s);
        QCOMPARE(f->taille_du_dernier_groupe, qint16(0));
        f->Bouton_Click(2);
        QCOMPARE(lances, QStringList{u"C:\\OUTILS\\P2.EXE"_s});
    }

    // ------------------------------------------------------ ligne de commande

    void invite_basculee() {
        charger({});
        QVERIFY(f->Prompt->isEnabled());
        f->Prompt->click();
        QVERIFY(!f->Ligne_commande->isHidden());
        const QString invite = f->Répertoire_srce->path() + u'>';
        QCOMPARE(f->Ligne_commande->currentText(), invite);
        QCOMPARE(f->Ligne_commande->lineEdit()->cursorPosition(), invite.size());
        f->Prompt_Click();
        QVERIFY(f->Ligne_commande->isHidden());
        // Pendant une commande, l'invite ne s'ouvre pas.
        etat_commande().commande_en_cours = true;
        f->Prompt_Click();
        QVERIFY(f->Ligne_commande->isHidden());
        etat_commande().commande_en_cours = false;
        // Perdre le focus la ferme, sauf pour ouvrir la liste.
        f->Prompt_Click();
        QFocusEvent liste(QEvent::FocusOut, Qt::PopupFocusReason);
        QCoreApplication::sendEvent(f->Ligne_commande, &liste);
        QVERIFY(!f->Ligne_commande->isHidden());
        QFocusEvent sortie(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(f->Ligne_commande, &sortie);
        QVERIFY(f->Ligne_commande->isHidden());
    }

    void commande_lancee_data() {
        QTest::addColumn<QString>("tape");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("seule") << u"  edit "_s << u"edit"_s;
        QTest::newRow("reste entre guillemets") << u"edit a b.txt"_s << u"edit \"a b.txt\""_s;
        QTest::newRow("guillemets de l'usager") << u"copy \"a b\" c"_s << u"copy \"a b\" c"_s;
    }
    void commande_lancee() {
        QFETCH(QString, tape);
        QFETCH(QString, attendu);
        charger({});
        taper(tape);
        QCOMPARE(lances, QStringList{attendu});
        QCOMPARE(etat_commande().commande_courante, tape.trimmed());
        QCOMPARE(repertoire_courant(), u"C:\\DOC"_s);
        QVERIFY(!etat_commande().commande_en_cours);
    }

    void commande_introuvable() {
        charger({});
        trouve = false;
        d->repondre(1);
        taper(u"edit"_s);
        QCOMPARE(lances, (QStringList{u"edit"_s, u"edit.COM"_s}));
        QCOMPARE(d->dernier().texte,
                 u"Fichier EDIT.COM ou .EXE introuvable dans le répertoire :"_s + CR +
                     f->Répertoire_srce->path());
        QCOMPARE(d->dernier().titre, u"edit"_s);
        QCOMPARE(d->dernier().style, 48);
        QCOMPARE(d->bips(), 1);
    }

    void historique_de_trente() {
        charger({});
        for (int i = 1; i <= 31; ++i)
            taper(u"cmd%1"_s.arg(i));
        QCOMPARE(f->Ligne_commande->count(), 30);
        QCOMPARE(f->Ligne_commande->itemText(0), u"cmd2"_s);
        QCOMPARE(f->Ligne_commande->itemText(29), u"cmd31"_s);
        QCOMPARE(f->Ligne_commande->currentText(), f->Répertoire_srce->path() + u">cmd31"_s);
    }

    // ------------------------------------------- touches, lettres Alt, menu

    // Touche et entrée du menu cliquent le bouton : même question, mot pour
    // mot ; un bouton caché ou éteint (sélection globale) ne donne qu'un bip.
    void touches_et_menu_passent_par_le_bouton() {
        charger_fichiers();
        d->repondre(7);
        f->Effacer->click();
        const essai::Question par_le_bouton = d->dernier();
        d->repondre(7);
        QTest::keyClick(f->Fichier_srce, Qt::Key_F8);
        QCOMPARE(d->dernier().texte, par_le_bouton.texte);
        std::unique_ptr<QMenu> menu(f->construire_menu_contextuel(f->Fichier_srce));
        d->repondre(6);
        menu->actions().at(5)->trigger();
        QCOMPARE(menu->actions().at(5)->text(), u"&EFFACER\tF8"_s);
        QTRY_COMPARE(d->questions().size(), 3);
        QCOMPARE(d->dernier().texte, par_le_bouton.texte);
        QVERIFY(!QFileInfo::exists(c->hote(u"doc/a.txt"_s)));
        const int bips = d->bips();
        QTest::keyClick(f->Fichier_srce, Qt::Key_F7); // Créer : mode répertoire seulement
        f->Sélecte->click();
        QTest::keyClick(f->Fichier_srce, Qt::Key_F2); // Renommer éteint
        QCOMPARE(d->bips(), bips + 2);
        QCOMPARE(d->questions().size(), 3);
        // Mode répertoire : F8 supprime le répertoire, toujours après question.
        f->Sélecte->click();
        f->Mode->click();
        d->repondre(7);
        QTest::keyClick(f->Répertoire_srce, Qt::Key_F8);
        QVERIFY(d->dernier().texte.startsWith(u"Vous allez SUPPRIMER"_s));
        QVERIFY(QFileInfo::exists(c->hote(u"doc/b.txt"_s)));
        // F5 et le menu de la liste des répertoires y copient le répertoire
        // entier dans DESTINATION.
        std::unique_ptr<QMenu> menu_rep(f->construire_menu_contextuel(f->Répertoire_srce));
        QStringList entrees;
        for (const QAction* action : menu_rep->actions())
            entrees << action->text();
        QVERIFY2(entrees.contains(u"&Copier le répertoire dans 'DESTINATION'\tF5"_s),
                 qPrintable(entrees.join(u", "_s)));
        QTest::keyClick(f->Répertoire_srce, Qt::Key_F5);
        QTRY_VERIFY(QFileInfo::exists(c->hote(u"dest/doc/b.txt"_s)));
        QVERIFY(QFileInfo::exists(c->hote(u"doc/b.txt"_s)));
    }

    // Le vrai menu, cliqué : la commande ne tourne qu'une fois son événement
    // fini (elle fait tourner la boucle, qui détruisait le menu refermé).
    void menu_referme_avant_la_commande() {
        charger_fichiers();
        const QPoint b = f->Fichier_srce->visualItemRect(f->Fichier_srce->item(1)).center();
        QContextMenuEvent clic(QContextMenuEvent::Mouse, b,
                               f->Fichier_srce->viewport()->mapToGlobal(b));
        QCoreApplication::sendEvent(f->Fichier_srce->viewport(), &clic);
        QPointer<QMenu> menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        const QRect deplacer = menu->actionGeometry(menu->actions().at(3));
        QTest::mouseClick(menu, Qt::LeftButton, {}, deplacer.center());
        QVERIFY(!QFileInfo::exists(c->hote(u"dest/a.txt"_s)));
        QTRY_VERIFY(QFileInfo::exists(c->hote(u"dest/a.txt"_s)));
        QVERIFY(!menu);
    }

    // Chaque lettre Alt d'un bouton montré et actif ne va qu'à lui, dans les
    // deux modes (sinon Alt ne fait que promener le focus).
    void une_lettre_alt_par_bouton() {
        charger_fichiers();
        for (int mode = 0; mode < 2; ++mode, f->Mode->click()) {
            QMap<QString, QString> lettres;
            for (const QAbstractButton* b : f->findChildren<QAbstractButton*>()) {
                const QString lettre = QKeySequence::mnemonic(b->text()).toString();
                // Les boutons programmables ont les lettres de l'usager.
                if (lettre.isEmpty() || !b->isVisibleTo(f.get()) || !b->isEnabled() ||
                    b->objectName().startsWith(u"Bouton"_s))
                    continue;
                QVERIFY2(!lettres.contains(lettre), qPrintable(lettre + lettres.value(lettre)));
                lettres.insert(lettre, b->objectName());
            }
        }
        QTest::keyClick(f->Fichier_srce, Qt::Key_N, Qt::AltModifier);
        QTRY_VERIFY(!f->Ligne_commande->isHidden());
    }

    // Le menu suit le mode et la liste ; le bouton droit ne défait pas la
    // sélection globale, et hors d'elle choisit le fichier visé.
    void menu_du_bouton_droit() {
        charger_fichiers();
        const QString cadre = u",Répertoire parent,Relire les deux cadres"_s;
        QCOMPARE(menu_de(f->Fichier_dest), u"Permuter les cadres"_s + cadre);
        f->Sélecte->click();
        QCOMPARE(menu_de(f->Fichier_srce), u"Visualiser,xEditer,COPIER,DEPLACER,xRenommer,EFFACER,"
                                           "xExécuter,Imprimer,Infos"_s +
                                               cadre);
        const QPoint b = f->Fichier_srce->visualItemRect(f->Fichier_srce->item(1)).center();
        QTest::mousePress(f->Fichier_srce->viewport(), Qt::RightButton, {}, b);
        QVERIFY(f->sélection_totale && f->Fichier_srce->selectedItems().isEmpty());
        f->Sélecte->click();
        QTest::mousePress(f->Fichier_srce->viewport(), Qt::RightButton, {}, b);
        QVERIFY(f->Fichier_srce->selected(1) && !f->Fichier_srce->selected(0));
        QVERIFY(f->Ligne_message->text().contains(u"1 fichier"_s));
        f->Mode->click();
        QCOMPARE(menu_de(f->Répertoire_srce),
                 u"Créer,Renommer,Supprimer,Infos,Copier le répertoire dans 'DESTINATION',"
                 "Déplacer le répertoire dans 'DESTINATION',Mode fichier"_s +
                     cadre);
    }
};

QTEST_MAIN(TestBoutons)
#include "test_boutons.moc"
