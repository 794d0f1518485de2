// Sélection des fichiers SOURCE : motifs, sélection globale, ligne d'état,
// espace libre de la DESTINATION, touche Suppr.
#include "essai_fenetre.h"
#include "manager/common/etat_commande.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "support/dialogues_scriptes.h"
#include "support/unite_temporaire.h"
#include <QFocusEvent>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <sys/mount.h>
#include <sys/statvfs.h>

using namespace Qt::StringLiterals;

namespace {

const QString INVALIDE = u"Caractère de sélection invalide."_s;
const QStringList TOUS{u"a.txt"_s, u"b.txt"_s, u"c.bmp"_s, u"d.gif"_s, u"e.doc"_s};

QStringList noms(const plateforme::ListeFichiers* liste) {
    QStringList n;
    for (int i = 0; i < liste->listCount(); ++i)
        n << liste->list(i);
    return n;
}

void focus(QWidget* w, QEvent::Type genre, Qt::FocusReason raison) {
    QFocusEvent e(genre, raison);
    QCoreApplication::sendEvent(w, &e);
}

// tmpfs d'une taille connue monté sur le répertoire d'une unité, démonté à la fin.
struct Montage {
    QByteArray chemin;
    bool monte = false;
    Montage(const QString& repertoire, const char* options)
        : chemin(QFile::encodeName(repertoire)) {
        monte = ::mount("tmpfs", chemin.constData(), "tmpfs", 0, options) == 0;
    }
    ~Montage() {
        if (monte)
            ::umount2(chemin.constData(), MNT_DETACH);
    }
};

} // namespace

class TestSelection : public EssaiFenetre {
    Q_OBJECT

    // Fenêtre chargée ; SOURCE sur C:\doc, DESTINATION sur C:\dest.
    void charger(const QString& ini = {}) {
        c->creer_repertoire(u"doc"_s);
        c->creer_repertoire(u"dest"_s);
        if (!ini.isEmpty())
            c->creer_fichier(u"kaldron/KALDRON.INI"_s, ini.toLatin1());
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        f->Répertoire_srce->setPath(c->dos(u"doc"_s));
        f->Fichier_srce->setPath(c->dos(u"doc"_s));
        f->Répertoire_dest->setPath(c->dos(u"dest"_s));
        f->Fichier_dest->setPath(c->dos(u"dest"_s));
        f->Fichier_srce->clearSelection();
    }

    // Fichiers f0.txt, f1.txt... de tailles données, dans C:\doc.
    void fichiers(const QList<qint64>& tailles) {
        for (int i = 0; i < tailles.size(); ++i) {
            QFile fichier(c->creer_fichier(u"doc/f%1.txt"_s.arg(i)));
            QVERIFY(fichier.open(QIODevice::ReadWrite) && fichier.resize(tailles[i]));
        }
    }

    void fichiers_de_motifs() {
        for (const QString& nom : TOUS)
            c->creer_fichier(u"doc/"_s + nom);
        c->creer_fichier(u"dest/x.txt"_s);
        c->creer_fichier(u"dest/y.bmp"_s);
    }

    void choisir(const QList<int>& indices) {
        f->Fichier_srce->clearSelection();
        for (int i : indices)
            f->Fichier_srce->setSelected(i, true);
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void init() { monter(); }
    void cleanup() {
        const bool ok = demonter();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY(ok);
    }

    // ------------------------------------------------------------ ligne d'état

    void ligne_etat_data() {
        QTest::addColumn<QList<qint64>>("tailles");
        QTest::addColumn<QList<int>>("choisis");
        QTest::addColumn<QString>("texte");
        QTest::newRow("un fichier") << QList<qint64>{1000, 2000} << QList<int>{1}
                                    << u"   1 fichier sélectionné, total = 2,000 octets."_s;
        QTest::newRow("trois fichiers") << QList<qint64>{1000, 2000, 500} << QList<int>{0, 1, 2}
                                        << u"   3 fichiers sélectionnés, total = 3,500 octets."_s;
        QTest::newRow("deux fichiers vides") << QList<qint64>{0, 0, 7} << QList<int>{0, 1}
                                             << u"   2 fichiers sélectionnés, total = 0 octets."_s;
        QTest::newRow("rien") << QList<qint64>{10} << QList<int>{} << QString();
        // Sélection de plusieurs Gio : le total tient sur 64 bits (fichiers creux).
        QTest::newRow("plusieurs Gio")
            << QList<qint64>{3LL << 30, 3LL << 30, 3LL << 30} << QList<int>{0, 1, 2}
            << u"   3 fichiers sélectionnés, total = 9,663,676,416 octets."_s;
    }
    void ligne_etat() {
        QFETCH(QList<qint64>, tailles);
        QFETCH(QList<int>, choisis);
        QFETCH(QString, texte);
        fichiers(tailles);
        charger();
        f->Ligne_message->setText(u"ancien"_s);
        choisir(choisis);
        etat_commande().curseur = 3; // un clic repart toujours du début
        f->Fichier_srce_Click();
        QCOMPARE(f->Ligne_message->text(), texte);
        QCOMPARE(etat_commande().commande_courante, u"FICHIER SOURCE"_s);
        QCOMPARE(etat_commande().curseur, 0); // la commande suivante part du début
        if (!choisis.isEmpty()) {
            const QString premier = u"f%1.txt"_s.arg(choisis.first());
            QCOMPARE(f->premier_nom, premier);
            QCOMPARE(etat_commande().fichier_courant, premier);
            QCOMPARE(etat_commande().chemin_source, u"C:\\doc\\"_s + premier);
        }
    }

    void clic_ignore_pendant_une_commande() {
        fichiers({10, 20});
        charger();
        choisir({0, 1});
        f->Ligne_message->setText(u"avant"_s);
        etat_commande().commande_en_cours = true;
        f->Fichier_srce_Click();
        f->Sélecte_Click();
        QCOMPARE(f->Ligne_message->text(), u"avant"_s);
        QVERIFY(!f->sélection_totale);
    }

    // Le clic passe par la liste elle-même (signal de la souris).
    void clic_de_souris() {
        fichiers({10, 20, 30});
        charger();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.get()));
        const QRect r = f->Fichier_srce->visualItemRect(f->Fichier_srce->item(2));
        QTest::mouseClick(f->Fichier_srce->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(f->Ligne_message->text(), u"   1 fichier sélectionné, total = 30 octets."_s);
    }

    // Les commandes ne lisent que la ligne : elle suit toute sélection, même
    // faite par le programme, et une relecture du disque refait le compte.
    void ligne_suit_la_selection_du_programme() {
        fichiers({1000, 2000, 500, 7});
        charger();
        QVERIFY(f->Ligne_message->text().isEmpty());
        f->Fichier_srce->setSelected(2, true);
        QCOMPARE(f->Ligne_message->text(), u"   1 fichier sélectionné, total = 500 octets."_s);
        f->Fichier_srce->setSelected(0, true);
        QCOMPARE(f->Ligne_message->text(), u"   2 fichiers sélectionnés, total = 1,500 octets."_s);
        // Un fichier choisi disparu derrière le programme ne compte plus, sans
        // boîte de message (la relecture n'est pas un geste de l'usager).
        QVERIFY(QFile::remove(c->hote(u"doc/f0.txt"_s)));
        f->Fichier_srce->rafraichir();
        QCOMPARE(f->Ligne_message->text(), u"   1 fichier sélectionné, total = 500 octets."_s);
        // Pendant une commande, la ligne lue au départ reste ; la fin de la
        // commande la refait depuis la liste.
        etat_commande().commande_en_cours = true;
        f->Fichier_srce->setSelected(0, true);
        f->Fichier_srce->setSelected(2, true);
        QCOMPARE(f->Ligne_message->text(), u"   1 fichier sélectionné, total = 500 octets."_s);
        f->Rafraichir_affichage();
        QCOMPARE(f->Ligne_message->text(), u"   3 fichiers sélectionnés, total = 2,507 octets."_s);
        // Sélection globale : toute la liste compte, même choisie par le programme.
        f->Sélecte_Click();
        f->Fichier_srce->setSelected(1, true);
        QCOMPARE(f->Ligne_message->text(), u"   3 fichiers sélectionnés, total = 2,507 octets."_s);
        f->Fichier_srce->clearSelection();
        QCOMPARE(f->Ligne_message->text(), u"   3 fichiers sélectionnés, total = 2,507 octets."_s);
        f->Sélecte_Click();
        f->Fichier_srce->clearSelection();
        QVERIFY(f->Ligne_message->text().isEmpty());
        QCOMPARE(d->questions().size(), 0);
    }

    // À la fin d'une commande, l'entrée courante suit son nom dans la liste
    // relue (des entrées apparues avant la décalent) et le compte refait
    // suit les noms choisis : plusieurs plages, un lien compté par sa cible.
    void fin_de_commande_suit_les_noms() {
        fichiers({10, 20, 30, 40, 50});
        QVERIFY(QFile::link(c->hote(u"doc/f4.txt"_s), c->hote(u"doc/g.lnk"_s)));
        charger();
        f->Fichier_srce->setListIndex(3);
        choisir({0, 2, 3, 5});
        QCOMPARE(f->Ligne_message->text(), u"   4 fichiers sélectionnés, total = 130 octets."_s);
        etat_commande().commande_en_cours = true;
        c->creer_fichier(u"doc/a.txt"_s, "x");
        c->creer_fichier(u"doc/e.txt"_s, "yy");
        QFile(c->hote(u"doc/f2.txt"_s)).resize(1234);
        f->Rafraichir_affichage();
        QCOMPARE(f->Fichier_srce->listIndex(), 5);
        QCOMPARE(etat_commande().fichier_courant, u"f3.txt"_s);
        QCOMPARE(f->Ligne_message->text(), u"   4 fichiers sélectionnés, total = 1,334 octets."_s);
        QCOMPARE(d->questions().size(), 0);
    }

    // Un fichier disparu est signalé une fois et compte pour 0 octet.
    void fichiers_sel_avec_fichier_disparu() {
        fichiers({1000, 2000});
        charger();
        f->Fichier_sél->addItems({c->dos(u"doc/f0.txt"_s), c->dos(u"absent1.txt"_s),
                                  c->dos(u"doc/f1.txt"_s), c->dos(u"absent2.txt"_s)});
        for (int i = 0; i < 4; ++i)
            f->Fichier_sél->item(i)->setSelected(true);
        etat_commande().fichier_courant = u"autre.txt"_s;
        d->repondre(1);
        f->Fichier_sél_Click();
        QCOMPARE(d->questions().size(), 1);
        QCOMPARE(d->dernier().style, 48);
        QVERIFY(d->dernier().texte.contains(u" absent1.txt "_s));
        QCOMPARE(etat_commande().fichier_courant, u"autre.txt"_s);
        QCOMPARE(f->Ligne_message->text(), u"   4 fichiers sélectionnés, total = 3,000 octets."_s);
        f->Fichier_sél->item(0)->setSelected(false);
        f->Fichier_sél->item(1)->setSelected(false);
        f->Fichier_sél->item(3)->setSelected(false);
        f->Fichier_sél_Click();
        QCOMPARE(f->Ligne_message->text(), u"   1 fichier sélectionné, total = 2,000 octets."_s);
    }

    // Un clic dans les résultats compte ; leur remplissage par programme, non.
    void clic_dans_les_resultats() {
        fichiers({1000, 2000});
        charger();
        f->show();
        QApplication::setActiveWindow(f.get());
        QVERIFY(QTest::qWaitForWindowActive(f.get()));
        f->Ligne_message->setText(u"avant"_s);
        f->Fichier_sél->addItems({c->dos(u"doc/f0.txt"_s), c->dos(u"doc/f1.txt"_s)});
        f->Fichier_sél->item(0)->setSelected(true);
        QCOMPARE(f->Ligne_message->text(), u"avant"_s);
        f->Fichier_sél->show();
        f->Fichier_sél->raise();
        const QRect r = f->Fichier_sél->visualItemRect(f->Fichier_sél->item(1));
        QTest::mouseClick(f->Fichier_sél->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(f->Ligne_message->text(), u"   1 fichier sélectionné, total = 2,000 octets."_s);
    }

    // Une sélection nommée au motif refusé n'est pas mémorisée.
    void selection_nommee_refusee() {
        fichiers_de_motifs();
        charger(u"[Sélections]\r\nTextes=*.txt\r\nCassé=*.t/x\r\nVide=\r\n"_s);
        f->Sélection_fichiers->setEditText(u"*.bmp"_s);
        d->repondre(1);
        f->Sélection_fichiers->setCurrentIndex(1);
        emit f->Sélection_fichiers->activated(1);
        QCOMPARE(d->dernier().texte, INVALIDE);
        QCOMPARE(f->motif_mémorisé, u"*.bmp"_s);
        QCOMPARE(f->Fichier_srce->pattern(), u"*.bmp"_s);
        f->Sélection_fichiers_LostFocus();
        QCOMPARE(f->Sélection_fichiers->currentText(), u"*.bmp"_s);
        // Une sélection sans motif vaut "*.*".
        f->Sélection_fichiers->setCurrentIndex(2);
        emit f->Sélection_fichiers->activated(2);
        QCOMPARE(f->Sélection_fichiers->currentText(), u"*.*"_s);
        QCOMPARE(noms(f->Fichier_srce), TOUS);
    }

    // ------------------------------------------------------ sélection globale

    void selection_globale_aller_retour() {
        fichiers({1000, 2000, 500});
        charger();
        choisir({2});
        QVERIFY(f->Sélecte->isEnabled());
        f->Sélecte->click();
        QVERIFY(f->sélection_totale);
        QCOMPARE(etat_commande().commande_courante, u"SELECTE"_s);
        QCOMPARE(f->Sélecte->text(), u"&Sélectionner un"_s);
        const QPalette systeme = QApplication::palette();
        QCOMPARE(f->Fichier_srce->palette().color(QPalette::Base),
                 systeme.color(QPalette::Highlight));
        QCOMPARE(f->Fichier_srce->palette().color(QPalette::Text),
                 systeme.color(QPalette::HighlightedText));
        QVERIFY(f->Fichier_srce->selectedItems().isEmpty());
        QVERIFY(!f->Editer->isEnabled() && !f->Renommer->isEnabled() && !f->Exécuter->isEnabled());
        QCOMPARE(f->Ligne_message->text(), u"   3 fichiers sélectionnés, total = 3,500 octets."_s);

        // Retour : rien n'était choisi, la première entrée le devient.
        f->Sélecte->click();
        QVERIFY(!f->sélection_totale);
        QCOMPARE(f->Sélecte->text(), u"&Sélectionner tout"_s);
        QCOMPARE(f->Fichier_srce->palette().color(QPalette::Base), systeme.color(QPalette::Base));
        QCOMPARE(f->Fichier_srce->palette().color(QPalette::Text), systeme.color(QPalette::Text));
        QVERIFY(f->Sélecte->isEnabled());
        QCOMPARE(f->Ligne_message->text(), u"   1 fichier sélectionné, total = 1,000 octets."_s);
    }

    // Un clic dans la liste quitte la sélection globale avant de compter.
    void clic_pendant_la_selection_globale() {
        fichiers({1000, 2000, 500});
        charger();
        f->Sélecte_Click();
        choisir({1, 2});
        f->Fichier_srce_Click();
        QVERIFY(!f->sélection_totale);
        QCOMPARE(f->Sélecte->text(), u"&Sélectionner tout"_s);
        QCOMPARE(f->Ligne_message->text(), u"   2 fichiers sélectionnés, total = 2,500 octets."_s);
        QCOMPARE(etat_commande().fichier_courant, u"f1.txt"_s);
    }

    // Des milliers de fichiers : leurs tailles, lues par deux fils, comptent
    // toutes. Des fichiers disparus de la seconde moitié comptent pour 0 ;
    // le premier est signalé, une fois, quand le compte vient de l'usager.
    void selection_globale_de_milliers_de_fichiers() {
        constexpr int n = 4200;
        for (int i = 0; i < n; ++i)
            c->creer_fichier(u"doc/m%1.dat"_s.arg(i, 4, 10, QChar(u'0')), QByteArray(i % 5, 'x'));
        charger();
        f->Sélecte_Click();
        QCOMPARE(f->Ligne_message->text(),
                 u"   4200 fichiers sélectionnés, total = 8,400 octets."_s);
        QVERIFY(QFile::remove(c->hote(u"doc/m4198.dat"_s)));
        QVERIFY(QFile::remove(c->hote(u"doc/m4199.dat"_s)));
        f->Fichier_srce->setSelected(1, true);
        QCOMPARE(f->Ligne_message->text(),
                 u"   4200 fichiers sélectionnés, total = 8,393 octets."_s);
        QCOMPARE(d->questions().size(), 0);
        f->Sélecte_Click();
        d->repondre(1);
        f->Sélecte_Click();
        QCOMPARE(d->questions().size(), 1);
        QVERIFY(d->dernier().texte.contains(u" m4198.dat "_s));
        QCOMPARE(f->Ligne_message->text(),
                 u"   4200 fichiers sélectionnés, total = 8,393 octets."_s);
    }

    void selection_globale_de_plusieurs_gio() {
        fichiers({5LL << 30, 1});
        charger();
        f->Sélecte_Click();
        QCOMPARE(f->taille_sélectionnée, (5LL << 30) + 1);
        QCOMPARE(f->Ligne_message->text(),
                 u"   2 fichiers sélectionnés, total = 5,368,709,121 octets."_s);
    }

    void selection_globale_repertoire_vide() {
        charger();
        QVERIFY(!f->Sélecte->isEnabled());
        f->Sélecte_Click();
        QVERIFY(f->sélection_totale);
        QVERIFY(f->Ligne_message->text().isEmpty());
        f->Sélecte->setEnabled(true);
        f->Ligne_message->setText(u"avant"_s);
        f->Sélecte_Click();
        QVERIFY(!f->sélection_totale);
        QVERIFY(!f->Sélecte->isEnabled());
        QVERIFY(etat_commande().fichier_courant.isEmpty());
        QVERIFY(f->Ligne_message->text().isEmpty());
    }

    // La sélection globale ne survit pas à un répertoire vide : la liste
    // suivante ne compte que ce qui y paraît choisi.
    void selection_globale_par_un_repertoire_vide() {
        fichiers({1000, 2000, 500});
        c->creer_repertoire(u"vide"_s);
        c->creer_fichier(u"plein/p1.txt"_s, QByteArray(10, 'p'));
        c->creer_fichier(u"plein/p2.txt"_s, QByteArray(20, 'p'));
        charger();
        f->Sélecte->click();
        QVERIFY(f->sélection_totale);
        f->Répertoire_srce->setPath(c->dos(u"vide"_s));
        QVERIFY(!f->sélection_totale);
        QCOMPARE(f->Sélecte->text(), u"&Sélectionner tout"_s);
        QVERIFY(!f->Sélecte->isEnabled());
        QVERIFY(f->Editer->isEnabled() && f->Renommer->isEnabled() && f->Exécuter->isEnabled());
        f->Répertoire_srce->setPath(c->dos(u"plein"_s));
        QVERIFY(!f->sélection_totale);
        QVERIFY(f->Sélecte->isEnabled());
        QCOMPARE(f->Fichier_srce->palette().color(QPalette::Base),
                 QApplication::palette().color(QPalette::Base));
        QCOMPARE(f->Ligne_message->text(), u"   1 fichier sélectionné, total = 10 octets."_s);
    }

    void pathchange_data() {
        QTest::addColumn<int>("nombre");
        QTest::addColumn<bool>("repertoires");
        QTest::addColumn<bool>("active");
        QTest::newRow("fichiers") << 2 << false << true;
        QTest::newRow("vide") << 0 << false << false;
        QTest::newRow("mode répertoire") << 2 << true << false;
    }
    void pathchange() {
        QFETCH(int, nombre);
        QFETCH(bool, repertoires);
        QFETCH(bool, active);
        fichiers(QList<qint64>(nombre, 1));
        charger();
        f->Sélecte->setEnabled(!active);
        f->Ligne_message->setText(u"avant"_s);
        etat_commande().mode_répertoire = repertoires;
        f->Fichier_srce_PathChange();
        QCOMPARE(f->Sélecte->isEnabled(), active);
        QCOMPARE(f->Ligne_message->text().isEmpty(), !active);
    }

    // ----------------------------------------------------------------- motifs

    void motifs_data() {
        QTest::addColumn<QString>("motif");
        QTest::addColumn<QStringList>("source");
        QTest::addColumn<QString>("applique"); // motif des deux listes ensuite
        QTest::addColumn<bool>("refuse");
        const QStringList txt{u"a.txt"_s, u"b.txt"_s};
        QTest::newRow("*.txt") << u"*.txt"_s << txt << u"*.txt"_s << false;
        QTest::newRow("deux motifs")
            << u"*.TXT;*.bmp"_s << (txt + QStringList{u"c.bmp"_s}) << u"*.TXT;*.bmp"_s << false;
        QTest::newRow("point-virgule final") << u"*.txt;"_s << txt << u"*.txt;"_s << false;
        QTest::newRow("crochet seul") << u"["_s << QStringList{} << u"["_s << false;
        QTest::newRow("?.doc") << u"?.doc"_s << QStringList{u"e.doc"_s} << u"?.doc"_s << false;
        QTest::newRow("vide") << QString() << TOUS << u"*.*"_s << false;
        QTest::newRow("deux-points") << u"a:b"_s << TOUS << u"*.*"_s << true;
        QTest::newRow("chevron") << u"<*"_s << TOUS << u"*.*"_s << true;
    }
    void motifs() {
        QFETCH(QString, motif);
        QFETCH(QStringList, source);
        QFETCH(QString, applique);
        QFETCH(bool, refuse);
        fichiers_de_motifs();
        charger();
        if (refuse)
            d->repondre(1);
        focus(f->Sélection_fichiers, QEvent::FocusIn, Qt::TabFocusReason);
        f->Sélection_fichiers->setEditText(motif);
        QCOMPARE(noms(f->Fichier_srce), source);
        QCOMPARE(f->Fichier_srce->pattern(), applique);
        QCOMPARE(f->Fichier_dest->pattern(), applique);
        QCOMPARE(f->motif_mémorisé, applique);
        if (refuse) {
            QCOMPARE(d->dernier().texte, INVALIDE);
            QCOMPARE(d->dernier().style, 48);
        }
        // Quitter le champ : le motif refusé disparaît, le champ vidé montre "*.*".
        focus(f->Sélection_fichiers, QEvent::FocusOut, Qt::TabFocusReason);
        QCOMPARE(f->Sélection_fichiers->currentText(), applique);
        QCOMPARE(noms(f->Fichier_srce), source);
    }

    // Ni l'ouverture de la liste ni une boîte de message ne valent « quitter le champ ».
    void focus_sans_changement_de_champ() {
        fichiers_de_motifs();
        charger();
        f->Sélection_fichiers->setEditText(u"*.txt"_s);
        d->repondre(1);
        f->Sélection_fichiers->setEditText(u"*.t|"_s);
        focus(f->Sélection_fichiers, QEvent::FocusOut, Qt::PopupFocusReason);
        focus(f->Sélection_fichiers, QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QCOMPARE(f->Sélection_fichiers->currentText(), u"*.t|"_s);
        QCOMPARE(f->motif_mémorisé, u"*.txt"_s);
        focus(f->Sélection_fichiers, QEvent::FocusOut, Qt::MouseFocusReason);
        QCOMPARE(f->Sélection_fichiers->currentText(), u"*.txt"_s);
    }

    // Saisie réelle dans le champ, puis passage à la liste SOURCE.
    void saisie_puis_depart_du_champ() {
        fichiers_de_motifs();
        charger();
        f->show();
        QApplication::setActiveWindow(f.get());
        QVERIFY(QTest::qWaitForWindowActive(f.get()));
        f->Sélection_fichiers->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(f->Sélection_fichiers->hasFocus());
        f->Sélection_fichiers->lineEdit()->selectAll();
        QTest::keyClicks(f->Sélection_fichiers, u"*.gif"_s);
        QCOMPARE(noms(f->Fichier_srce), QStringList{u"d.gif"_s});
        d->repondre(1);
        QTest::keyClick(f->Sélection_fichiers, Qt::Key_Bar);
        QCOMPARE(d->dernier().texte, INVALIDE);
        QCOMPARE(f->Sélection_fichiers->currentText(), u"*.gif|"_s);
        f->Fichier_srce->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(f->Sélection_fichiers->currentText(), u"*.gif"_s);
        QCOMPARE(noms(f->Fichier_dest), QStringList{});
    }

    // Le champ vidé au clavier reste vide tant qu'on y tape ; "*.*" y revient au départ.
    void champ_vide_pendant_la_saisie() {
        fichiers_de_motifs();
        charger();
        f->show();
        QApplication::setActiveWindow(f.get());
        QVERIFY(QTest::qWaitForWindowActive(f.get()));
        f->Sélection_fichiers->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(f->Sélection_fichiers->hasFocus());
        f->Sélection_fichiers->setEditText(u"*.doc"_s);
        f->Sélection_fichiers->lineEdit()->selectAll();
        QTest::keyClick(f->Sélection_fichiers, Qt::Key_Backspace);
        QCOMPARE(f->Sélection_fichiers->currentText(), QString());
        QCOMPARE(noms(f->Fichier_srce), TOUS);
        QCOMPARE(f->Fichier_dest->pattern(), u"*.*"_s);
        QTest::keyClicks(f->Sélection_fichiers, u"b*"_s);
        QCOMPARE(noms(f->Fichier_srce), QStringList{u"b.txt"_s});
        f->Sélection_fichiers->clearEditText();
        f->Fichier_srce->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(f->Sélection_fichiers->currentText(), u"*.*"_s);
    }

    void frappe_vide_la_ligne_etat() {
        charger();
        f->Ligne_message->setText(u"   1 fichier sélectionné, total = 3 octets."_s);
        QTest::keyClick(f->Sélection_fichiers, Qt::Key_Left);
        QVERIFY(f->Ligne_message->text().isEmpty());
    }

    void selections_nommees_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("motif");
        QTest::addColumn<QStringList>("source");
        QTest::addColumn<QStringList>("destination");
        QTest::newRow("Textes") << 0 << u"*.txt"_s << QStringList{u"a.txt"_s, u"b.txt"_s}
                                << QStringList{u"x.txt"_s};
        QTest::newRow("Images") << 1 << u"*.bmp;*.gif"_s << QStringList{u"c.bmp"_s, u"d.gif"_s}
                                << QStringList{u"y.bmp"_s};
        // Un nom qui n'est pas un motif valable n'est jamais appliqué comme tel.
        QTest::newRow("nom à deux-points")
            << 2 << u"*.doc"_s << QStringList{u"e.doc"_s} << QStringList{};
    }
    void selections_nommees() {
        QFETCH(int, index);
        QFETCH(QString, motif);
        QFETCH(QStringList, source);
        QFETCH(QStringList, destination);
        fichiers_de_motifs();
        charger(u"[Sélections]\r\nTextes=*.txt\r\nImages=*.bmp;*.gif\r\nDocs: Word=*.doc\r\n"_s);
        QCOMPARE(f->Liste_sel.size(), 3);
        f->Ligne_message->setText(u"avant"_s);
        f->Sélection_fichiers->setCurrentIndex(index);
        emit f->Sélection_fichiers->activated(index);
        QCOMPARE(f->Sélection_fichiers->currentText(), motif);
        QCOMPARE(f->motif_mémorisé, motif);
        QCOMPARE(noms(f->Fichier_srce), source);
        QCOMPARE(noms(f->Fichier_dest), destination);
        QVERIFY(f->Ligne_message->text().isEmpty());
        QVERIFY(d->questions().isEmpty());
    }

    // Choix au clavier dans le champ : flèche vers le bas.
    void selection_nommee_au_clavier() {
        fichiers_de_motifs();
        charger(u"[Sélections]\r\nTextes=*.txt\r\nImages=*.bmp;*.gif\r\n"_s);
        QCOMPARE(f->Sélection_fichiers->currentIndex(), 0);
        QTest::keyClick(f->Sélection_fichiers, Qt::Key_Down);
        QCOMPARE(f->Sélection_fichiers->currentText(), u"*.bmp;*.gif"_s);
        QCOMPARE(noms(f->Fichier_srce), (QStringList{u"c.bmp"_s, u"d.gif"_s}));
    }

    void marqueur_data() {
        QTest::addColumn<int>("marqueur");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<bool>("selecte"); // Sélecte actif ensuite
        QTest::newRow("SOURCE") << 1 << u"*.txt"_s << u"*.txt"_s << u"*.*"_s << true;
        QTest::newRow("SOURCE, point") << 1 << u"."_s << u"."_s << u"*.*"_s << true;
        QTest::newRow("SOURCE, rien") << 1 << u"*.zzz"_s << u"*.zzz"_s << u"*.*"_s << false;
        QTest::newRow("DESTINATION") << 2 << u"*.bmp"_s << u"*.*"_s << u"*.bmp"_s << true;
    }
    void marqueur() {
        QFETCH(int, marqueur);
        QFETCH(QString, texte);
        QFETCH(QString, source);
        QFETCH(QString, destination);
        QFETCH(bool, selecte);
        fichiers_de_motifs();
        charger();
        QVERIFY(f->Sélecte->isEnabled());
        f->marqueur_changement_répertoire = marqueur;
        f->Sélection_fichiers->setEditText(texte);
        f->marqueur_changement_répertoire = 0;
        QCOMPARE(f->Fichier_srce->pattern(), source);
        QCOMPARE(f->Fichier_dest->pattern(), destination);
        QCOMPARE(f->motif_mémorisé, u"*.*"_s);
        QCOMPARE(f->Sélecte->isEnabled(), selecte);
    }

    // ----------------------------------------------------------- espace libre

    void espace_libre_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<qint64>("octets");
        QTest::addColumn<QString>("texte");
        const QLocale fr(QLocale::French, QLocale::France);
        QTest::newRow("1 536 000")
            << QLocale(QLocale::English) << qint64(1536000) << u"1,536 Ko libres "_s;
        QTest::newRow("1 536 000, français")
            << fr << qint64(1536000) << u"1"_s + fr.groupSeparator() + u"536 Ko libres "_s;
        QTest::newRow("moins de mille")
            << QLocale(QLocale::English) << qint64(999) << u"0 Ko libres "_s;
        QTest::newRow("dix To") << QLocale(QLocale::English) << qint64(10'000'000'000'000)
                                << u"10,000,000,000 Ko libres "_s;
    }
    void espace_libre() {
        QFETCH(QLocale, locale);
        QFETCH(qint64, octets);
        QFETCH(QString, texte);
        charger();
        QLocale::setDefault(locale);
        QString racine;
        f->espace_libre_de = [&racine, octets](const QString& r) {
            racine = r;
            return octets;
        };
        f->Afficher_espace_libre();
        // Mesuré là où iront les fichiers : le répertoire DESTINATION montré.
        QCOMPARE(racine.toUpper(), c->dos(u"dest"_s).toUpper());
        QCOMPARE(f->Espace_libre->text(), texte);
    }

    // Un répertoire de l'unité sur un autre système de fichiers (lien vers
    // /dev/shm) : c'est sa place libre qui s'affiche, pas celle de la racine.
    void espace_libre_du_repertoire_montre() {
        QTemporaryDir shm(u"/dev/shm/kaldron-XXXXXX"_s);
        struct statvfs sv_shm {};
        struct statvfs sv_racine {};
        if (!shm.isValid() || ::statvfs(QFile::encodeName(shm.path()).constData(), &sv_shm) != 0 ||
            ::statvfs(QFile::encodeName(c->hote(u""_s)).constData(), &sv_racine) != 0)
            QSKIP("/dev/shm indisponible");
        const qint64 libre_shm = qint64(sv_shm.f_bavail) * qint64(sv_shm.f_frsize);
        const qint64 libre_racine = qint64(sv_racine.f_bavail) * qint64(sv_racine.f_frsize);
        // Marge large : d'autres programmes écrivent pendant l'essai.
        constexpr qint64 marge = qint64(1) << 30;
        if (qAbs(libre_shm - libre_racine) < 2 * marge)
            QSKIP("les deux systèmes de fichiers ont presque la même place libre");
        QVERIFY(QFile::link(shm.path(), c->hote(u"shm"_s)));
        charger();
        f->Répertoire_dest->setPath(c->dos(u"shm"_s));
        f->Afficher_espace_libre();
        QString chiffres = f->Espace_libre->text();
        chiffres.removeIf([](QChar ch) { return !ch.isDigit(); });
        const qint64 affiche = chiffres.toLongLong() * 1000;
        QVERIFY2(qAbs(affiche - libre_shm) < marge,
                 qPrintable(u"%1 affichés, %2 libres sur /dev/shm"_s.arg(affiche).arg(libre_shm)));
    }

    // Un vrai petit système de fichiers sur l'unité DESTINATION (root seulement).
    void espace_libre_d_un_vrai_disque() {
        essai::UniteTemporaire unite_d(u'D');
        Montage tmpfs(unite_d.hote(QString()), "size=1536000");
        if (!tmpfs.monte)
            QSKIP("montage tmpfs impossible ici (root requis)");
        charger();
        f->Unité_dest->setDrive(u"D:"_s);
        f->Afficher_espace_libre();
        QCOMPARE(f->Espace_libre->text(), u"1,536 Ko libres "_s);
        f->Unité_dest->setDrive(u"C:"_s);
    }

    // ---------------------------------------------------------------- Suppr

    void touche_suppr_data() {
        QTest::addColumn<bool>("resultats"); // Fichier_sél plutôt que Fichier_srce
        QTest::addColumn<bool>("effacer_actif");
        QTest::addColumn<int>("appels");
        QTest::newRow("SOURCE, EFFACER absent") << false << false << 0;
        QTest::newRow("SOURCE, EFFACER actif") << false << true << 1;
        QTest::newRow("résultats, EFFACER absent") << true << false << 0;
        QTest::newRow("résultats, EFFACER actif") << true << true << 1;
    }
    void touche_suppr() {
        QFETCH(bool, resultats);
        QFETCH(bool, effacer_actif);
        QFETCH(int, appels);
        fichiers({1});
        charger();
        int clics = 0;
        // Seul le branchement de la touche compte ici : EFFACER a ses propres essais.
        QObject::disconnect(f->Effacer, &QPushButton::clicked, nullptr, nullptr);
        QObject::connect(f->Effacer, &QPushButton::clicked, f.get(), [&clics] { ++clics; });
        f->Effacer->setEnabled(effacer_actif);
        QWidget* liste = resultats ? static_cast<QWidget*>(f->Fichier_sél) : f->Fichier_srce;
        QTest::keyClick(liste, Qt::Key_Delete);
        QTest::keyClick(liste, Qt::Key_A);
        QCOMPARE(clics, appels);
        QVERIFY(QFile::exists(c->hote(u"doc/f0.txt"_s)));
    }
};

QTEST_MAIN(TestSelection)
#include "test_selection.moc"
