// Fenêtre de document : affichages selon le type, bascule de format,
// enregistrement octet pour octet, édition, impression, programme associé.
#include "platform/dialogues.h"
#include "platform/profil.h"
#include "support/dialogues_scriptes.h"
#include "support/unite_temporaire.h"
#include "viewer/core/dbase.h"
#include "viewer/core/vidage.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/programme_associe.h"
#include "viewer/ui/recherche_dialogue.h"
#include "viewer/ui/texte_editeur.h"
#include "viewer/ui/vue_table.h"
#include "viewer/ui/vue_vidage.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

enum class Vue { Texte, Vidage, Table, Image };

Vue vue_de(const Fenêtre& f) {
    if (!f.Dump->isHidden())
        return Vue::Vidage;
    if (!f.Grille1->isHidden())
        return Vue::Table;
    if (!f.cadre_image->isHidden())
        return Vue::Image;
    return Vue::Texte;
}

QByteArray image_bmp(int largeur, int hauteur, const char* format = "BMP") {
    QImage image(largeur, hauteur, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray octets;
    QBuffer tampon(&octets);
    tampon.open(QIODevice::WriteOnly);
    image.save(&tampon, format);
    return octets;
}

// Petite table dBase : un champ C de 5 octets, deux enregistrements.
QByteArray table_dbase() {
    QByteArray t(32, '\0');
    t[0] = 3;
    t[10] = 6; // longueur d'enregistrement : drapeau + 5
    QByteArray champ(32, '\0');
    champ.replace(0, 3, "NOM");
    champ[11] = 'C';
    champ[16] = 5;
    return t + champ + "\r" + " Alice" + "*Effac" + " Bob  " + "\x1a";
}

} // namespace

class TestFenetre : public QObject {
    Q_OBJECT

    std::unique_ptr<essai::UniteTemporaire> c;
    std::unique_ptr<essai::DialoguesScriptes> d;
    std::unique_ptr<Editeur> e;

    Editeur& demarrer() {
        e = std::make_unique<Editeur>();
        e->MDIForm_Load();
        return *e;
    }
    // Ouvre un fichier de l'unité créé avec ce contenu ; rend sa fenêtre.
    Fenêtre* ouvrir(const QString& nom, const QByteArray& contenu, const QString& type = {}) {
        c->creer_fichier(nom, contenu);
        if (!e)
            demarrer();
        e->Charger_fichier(c->dos(nom), type);
        return e->Echec_chargement ? nullptr : e->fenetre_active();
    }
    // « Enregistrer sous » vers un fichier de l'unité ; rend son contenu.
    QByteArray enregistrer_sous(Fenêtre* f, const QString& nom) {
        d->repondre_fichier(c->hote(nom));
        f->mnuFSaveAs->trigger();
        return c->contenu(nom);
    }
    void placer_curseur(Fenêtre* f, int debut, int fin) {
        QTextCursor curseur = f->Text1->textCursor();
        curseur.setPosition(debut);
        curseur.setPosition(fin, QTextCursor::KeepAnchor);
        f->Text1->setTextCursor(curseur);
    }
    // Le cadre devient la fenêtre active : les touches des menus n'agissent que là.
    bool cadre_actif() {
        e->activateWindow();
        return QTest::qWaitForWindowActive(e.get());
    }
    // Touche pressée là où est le focus (le texte du document actif, le plus souvent).
    void touche(QKeyCombination k) {
        QWidget* cible = QApplication::focusWidget() ? QApplication::focusWidget() : e.get();
        QTest::keyClick(cible, k.key(), k.keyboardModifiers());
    }
    QStringList liste_documents(Fenêtre* f) {
        emit f->mnuWindow->aboutToShow();
        QStringList textes;
        for (QAction* a : std::as_const(f->mnuWDocuments))
            textes << (a->isChecked() ? u"* "_s : QString()) + a->text();
        return textes;
    }
    QPair<int, int> selection(const Fenêtre* f) {
        const QTextCursor curseur = f->Text1->textCursor();
        return {curseur.selectionStart(), curseur.selectionEnd()};
    }

private slots:
    void init() {
        c = std::make_unique<essai::UniteTemporaire>();
        c->creer_repertoire(u"morvine"_s);
        qputenv("KALDRON_PROGRAMME", c->hote(u"morvine"_s).toUtf8());
        d = std::make_unique<essai::DialoguesScriptes>();
    }
    void cleanup() {
        QVERIFY(d->verifier());
        e.reset();
        d.reset();
        c.reset();
        qunsetenv("KALDRON_PROGRAMME");
        qunsetenv("KALDRON_IMPRESSION_PDF");
    }

    // ---- Affichage selon le type ----

    void affichage_selon_le_type_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("vue");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<int>("image");
        QTest::newRow("texte") << u"A.TXT"_s << QByteArray("abc\r\n") << QString()
                               << int(Vue::Texte) << true << 0;
        QTest::newRow("ini en minuscules")
            << u"a.ini"_s << QByteArray("[x]\r\n") << QString() << int(Vue::Texte) << true << 0;
        QTest::newRow("sans extension")
            << u"NOTES"_s << QByteArray("abc") << QString() << int(Vue::Texte) << true << 0;
        QTest::newRow("exe forcé en texte")
            << u"P.EXE"_s << QByteArray("MZ\x90") << u"TXT"_s << int(Vue::Texte) << true << 0;
        QTest::newRow("texte forcé en vidage")
            << u"A.TXT"_s << QByteArray("abc") << u"XXX"_s << int(Vue::Vidage) << false << 0;
        QTest::newRow("table dBase")
            << u"T.DBF"_s << table_dbase() << QString() << int(Vue::Table) << false << 0;
        QTest::newRow("document Word")
            << u"W.DOC"_s << QByteArray(400, 'w') << QString() << int(Vue::Texte) << false << 0;
        QTest::newRow("image") << u"P.BMP"_s << image_bmp(30, 20) << QString() << int(Vue::Image)
                               << false << 2;
        QTest::newRow("icône") << u"I.ICO"_s << QByteArray("pas une icône") << QString()
                               << int(Vue::Image) << false << 1;
        QTest::newRow("métafichier illisible") << u"M.WMF"_s << QByteArray("\xd7\xcd\xc6\x9a")
                                               << QString() << int(Vue::Image) << false << 2;
        // Hors de la table : le contenu décide.
        QTest::newRow("CSV") << u"C.CSV"_s << QByteArray("a;b\r\n1;2\r\n") << QString()
                             << int(Vue::Texte) << true << 0;
        QTest::newRow("README en UTF-8") << u"README"_s << QByteArray("Tr\xc3\xa8s bien\n")
                                         << QString() << int(Vue::Texte) << true << 0;
        QTest::newRow("texte 1252 en .conf") << u"a.conf"_s << QByteArray("cl\xe9=\x80 1\r\n")
                                             << QString() << int(Vue::Texte) << true << 0;
        QTest::newRow("contrôle binaire")
            << u"NOTES"_s << QByteArray("ab\x01") << QString() << int(Vue::Vidage) << false << 0;
        QTest::newRow("octet non attribué, pas UTF-8")
            << u"X.DAT"_s << QByteArray("a\x81") << QString() << int(Vue::Vidage) << false << 0;
        QTest::newRow("vide sans extension")
            << u"VIDE"_s << QByteArray() << QString() << int(Vue::Vidage) << false << 0;
        QTest::newRow("PNG") << u"P.PNG"_s << image_bmp(30, 20, "PNG") << QString()
                             << int(Vue::Image) << false << 2;
        QTest::newRow("PNG sans extension")
            << u"PHOTO"_s << image_bmp(30, 20, "PNG") << QString() << int(Vue::Image) << false << 2;
        QTest::newRow("PNG forcé en vidage")
            << u"P.PNG"_s << image_bmp(30, 20, "PNG") << u"XXX"_s << int(Vue::Vidage) << false << 0;
    }
    void affichage_selon_le_type() {
        QFETCH(QString, nom);
        QFETCH(QByteArray, contenu);
        QFETCH(QString, type);
        QFETCH(int, vue);
        QFETCH(bool, editable);
        QFETCH(int, image);
        Fenêtre* f = ouvrir(nom, contenu, type);
        QVERIFY(f);
        QCOMPARE(int(vue_de(*f)), vue);
        QCOMPARE(f->etat().texte_editable, editable);
        QCOMPARE(f->etat().image, image);
        QCOMPARE(f->enregistrable(), editable);
        QCOMPARE(f->legende(), c->dos(nom).toUpper());
        QVERIFY(!f->etat().modifie);
        QCOMPARE(f->mnuSearch->menuAction()->isEnabled(), editable);
    }

    void vidage_montre_par_le_modele() {
        QByteArray octets(17, 'A');
        octets[0] = '\0';
        octets[16] = ',';
        Fenêtre* f = ouvrir(u"DIX-SEPT.BIN"_s, octets);
        QCOMPARE(f->Dump->model()->rowCount(), 2);
        const QString ligne = f->Dump->model()->index(1, 0).data().toString();
        QVERIFY2(ligne.startsWith(u"00010: 2C "_s), qPrintable(ligne));
        QCOMPARE(f->mnuEFormat->text(), u"&Format texte"_s);
        QVERIFY(!f->mnuECopy->isEnabled());
        QVERIFY(f->mnuEdit->menuAction()->isEnabled());
        QCOMPARE(ouvrir(u"VIDE.DAT"_s, {})->Dump->model()->rowCount(), 0);
    }

    // Un fichier creux de 1 Gio plus 5 octets : la fenêtre se montre sans
    // attendre son fichier de vidage, ctrl+Fin mène à la dernière ligne (de
    // 5 octets, décalage de 8 chiffres) et la montre.
    void vidage_de_1_gio_jusqu_a_la_fin() {
        c->creer_fichier(u"CREUX.BIN"_s, {});
        QFile creux(c->hote(u"CREUX.BIN"_s));
        constexpr qint64 taille = (qint64(1) << 30) + 5;
        QVERIFY(creux.open(QIODevice::ReadWrite) && creux.resize(taille));
        QVERIFY(creux.seek(taille - 5) && creux.write("fin,!") == 5);
        creux.close();
        demarrer();
        e->Charger_fichier(c->dos(u"CREUX.BIN"_s), {});
        Fenêtre* f = e->fenetre_active();
        QVERIFY(f && !e->Echec_chargement);
        morvine::VueVidage* v = f->Dump;
        QCOMPARE(v->model()->rowCount(), int((taille + 15) / 16));
        QTRY_VERIFY(v->isVisible());
        v->setFocus();
        QTest::keyClick(v, Qt::Key_End, Qt::ControlModifier);
        const int derniere = v->model()->rowCount() - 1;
        QCOMPARE(v->currentIndex().row(), derniere);
        const QString attendu =
            u"40000000: 66 69 6E 2C 21 "_s.leftJustified(57, u' ') + u" fin.! "_s;
        QCOMPARE(v->currentIndex().data().toString(), attendu);
        // La dernière ligne est dans la vue, en bas, entière.
        const QRect zone = v->visualRect(v->currentIndex());
        QVERIFY(v->viewport()->rect().contains(zone.topLeft()));
        QVERIFY(zone.bottom() <= v->viewport()->rect().bottom());
        QCOMPARE(v->verticalScrollBar()->value(), v->verticalScrollBar()->maximum());
        QCOMPARE(v->indexAt(zone.center()), v->currentIndex());
        // Ctrl+Début, puis un clic sur la troisième ligne la choisit.
        QTest::keyClick(v, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(v->premiere_ligne(), 0);
        const QRect troisieme = v->visualRect(v->model()->index(2, 0));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, troisieme.center());
        QCOMPARE(v->currentIndex().row(), 2);
        QVERIFY(v->selectionModel()->isSelected(v->model()->index(2, 0)));
        // La frappe cherche la ligne suivante qui commence par le texte tapé,
        // sans parcourir les 67 millions de lignes quand rien n'y répond.
        QTest::keyClick(v, Qt::Key_0);
        QCOMPARE(v->currentIndex().row(), 3);
        QTest::keyClick(v, Qt::Key_Z);
        QCOMPARE(v->currentIndex().row(), 3);
        QTest::keyClick(v, Qt::Key_PageDown);
        QVERIFY(v->currentIndex().row() > 2 + 1);
        QVERIFY(f->sous_fenetre()->close());
    }

    // Une grande table : les lignes lues à la demande gardent leur numéro
    // malgré les supprimées, et la colonne s'élargit pour une cellule large
    // quand elle vient à l'écran.
    void grande_table_lue_a_la_demande() {
        constexpr int fiches = 5000;
        QByteArray t(32, '\0');
        t[0] = 3;
        t[10] = 1 + 40;
        QByteArray champ(32, '\0');
        champ.replace(0, 3, "NOM");
        champ[11] = 'C';
        champ[16] = 40;
        t += champ + '\r';
        for (int n = 0; n < fiches; ++n) {
            const QByteArray texte =
                n == fiches - 2 ? QByteArray(40, 'W') : "n" + QByteArray::number(n);
            t += (n % 3 == 1 ? '*' : ' ') + texte.leftJustified(40);
        }
        Fenêtre* f = ouvrir(u"MILLE.DBF"_s, t + "\x1a");
        morvine::VueTable* g = f->Grille1;
        const QAbstractItemModel* m = g->model();
        const int lignes = fiches - (fiches + 1) / 3;
        QCOMPARE(m->rowCount(), lignes);
        QCOMPARE(m->headerData(lignes - 1, Qt::Vertical).toString(), QString::number(lignes));
        QCOMPARE(m->index(1, 0).data().toString().trimmed(), u"n2"_s);
        QCOMPARE(m->index(3000, 0).data().toString().trimmed(), u"n4500"_s);
        QCOMPARE(m->index(lignes - 1, 0).data().toString(), QString(40, u'W'));
        const int large = QFontMetrics(f->font()).horizontalAdvance(QString(40, u'W'));
        QVERIFY(g->columnWidth(0) < large);
        f->sous_fenetre()->resize(400, 300);
        QTRY_VERIFY(g->isVisible());
        // Rien n'est gardé par ligne : l'en-tête des numéros n'a qu'une
        // section par ligne montrée ; il est large comme le dernier numéro,
        // même quand il ne le montre pas.
        const int montrees = g->viewport()->height() / g->rowHeight() + 1;
        QVERIFY2(g->numeros()->count() <= montrees,
                 qPrintable(QString::number(g->numeros()->count())));
        const int largeur_numeros = g->numeros()->width();
        QVERIFY(largeur_numeros >=
                g->numeros()->fontMetrics().horizontalAdvance(QString::number(lignes)));
        g->scrollToBottom();
        QTRY_VERIFY(g->columnWidth(0) >= large);
        QVERIFY(g->numeros()->count() <= montrees);
        // Sans saut quand la grille défile.
        QCOMPARE(g->numeros()->width(), largeur_numeros);
        const QRect derniere = g->visualRect(m->index(lignes - 1, 0));
        QVERIFY(derniere.top() >= 0 && derniere.bottom() < g->viewport()->height());
        QCOMPARE(g->numeros()->ligne_a(derniere.center().y()), lignes - 1);
    }

    void table_dbase_et_largeurs() {
        Fenêtre* f = ouvrir(u"T.DBF"_s, table_dbase());
        const QAbstractItemModel* m = f->Grille1->model();
        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(m->columnCount(), 1);
        QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), u"NOM"_s);
        QCOMPARE(m->headerData(0, Qt::Vertical).toString(), u"1"_s);
        QCOMPARE(m->headerData(1, Qt::Vertical).toString(), u"2"_s);
        QCOMPARE(m->index(1, 0).data().toString(), u"Bob  "_s);
        const QFontMetrics mesure(f->font());
        QVERIFY(f->Grille1->columnWidth(0) >= mesure.horizontalAdvance(u"Alice"_s));
        QVERIFY(!f->mnuEdit->menuAction()->isEnabled());
    }

    // Noms des champs et numéros de ligne restent à l'écran quand la table
    // défile vers le bas et vers la droite.
    void table_dbase_en_tetes_fixes() {
        constexpr int champs = 12, fiches = 80;
        QByteArray t(32, '\0');
        t[0] = 3;
        t[10] = char(1 + champs * 10);
        for (int k = 1; k <= champs; ++k) {
            QByteArray d(32, '\0');
            const QByteArray nom = "CHAMP" + QByteArray::number(k);
            d.replace(0, nom.size(), nom);
            d[11] = 'C';
            d[16] = 10;
            t += d;
        }
        t += '\r';
        for (int n = 1; n <= fiches; ++n)
            t += ' ' + ("valeur " + QByteArray::number(n)).leftJustified(10).repeated(champs);
        Fenêtre* f = ouvrir(u"GRANDE.DBF"_s, t + "\x1a");
        morvine::VueTable* g = f->Grille1;
        f->sous_fenetre()->resize(400, 300);
        QTRY_VERIFY(g->isVisible());
        g->scrollTo(g->model()->index(fiches - 1, champs - 1));
        QTRY_VERIFY(g->rowAt(0) > 0 && g->columnAt(0) > 0);
        QVERIFY(g->horizontalHeader()->isVisible());
        QVERIFY(g->numeros()->isVisible());
        // Les en-têtes suivent les données : ce qu'ils montrent est ce qui est
        // montré dessous, à la même hauteur.
        QCOMPARE(g->horizontalHeader()->logicalIndexAt(0), g->columnAt(0));
        const int premiere = g->numeros()->ligne_a(0);
        QCOMPARE(premiere, g->rowAt(0));
        const QHeaderView* numeros = g->numeros();
        for (int y : {0, g->rowHeight() * 3 + 1}) {
            const int section = numeros->logicalIndexAt(y);
            const int ligne = g->rowAt(y);
            QCOMPARE(numeros->model()->headerData(section, Qt::Vertical).toString(),
                     QString::number(ligne + 1));
            const QRect cellule = g->visualRect(g->model()->index(ligne, g->columnAt(0)));
            QCOMPARE(numeros->mapTo(f, QPoint(0, numeros->sectionViewportPosition(section))).y(),
                     g->viewport()->mapTo(f, cellule.topLeft()).y());
        }
        QCOMPARE(g->model()->headerData(premiere, Qt::Vertical).toString(),
                 QString::number(premiere + 1));
    }

    // Menée au clavier et à la souris comme une grille ordinaire : flèches,
    // pages, Ctrl+Fin et Ctrl+Origine, Tab qui passe à la ligne suivante ;
    // un clic sur un numéro choisit la ligne (son numéro en gras), sur un
    // nom la colonne ; un clic sur une cellule la rend courante.
    void table_dbase_clavier_et_clics() {
        constexpr int champs = 12, fiches = 300;
        QByteArray t(32, '\0');
        t[0] = 3;
        t[10] = char(1 + champs * 12);
        for (int k = 1; k <= champs; ++k) {
            QByteArray d(32, '\0');
            const QByteArray nom = "C" + QByteArray::number(k);
            d.replace(0, nom.size(), nom);
            d[11] = 'C';
            d[16] = 12;
            t += d;
        }
        t += '\r';
        for (int n = 0; n < fiches; ++n) {
            for (int k = 0; k < champs; ++k)
                t += (k == 0 ? " " : "") +
                     ("v" + QByteArray::number(n) + "_" + QByteArray::number(k)).leftJustified(12);
        }
        Fenêtre* f = ouvrir(u"CLAVIER.DBF"_s, t + "\x1a");
        morvine::VueTable* g = f->Grille1;
        f->sous_fenetre()->resize(400, 300);
        QTRY_VERIFY(g->isVisible());
        g->setFocus();
        const auto courant = [g] {
            return std::pair(g->currentIndex().row(), g->currentIndex().column());
        };
        g->setCurrentIndex(g->model()->index(0, 0));
        QTest::keyClick(g, Qt::Key_Down);
        QTest::keyClick(g, Qt::Key_Right);
        QCOMPARE(courant(), std::pair(1, 1));
        QCOMPARE(g->currentIndex().data().toString().trimmed(), u"v1_1"_s);
        const int page = g->viewport()->height() / g->rowHeight();
        QTest::keyClick(g, Qt::Key_PageDown);
        QCOMPARE(courant(), std::pair(1 + page, 1));
        QTest::keyClick(g, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(courant(), std::pair(fiches - 1, champs - 1));
        // La dernière cellule entière à l'écran, les en-têtes avec elle.
        const QRect derniere = g->visualRect(g->currentIndex());
        QVERIFY(g->viewport()->rect().contains(derniere));
        QCOMPARE(g->indexAt(derniere.center()), g->currentIndex());
        QVERIFY(g->columnAt(0) > 0);
        QCOMPARE(g->horizontalHeader()->logicalIndexAt(0), g->columnAt(0));
        QCOMPARE(g->numeros()->ligne_a(derniere.center().y()), fiches - 1);
        QTest::keyClick(g, Qt::Key_Home);
        QCOMPARE(courant(), std::pair(fiches - 1, 0));
        QTest::keyClick(g, Qt::Key_Up);
        QTest::keyClick(g, Qt::Key_Tab);
        QTest::keyClick(g, Qt::Key_End);
        QTest::keyClick(g, Qt::Key_Tab);
        QCOMPARE(courant(), std::pair(fiches - 1, 0));
        QTest::keyClick(g, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(courant(), std::pair(0, 0));
        QCOMPARE(g->rowAt(0), 0);
        QCOMPARE(g->columnAt(0), 0);

        // Clic sur le numéro de la troisième ligne montrée.
        QHeaderView* numeros = g->numeros();
        const int section = numeros->logicalIndexAt(2 * g->rowHeight());
        const int y = numeros->sectionViewportPosition(section) + numeros->sectionSize(section) / 2;
        QTest::mouseClick(numeros->viewport(), Qt::LeftButton, {}, QPoint(3, y));
        QCOMPARE(g->currentIndex().row(), 2);
        QItemSelectionModel* choix = g->selectionModel();
        QVERIFY(choix->isRowSelected(2, {}));
        QCOMPARE(choix->selectedIndexes().size(), champs);
        QVERIFY(numeros->selectionModel()->isRowSelected(numeros->logicalIndexAt(y), {}));
        QVERIFY(!numeros->selectionModel()->isRowSelected(numeros->logicalIndexAt(0), {}));
        // Clic sur le nom de la deuxième colonne.
        QHeaderView* noms = g->horizontalHeader();
        QTest::mouseClick(noms->viewport(), Qt::LeftButton, {},
                          QPoint(noms->sectionViewportPosition(1) + noms->sectionSize(1) / 2,
                                 noms->height() / 2));
        QVERIFY(choix->isColumnSelected(1, {}));
        QVERIFY(!choix->isRowSelected(2, {}));
        QCOMPARE(g->currentIndex().column(), 1);
        // Double clic sur le bord d'un nom : la colonne prend la largeur de
        // ses cellules.
        g->setColumnWidth(2, 8);
        QTest::mouseDClick(
            noms->viewport(), Qt::LeftButton, {},
            QPoint(noms->sectionViewportPosition(2) + g->columnWidth(2) - 1, noms->height() / 2));
        QVERIFY(g->columnWidth(2) >= g->fontMetrics().horizontalAdvance(u"v9_2"_s));
        // Clic sur une cellule.
        const QModelIndex cible = g->model()->index(4, 2);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(cible).center());
        QCOMPARE(g->currentIndex(), cible);
        QCOMPARE(choix->selectedIndexes(), QModelIndexList{cible});
    }

    // Une grande table défilée au bout puis remplacée par une petite : les
    // numéros, le défilement et la cellule courante repartent du début ; une
    // table sans fiche (toutes supprimées) se mène au clavier sans rien montrer.
    void table_dbase_remplacee_puis_vide() {
        QByteArray t(32, '\0');
        t[0] = 3;
        t[10] = 1 + 8;
        QByteArray champ(32, '\0');
        champ.replace(0, 3, "NOM");
        champ[11] = 'C';
        champ[16] = 8;
        t += champ + '\r';
        QByteArray fiches;
        for (int n = 0; n < 2000; ++n)
            fiches += ' ' + ("n" + QByteArray::number(n)).leftJustified(8);
        Fenêtre* f = ouvrir(u"LONGUE.DBF"_s, t + fiches + "\x1a");
        morvine::VueTable* g = f->Grille1;
        f->sous_fenetre()->resize(400, 300);
        QTRY_VERIFY(g->isVisible());
        g->setFocus();
        g->setCurrentIndex(g->model()->index(0, 0));
        QTest::keyClick(g, Qt::Key_End, Qt::ControlModifier);
        QTRY_COMPARE(g->numeros()->ligne_a(0), g->rowAt(0));
        QVERIFY(g->rowAt(0) > 1000);

        morvine::TableDbase petite;
        petite.noms = QStringList{u"NOM"_s};
        petite.types = "C";
        petite.longueurs = {8};
        petite.lignes = {{u"1"_s, u"a"_s}, {u"2"_s, u"b"_s}};
        f->modele_table->definir(petite);
        QCOMPARE(g->rowAt(0), 0);
        QCOMPARE(g->rowAt(g->rowHeight() + 1), 1);
        QCOMPARE(g->rowAt(2 * g->rowHeight() + 1), -1);
        const QHeaderView* numeros = g->numeros();
        QCOMPARE(numeros->count(), 2);
        QCOMPARE(numeros->model()->headerData(1, Qt::Vertical).toString(), u"2"_s);
        QCOMPARE(g->numeros()->ligne_a(0), 0);
        // Sans cellule courante, une touche mène d'abord à la première.
        QVERIFY(!g->currentIndex().isValid());
        QTest::keyClick(g, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(g->currentIndex(), g->model()->index(0, 0));
        QTest::keyClick(g, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(g->currentIndex(), g->model()->index(1, 0));

        petite.lignes.clear();
        f->modele_table->definir(petite);
        QCOMPARE(numeros->count(), 0);
        QCOMPARE(g->rowAt(0), -1);
        QTest::keyClick(g, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(g, Qt::Key_Down);
        QVERIFY(!g->currentIndex().isValid());
        QVERIFY(!g->grab().isNull());
    }

    // Chaque cellule montre son texte entier, marges de la vue comprises : une
    // date juste moins large que son en-tête ne perd pas son dernier chiffre.
    void table_dbase_sans_texte_coupe() {
        QByteArray t(32, '\0');
        t[0] = 3;
        t[10] = 1 + 6 + 8;
        QByteArray nom(32, '\0'), date(32, '\0');
        nom.replace(0, 3, "NOM");
        nom[11] = 'C';
        nom[16] = 6;
        date.replace(0, 5, "NE_LE");
        date[11] = 'D';
        date[16] = 8;
        Fenêtre* f = ouvrir(u"C.DBF"_s, t + nom + date + "\r" + " H\xe9l\xe8ne19980315" + "\x1a");
        morvine::VueTable* g = f->Grille1;
        const QAbstractItemModel* m = g->model();
        QCOMPARE(m->index(0, 1).data().toString(), u"15/03/98"_s);
        const QFontMetrics mesure(g->font());
        const int marges =
            2 * (g->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 1);
        // L'en-tête écrit en gras le nom de la colonne choisie.
        QFont gras = g->horizontalHeader()->font();
        gras.setBold(true);
        const int marges_entete =
            2 * g->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, g->horizontalHeader());
        for (int c = 0; c < m->columnCount(); ++c) {
            const QString nom = m->headerData(c, Qt::Horizontal).toString();
            QVERIFY2(g->columnWidth(c) >= QFontMetrics(gras).horizontalAdvance(nom) + marges_entete,
                     qPrintable(nom));
            for (int l = 0; l < m->rowCount(); ++l) {
                const QString texte = m->index(l, c).data().toString().trimmed();
                QVERIFY2(g->columnWidth(c) >= mesure.horizontalAdvance(texte) + marges,
                         qPrintable(texte));
            }
        }
    }

    // Une image que rien ne sait décoder le dit dans sa fenêtre, au lieu
    // d'une fenêtre vide de quelques points.
    void image_illisible_dite_en_francais() {
        Fenêtre* f = ouvrir(u"FAUX.PNG"_s, QByteArray("\x89PNG\r\n\x1a\n abîmé"));
        QCOMPARE(int(vue_de(*f)), int(Vue::Image));
        QVERIFY(f->Image1->pixmap().isNull());
        QVERIFY2(f->Image1->text().startsWith(u"Image illisible : "_s),
                 qPrintable(f->Image1->text()));
        QVERIFY(f->sous_fenetre()->contentsRect().width() > 100);
        f = ouvrir(u"M.WMF"_s, QByteArray("\xd7\xcd\xc6\x9a"));
        QCOMPARE(f->Image1->text(), u"Image illisible : ce format d'image n'est pas reconnu."_s);
        // Une image collée remplace le message.
        QImage collee(5, 5, QImage::Format_RGB32);
        collee.fill(Qt::green);
        QApplication::clipboard()->setImage(collee);
        e->Coller_texte();
        QVERIFY(f->Image1->text().isEmpty());
        QCOMPARE(f->Image1->pixmap().size(), QSize(5, 5));
    }

    void image_et_taille_de_fenetre() {
        Fenêtre* f = ouvrir(u"P.BMP"_s, image_bmp(30, 20));
        QCOMPARE(f->Image1->pixmap().size(), QSize(30, 20));
        QVERIFY(!f->mnuFont->menuAction()->isEnabled());
        QVERIFY(!f->mnuEdit->menuAction()->isEnabled());
        // L'image y tient entière.
        QVERIFY(f->sous_fenetre()->contentsRect().width() >= 30);
    }

    // ---- Fichiers abîmés : ce qui peut être montré l'est ----

    void fichier_abime_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QByteArray>("contenu");
        QByteArray dbf(32, '\xff');
        QByteArray word(384, '\0');
        word[52] = '\xff';
        word[53] = '\xff';
        word[54] = '\xff';
        QByteArray write(128, '\0');
        write[14] = '\xff';
        write[15] = '\xff';
        write[16] = '\x7f';
        QTest::newRow("dBase à longueurs énormes") << u"X.DBF"_s << dbf;
        QTest::newRow("dBase vide") << u"V.DBF"_s << QByteArray();
        QTest::newRow("Word à longueur énorme") << u"X.DOC"_s << (word + "texte");
        QTest::newRow("Word tronqué") << u"C.DOC"_s << QByteArray(10, 'x');
        QTest::newRow("Write à fin énorme") << u"X.WRI"_s << (write + QByteArray(10, '\xe4'));
        QTest::newRow("OLE2 nommé .WRI")
            << u"O.WRI"_s
            << QByteArray("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1") + QByteArray(600, '\xe4');
        QTest::newRow("BMP tronqué") << u"T.BMP"_s << image_bmp(30, 20).left(40);
    }
    void fichier_abime() {
        QFETCH(QString, nom);
        QFETCH(QByteArray, contenu);
        Fenêtre* f = ouvrir(nom, contenu);
        QVERIFY(f);
        QVERIFY(!e->Echec_chargement);
        QVERIFY(f->sous_fenetre()->isVisible());
    }

    // ---- Bascule de format ----

    void bascule_de_format() {
        Fenêtre* f = ouvrir(u"A.TXT"_s, "abc\r\n");
        QCOMPARE(f->mnuEFormat->text(), u"&Format héxadécimal"_s);
        f->mnuEFormat->trigger();
        QCOMPARE(e->fenetres_ouvertes().size(), 1);
        Fenêtre* g = e->fenetre_active();
        QCOMPARE(g->indice(), 2);
        QVERIFY(e->etat(1).supprime);
        QCOMPARE(int(vue_de(*g)), int(Vue::Vidage));
        QCOMPARE(g->legende(), u"C:\\A.TXT"_s);
        g->mnuEFormat->trigger();
        Fenêtre* h = e->fenetre_active();
        QCOMPARE(h->indice(), 1);
        QCOMPARE(int(vue_de(*h)), int(Vue::Texte));
        QCOMPARE(h->texte(), u"abc\r\n"_s);
    }

    void chemin_hote_hors_des_unites() {
        QTemporaryDir ailleurs;
        const QString hote = ailleurs.filePath(u"Casse Mixte.txt"_s);
        QFile f(hote);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("abc\r\n");
        f.close();
        demarrer();
        e->Charger_fichier(hote, {});
        QVERIFY(!e->Echec_chargement);
        // Aucune unité ne le couvre : la légende garde la casse de l'hôte.
        QCOMPARE(e->fenetre_active()->legende(), hote);
        e->fenetre_active()->mnuEFormat->trigger();
        QVERIFY(!e->Echec_chargement);
        QCOMPARE(int(vue_de(*e->fenetre_active())), int(Vue::Vidage));
    }

    void bascule_ratee_garde_la_fenetre() {
        Fenêtre* f = ouvrir(u"A.TXT"_s, "abc\r\n");
        QFile::remove(c->hote(u"A.TXT"_s));
        d->repondre(plateforme::REP_OK);
        f->mnuEFormat->trigger();
        QCOMPARE(e->fenetres_ouvertes(), QList<Fenêtre*>{f});
        QVERIFY(!QFile::exists(c->hote(u"A.TXT"_s)));
    }

    // ---- Fenêtre de vidage ----

    void vidage_de_taille_fixe() {
        Fenêtre* f = ouvrir(u"NOTES"_s, QByteArray(5000, '\0'));
        QMdiSubWindow* s = f->sous_fenetre();
        const QSize taille = s->size();
        s->showMaximized();
        QVERIFY(!s->isMaximized());
        QCOMPARE(s->size(), taille);
        s->resize(taille / 2);
        QCOMPARE(s->size(), taille);
        QVERIFY(s->contentsRect().width() >= f->Dump->width());
    }

    void fermer_un_vidage_supprime_son_fichier() {
        Fenêtre* f = ouvrir(u"NOTES"_s, QByteArray("a\0c", 3));
        const QString vidage = f->etat().fichier_vidage;
        QVERIFY(vidage.startsWith(e->vidages.chemin()));
        QVERIFY(QFile::exists(vidage));
        QVERIFY(f->sous_fenetre()->close());
        QVERIFY(!QFile::exists(vidage));
    }

    // Un vidage arrêté par le disque (ici une limite de taille de fichier)
    // est montré pour ce qu'il est, et l'utilisateur en est averti.
    void vidage_incomplet_signale() {
        demarrer();
        c->creer_fichier(u"GROS"_s, QByteArray(1 << 20, '\0'));
        struct rlimit avant {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &avant), 0);
        if (avant.rlim_max != RLIM_INFINITY && avant.rlim_max < 100000)
            QSKIP("limite de taille déjà plus basse");
        const auto ancien = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit petite = avant;
        petite.rlim_cur = 100000;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &petite), 0);
        d->repondre(plateforme::REP_OK);
        e->Charger_fichier(c->dos(u"GROS"_s), {});
        // Le fichier de vidage s'écrit en arrière-plan : l'avertissement suit.
        QTRY_COMPARE(d->dernier().texte, u"Vidage incomplet du fichier C:\\GROS : 1298 lignes "
                                         u"seulement\r(Disque plein)"_s);
        ::setrlimit(RLIMIT_FSIZE, &avant);
        std::signal(SIGXFSZ, ancien);
        QVERIFY(!e->Echec_chargement);
        QCOMPARE(d->dernier().style, int(plateforme::MB_EXCLAMATION));
        Fenêtre* f = e->fenetre_active();
        QCOMPARE(int(vue_de(*f)), int(Vue::Vidage));
        QCOMPARE(f->Dump->model()->rowCount(), 1298);
    }

    // Les menus d'une fenêtre n'ont pas de parent : c'est elle qui les détruit,
    // et leurs liaisons avec elle partent avec eux.
    void fenetre_detruite_avec_ses_menus() {
        Fenêtre* f = ouvrir(u"NOTES"_s, QByteArray("a\0c", 3));
        QList<QPointer<QMenu>> menus;
        for (QMenu* m : f->menus())
            menus << m;
        menus << f->mnuFont;
        e.reset();
        for (const QPointer<QMenu>& m : menus)
            QVERIFY(m.isNull());
    }

    // ---- Enregistrement ----

    void enregistrement_octet_pour_octet_data() {
        QTest::addColumn<QByteArray>("contenu");
        QByteArray tous;
        for (int i = 32; i < 256; ++i)
            tous += char(i);
        QTest::newRow("CR LF") << QByteArray("un\r\ndeux\r\n");
        QTest::newRow("LF") << QByteArray("un\ndeux\n");
        QTest::newRow("CR") << QByteArray("un\rdeux\r");
        QTest::newRow("mélangées") << QByteArray("a\r\nb\nc\rd\r\n\r\n");
        QTest::newRow("octets 32 à 255") << (tous + "\r\n");
        QTest::newRow("espace insécable") << QByteArray("a\xa0"
                                                        "b\r\n");
        QTest::newRow("tabulations et contrôles") << QByteArray("\t\x01\x1b[0m\x7f\r\n");
        QTest::newRow("octet nul") << QByteArray("a\0b\r\n", 5);
        QTest::newRow("vide") << QByteArray();
        QTest::newRow("UTF-8") << QByteArray("Tr\xc3\xa8s bien \xe2\x82\xac \xf0\x9d\x84\x9e\n");
        QTest::newRow("UTF-8 avec marque") << QByteArray("\xef\xbb\xbf\xc3\xa9t\xc3\xa9\r\n");
        QTest::newRow("UTF-8 aux fins mélangées") << QByteArray("\xc3\xa0\r\nb\nc\r");
        // Les caractères dont l'éditeur marque ses fins de ligne.
        QTest::newRow("UTF-8 avec ␊ et séparateur de ligne")
            << QByteArray("a\xe2\x90\x8a b\xe2\x80\xa8 c\xe2\x80\xa9\n");
    }
    void enregistrement_octet_pour_octet() {
        QFETCH(QByteArray, contenu);
        Fenêtre* f = ouvrir(u"ORIGINE.TXT"_s, contenu);
        QCOMPARE(enregistrer_sous(f, u"COPIE.TXT"_s), contenu);
        QCOMPARE(f->legende(), u"C:\\COPIE.TXT"_s);
        QCOMPARE(d->dernier().defaut, u"C:\\ORIGINE.TXT"_s);
    }

    void fin_de_ligne_ajoutee_une_seule_fois_data() {
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<QString>("ajout");
        QTest::addColumn<QByteArray>("attendu");
        QTest::newRow("texte sans fin de ligne")
            << QByteArray("abc") << QString() << QByteArray("abc\r\n");
        QTest::newRow("texte LF sans fin")
            << QByteArray("a\nb") << QString() << QByteArray("a\nb\n");
        QTest::newRow("tapé après la fin")
            << QByteArray("abc\r\n") << u"def"_s << QByteArray("abc\r\ndef\r\n");
        QTest::newRow("ligne tapée")
            << QByteArray("abc\r\n") << u"def\n"_s << QByteArray("abc\r\ndef\r\n");
    }
    void fin_de_ligne_ajoutee_une_seule_fois() {
        QFETCH(QByteArray, contenu);
        QFETCH(QString, ajout);
        QFETCH(QByteArray, attendu);
        Fenêtre* f = ouvrir(u"A.TXT"_s, contenu);
        f->Text1->moveCursor(QTextCursor::End);
        f->Text1->insertPlainText(ajout);
        QCOMPARE(enregistrer_sous(f, u"A.TXT"_s), attendu);
        QVERIFY(!f->etat().modifie);
    }

    // Un texte est lu en UTF-8 quand il en est, sinon en Windows-1252, et
    // réécrit dans l'encodage lu ; un texte tout ASCII, comme un nouveau
    // document, s'écrit en UTF-8.
    void encodage_lu_garde_a_l_enregistrement_data() {
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<QString>("montre");
        QTest::addColumn<QByteArray>("attendu");
        QTest::newRow("UTF-8") << QByteArray("Tr\xc3\xa8s bien\n") << u"Très bien\n"_s
                               << QByteArray("Tr\xc3\xa8s bien\n\xc3\xa0 bient\xc3\xb4t\n");
        QTest::newRow("UTF-8 avec marque")
            << QByteArray("\xef\xbb\xbf\xc3\xa9t\xc3\xa9\r\n") << u"été\r\n"_s
            << QByteArray("\xef\xbb\xbf\xc3\xa9t\xc3\xa9\r\n\xc3\xa0 bient\xc3\xb4t\r\n");
        QTest::newRow("Windows-1252") << QByteArray("Tr\xe8s bien\r\n") << u"Très bien\r\n"_s
                                      << QByteArray("Tr\xe8s bien\r\n\xe0 bient\xf4t\r\n");
        QTest::newRow("ASCII") << QByteArray("abc\n") << u"abc\n"_s
                               << QByteArray("abc\n\xc3\xa0 bient\xc3\xb4t\n");
        QTest::newRow("nouveau document")
            << QByteArray() << QString() << QByteArray("\xc3\xa0 bient\xc3\xb4t\r\n");
    }
    void encodage_lu_garde_a_l_enregistrement() {
        QFETCH(QByteArray, contenu);
        QFETCH(QString, montre);
        QFETCH(QByteArray, attendu);
        Fenêtre* f = nullptr;
        if (montre.isNull()) {
            demarrer();
            e->Nouveau_document();
            f = e->fenetre_active();
        } else {
            f = ouvrir(u"LETTRE.TXT"_s, contenu);
        }
        QCOMPARE(f->texte(), montre.isNull() ? QString() : montre);
        f->Text1->moveCursor(QTextCursor::End);
        f->Text1->insertPlainText(u"à bientôt"_s);
        QCOMPARE(enregistrer_sous(f, u"LETTRE.TXT"_s), attendu);
    }

    // Un caractère tapé que Windows-1252 ne sait pas écrire : l'usager
    // choisit l'UTF-8, les « ? » ou de ne rien écrire.
    void caractere_hors_de_1252_data() {
        QTest::addColumn<int>("reponse");
        QTest::addColumn<QByteArray>("attendu");
        QTest::newRow("en UTF-8") << int(plateforme::REP_OUI)
                                  << QByteArray("caf\xc3\xa9\r\n\xe2\x86\x92\r\n");
        QTest::newRow("en 1252") << int(plateforme::REP_NON) << QByteArray("caf\xe9\r\n?\r\n");
        QTest::newRow("annulé") << int(plateforme::REP_ANNULER) << QByteArray("caf\xe9\r\n");
    }
    void caractere_hors_de_1252() {
        QFETCH(int, reponse);
        QFETCH(QByteArray, attendu);
        Fenêtre* f = ouvrir(u"C.TXT"_s, "caf\xe9\r\n");
        f->Text1->moveCursor(QTextCursor::End);
        f->Text1->insertPlainText(u"→"_s);
        d->repondre_fichier(c->hote(u"C.TXT"_s));
        d->repondre(reponse);
        f->mnuFSaveAs->trigger();
        QCOMPARE(c->contenu(u"C.TXT"_s), attendu);
        QVERIFY(d->dernier().texte.contains(u"Enregistrer le texte en UTF-8 ?"_s));
        QCOMPARE(f->etat().modifie, reponse == plateforme::REP_ANNULER);
        if (reponse != plateforme::REP_OUI)
            return;
        // Désormais en UTF-8 : plus de question.
        f->Text1->insertPlainText(u"é"_s);
        QCOMPARE(enregistrer_sous(f, u"C.TXT"_s), "caf\xc3\xa9\r\n\xe2\x86\x92\xc3\xa9\r\n");
    }

    void echec_d_enregistrement_garde_le_document_modifie_data() {
        QTest::addColumn<QString>("cible");
        QTest::newRow("répertoire absent") << u"ABSENT/B.TXT"_s;
        QTest::newRow("fichier en lecture seule") << u"RO.TXT"_s;
    }
    void echec_d_enregistrement_garde_le_document_modifie() {
        QFETCH(QString, cible);
        const QString hote = c->hote(cible);
        if (cible == u"RO.TXT"_s) {
            c->creer_fichier(cible, "protégé");
            QFile::setPermissions(hote, QFile::ReadOwner);
        }
        const QByteArray avant = c->contenu(cible);
        Fenêtre* f = ouvrir(u"A.TXT"_s, "abc\r\n");
        f->Text1->insertPlainText(u"x"_s);
        QVERIFY(f->etat().modifie);
        d->repondre_fichier(hote);
        d->repondre(plateforme::REP_OK);
        f->mnuFSave->trigger();
        QCOMPARE(d->bips(), 1);
        QCOMPARE(d->dernier().style, int(plateforme::MB_EXCLAMATION));
        QVERIFY(!d->dernier().texte.isEmpty());
        QVERIFY(f->etat().modifie);
        QCOMPARE(f->legende(), u"C:\\A.TXT"_s);
        QCOMPARE(c->contenu(cible), avant);
    }

    void fermeture_d_un_document_modifie() {
        Fenêtre* f = ouvrir(u"A.TXT"_s, "abc\r\n");
        f->Text1->moveCursor(QTextCursor::End);
        f->Text1->insertPlainText(u"def"_s);
        // Annuler garde la fenêtre et ses modifications.
        d->repondre_fichier({});
        QVERIFY(!f->sous_fenetre()->close());
        QVERIFY(f->etat().modifie);
        QCOMPARE(d->dernier().genre, u"enregistrer_fichier"_s);
        QCOMPARE(d->dernier().defaut, u"C:\\A.TXT"_s);
        // Un nom choisi : le texte est écrit, puis la fenêtre se ferme.
        d->repondre_fichier(c->hote(u"A.TXT"_s));
        QVERIFY(f->sous_fenetre()->close());
        QCOMPARE(c->contenu(u"A.TXT"_s), QByteArray("abc\r\ndef\r\n"));
        QVERIFY(!e->Reste_des_documents());
    }

    void texte_editeur_aller_retour_data() {
        QTest::addColumn<QString>("octets");
        QTest::addColumn<QString>("fin");
        QTest::addColumn<int>("paragraphes");
        QTest::newRow("CR LF") << u"a\r\nb\r\n"_s << u"\r\n"_s << 2;
        QTest::newRow("sans fin") << u"ab"_s << u"\r\n"_s << 0;
        QTest::newRow("LF dominant") << u"a\nb\nc\r\n"_s << u"\n"_s << 2;
        QTest::newRow("CR seul") << u"a\rb"_s << u"\r"_s << 1;
        QTest::newRow("CR LF mêlés") << u"ab\r\ncd\nef\r\n\r\ng\r\r\n"_s << u"\r\n"_s << 4;
        QTest::newRow("LF avec CR LF") << u"a\r\nb\nc\nd\n"_s << u"\n"_s << 3;
    }
    void texte_editeur_aller_retour() {
        QFETCH(QString, octets);
        QFETCH(QString, fin);
        QFETCH(int, paragraphes);
        const morvine::TexteEditeur t = morvine::vers_editeur(octets);
        QCOMPARE(t.fin_ligne, fin);
        QCOMPARE(int(t.texte.count(QChar::ParagraphSeparator)), paragraphes);
        QCOMPARE(morvine::depuis_editeur(t.texte, t.fin_ligne), octets);
        // Par parts de toutes longueurs, bout à bout : le même texte.
        for (qsizetype longueur = 0; longueur <= octets.size(); ++longueur) {
            QString parts;
            for (qsizetype debut = 0, fin = 0; debut < octets.size(); debut = fin) {
                fin = morvine::fin_de_part(octets, debut, longueur, t.fin_ligne);
                QVERIFY(fin > debut);
                parts += morvine::vers_editeur(QStringView(octets).sliced(debut, fin - debut),
                                               t.fin_ligne);
            }
            QCOMPARE(parts, t.texte);
        }
    }

    // ---- Édition ----

    void effacer_data() {
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<int>("debut");
        QTest::addColumn<int>("fin");
        QTest::addColumn<QByteArray>("attendu");
        QTest::newRow("avant CR LF")
            << QByteArray("ab\r\ncd\r\n") << 2 << 2 << QByteArray("abcd\r\n");
        QTest::newRow("un caractère") << QByteArray("abcd\r\n") << 1 << 1 << QByteArray("acd\r\n");
        QTest::newRow("une sélection") << QByteArray("abcd\r\n") << 1 << 3 << QByteArray("ad\r\n");
        QTest::newRow("à la fin : rien") << QByteArray("abcd") << 4 << 4 << QByteArray("abcd\r\n");
        QTest::newRow("CR LF minoritaire")
            << QByteArray("a\r\nb\nc\n") << 1 << 1 << QByteArray("ab\nc\n");
    }
    void effacer() {
        QFETCH(QByteArray, contenu);
        QFETCH(int, debut);
        QFETCH(int, fin);
        QFETCH(QByteArray, attendu);
        Fenêtre* f = ouvrir(u"A.TXT"_s, contenu);
        placer_curseur(f, debut, fin);
        f->mnuEDelete->trigger();
        QCOMPARE(enregistrer_sous(f, u"B.TXT"_s), attendu);
    }

    void couper_copier_coller_du_texte() {
        Fenêtre* f = ouvrir(u"A.TXT"_s, "abcd\r\n");
        placer_curseur(f, 1, 3);
        e->Copier_texte();
        QCOMPARE(QApplication::clipboard()->text(), u"bc"_s);
        e->Couper_texte();
        QCOMPARE(f->texte(), u"ad\r\n"_s);
        placer_curseur(f, 2, 2);
        e->Coller_texte();
        QCOMPARE(f->texte(), u"adbc\r\n"_s);
        QVERIFY(f->etat().modifie);
    }

    void couper_copier_une_icone_refuse() {
        QImage icone(16, 16, QImage::Format_ARGB32);
        icone.fill(Qt::green);
        QVERIFY(icone.save(c->hote(u"I.ICO"_s), "ICO"));
        Fenêtre* f = ouvrir(u"I.ICO"_s, c->contenu(u"I.ICO"_s));
        QCOMPARE(f->etat().image, int(morvine::IMAGE_ICONE));
        QVERIFY(!f->Image1->pixmap().isNull());
        for (auto operation : {&Editeur::Couper_texte, &Editeur::Copier_texte}) {
            d->repondre(plateforme::REP_OK);
            (e.get()->*operation)();
            QCOMPARE(d->dernier().texte, u"Opération invalide avec ce format."_s);
            QCOMPARE(d->dernier().titre, u"Visualiseur"_s);
        }
        QCOMPARE(d->bips(), 2);
        e->Coller_texte();
        QVERIFY(!f->Image1->pixmap().isNull());
    }

    void couper_coller_une_image() {
        Fenêtre* f = ouvrir(u"P.BMP"_s, image_bmp(30, 20));
        e->Copier_texte();
        QCOMPARE(QApplication::clipboard()->image().size(), QSize(30, 20));
        e->Couper_texte();
        QVERIFY(f->Image1->pixmap().isNull());
        e->Coller_texte();
        QCOMPARE(f->Image1->pixmap().size(), QSize(30, 20));
        f->mnuEDelete_Click();
        QVERIFY(f->Image1->pixmap().isNull());
    }

    void selectionner_tout_et_date() {
        Fenêtre* f = ouvrir(u"A.TXT"_s, "abc\r\n");
        f->mnuESelectAll->trigger();
        QCOMPARE(selection(f), qMakePair(0, 4));
        placer_curseur(f, 0, 3);
        f->mnuETime->trigger();
        static const QRegularExpression date(u"^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d\r\n$"_s);
        QVERIFY2(date.match(f->texte()).hasMatch(), qPrintable(f->texte()));
    }

    void menu_des_polices() {
        QStringList quarante;
        for (int i = 0; i < 40; ++i)
            quarante << u"Police "_s + QString::number(i);
        QCOMPARE(morvine::polices_menu(quarante), quarante.mid(0, 26));
        Fenêtre* f = ouvrir(u"A.TXT"_s, "abc\r\n");
        QVERIFY(f->mnuFontName.size() <= 26);
        QVERIFY(!f->mnuFontName.isEmpty());
        f->mnuFontName[0]->trigger();
        QCOMPARE(e->Police_de_base, f->mnuFontName[0]->text().left(20));
        QCOMPARE(f->Text1->font().family(), f->mnuFontName[0]->text());
        QVERIFY(f->etat().modifie);
    }

    void nouveau_document() {
        Fenêtre* v = ouvrir(u"NOTES"_s, QByteArray("a\0c", 3));
        QVERIFY(v->sous_fenetre()->close());
        e->Nouveau_document();
        Fenêtre* f = e->fenetre_active();
        QCOMPARE(f->legende(), u"SansTitre1"_s);
        // La case reprise n'est plus celle d'un vidage.
        QVERIFY(f->etat().fichier_vidage.isEmpty());
        QVERIFY(f->enregistrable());
        QVERIFY(f->etat().texte_editable);
        e->Nouveau_document();
        QCOMPARE(e->fenetre_active()->legende(), u"SansTitre2"_s);
        f->Text1->insertPlainText(u"neuf"_s);
        e->activer(f);
        d->repondre_fichier(c->hote(u"NEUF.TXT"_s));
        e->Enregistrer_fichier(f->legende());
        QCOMPARE(d->dernier().defaut, u"SansTitre1"_s);
        QCOMPARE(c->contenu(u"NEUF.TXT"_s), QByteArray("neuf\r\n"));
        QCOMPARE(f->legende(), u"C:\\NEUF.TXT"_s);
    }

    // ---- Recherche ----

    void recherche_en_avant_puis_introuvable() {
        Fenêtre* f = ouvrir(u"A.TXT"_s, "abcabc");
        placer_curseur(f, 0, 0);
        f->mnuSFind->trigger();
        Recherche* r = e->recherche;
        QVERIFY(r && r->isVisible());
        QVERIFY(!r->cmdFind->isEnabled());
        r->Text1->setText(u"bc"_s);
        r->cmdFind->click();
        QCOMPARE(selection(f), qMakePair(1, 3));
        r->cmdFind->click();
        QCOMPARE(selection(f), qMakePair(4, 6));
        d->repondre(plateforme::REP_OK);
        r->cmdFind->click();
        QCOMPARE(d->dernier().texte, u"La chaîne \"bc\" n'a pas été trouvée."_s);
        QCOMPARE(d->dernier().titre, u"C:\\A.TXT"_s);
        QCOMPARE(d->bips(), 1);
        QCOMPARE(selection(f), qMakePair(4, 6));
    }

    void recherche_en_arriere() {
        Fenêtre* f = ouvrir(u"A.TXT"_s, "abcabc");
        placer_curseur(f, 6, 6);
        f->mnuSFind->trigger();
        Recherche* r = e->recherche;
        r->optDirection[0]->click();
        r->Text1->setText(u"bc"_s);
        r->cmdFind->click();
        QCOMPARE(selection(f), qMakePair(4, 6));
        r->cmdFind->click();
        QCOMPARE(selection(f), qMakePair(1, 3));
    }

    void recherche_maj_egal_min_data() {
        QTest::addColumn<bool>("coche");
        QTest::addColumn<bool>("trouve");
        QTest::newRow("cochée") << true << true;
        QTest::newRow("décochée") << false << false;
    }
    void recherche_maj_egal_min() {
        QFETCH(bool, coche);
        QFETCH(bool, trouve);
        Fenêtre* f = ouvrir(u"A.TXT"_s, "xx abc");
        placer_curseur(f, 0, 0);
        f->mnuSFind->trigger();
        Recherche* r = e->recherche;
        r->chkCase->setChecked(coche);
        r->Text1->setText(u"ABC"_s);
        if (!trouve)
            d->repondre(plateforme::REP_OK);
        r->cmdFind->click();
        if (trouve)
            QCOMPARE(selection(f), qMakePair(3, 6));
        else
            QCOMPARE(d->dernier().texte, u"La chaîne \"ABC\" n'a pas été trouvée."_s);
    }

    void suivant_sans_chaine_ouvre_le_dialogue() {
        Fenêtre* f = ouvrir(u"A.TXT"_s, "abcabc");
        placer_curseur(f, 0, 0);
        f->mnuSFindNext->trigger();
        QVERIFY(e->recherche && e->recherche->isVisible());
        e->recherche->Text1->setText(u"bc"_s);
        e->recherche->cmdcancel->click();
        QVERIFY(!e->recherche->isVisible());
        f->mnuSFindNext->trigger();
        QVERIFY(!e->recherche->isVisible());
        QCOMPARE(selection(f), qMakePair(1, 3));
        // La sélection devient la chaîne proposée.
        f->mnuSFind->trigger();
        QCOMPARE(e->recherche->Text1->text(), u"bc"_s);
    }

    void texte_change_repart_du_curseur() {
        Fenêtre* f = ouvrir(u"A.TXT"_s, "abcabc");
        placer_curseur(f, 0, 0);
        f->mnuSFind->trigger();
        Recherche* r = e->recherche;
        r->Text1->setText(u"a"_s);
        r->cmdFind->click();
        QCOMPARE(selection(f), qMakePair(0, 1));
        r->Text1->setText(u"ab"_s);
        r->cmdFind->click();
        QCOMPARE(selection(f), qMakePair(0, 2));
    }

    void recherche_dans_un_vidage_sans_effet() {
        ouvrir(u"NOTES"_s, QByteArray("abc\0abc", 7));
        e->etat_recherche.chaine = u"bc"_s;
        e->Chercher_texte();
        QCOMPARE(d->questions().size(), 0);
    }

    // ---- Conversion DOS/Windows ----

    void conversion_aller_retour() {
        Fenêtre* f = ouvrir(u"DOS.TXT"_s, "\x82t\x82 \x87"
                                          "a \x15\r\n");
        QCOMPARE(f->mnuEAnsi->text(), u"Convertir en &ANSI"_s);
        f->mnuEAnsi->trigger();
        QCOMPARE(f->mnuEAnsi->text(), u"Convertir en &ASCII"_s);
        QCOMPARE(f->texte(), u"été ça §\r\n"_s);
        f->mnuEAnsi->trigger();
        QCOMPARE(f->mnuEAnsi->text(), u"Convertir en &ANSI"_s);
        QCOMPARE(enregistrer_sous(f, u"RETOUR.TXT"_s), QByteArray("\x82t\x82 \x87"
                                                                  "a \x15\r\n"));
    }

    // Un texte UTF-8 est converti caractère par caractère, comme lu d'un
    // fichier DOS, et reste en UTF-8.
    void conversion_d_un_texte_utf8() {
        Fenêtre* f = ouvrir(u"U.TXT"_s, "\xe2\x80\x9at\xe2\x80\x9a \x15 \xc3\xa9\n");
        f->mnuEAnsi->trigger();
        QCOMPARE(f->texte(), u"été § é\n"_s);
        QCOMPARE(enregistrer_sous(f, u"U.TXT"_s),
                 QByteArray("\xc3\xa9t\xc3\xa9 \xc2\xa7 \xc3\xa9\n"));
        f->mnuEAnsi->trigger();
        QCOMPARE(f->texte(), u"‚t‚ \x15 ‚\n"_s);
        QCOMPARE(enregistrer_sous(f, u"U.TXT"_s),
                 QByteArray("\xe2\x80\x9at\xe2\x80\x9a \x15 \xe2\x80\x9a\n"));
    }

    void conversion_sans_caractere_concerne() {
        Fenêtre* f = ouvrir(u"A.TXT"_s, "abc\r\n");
        f->mnuEAnsi->trigger();
        QCOMPARE(f->texte(), u"abc\r\n"_s);
        QCOMPARE(f->mnuEAnsi->text(), u"Convertir en &ASCII"_s);
        f->mnuEAnsi->trigger();
        QCOMPARE(f->mnuEAnsi->text(), u"Convertir en &ANSI"_s);
    }

    // ---- Impression ----

    void impression_dans_un_pdf_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QByteArray>("contenu");
        QTest::newRow("texte") << u"A.TXT"_s << QByteArray("ligne un\r\nligne deux\r\n");
        QTest::newRow("image") << u"P.BMP"_s << image_bmp(30, 20);
    }
    void impression_dans_un_pdf() {
        QFETCH(QString, nom);
        QFETCH(QByteArray, contenu);
        const QString pdf = c->hote(u"sortie.pdf"_s);
        qputenv("KALDRON_IMPRESSION_PDF", pdf.toUtf8());
        Fenêtre* f = ouvrir(nom, contenu);
        f->mnuFImprimer->trigger();
        QCOMPARE(e->titre_application, u"Visualiseur - "_s + nom);
        QVERIFY(c->contenu(u"sortie.pdf"_s).startsWith("%PDF"));
    }

    void impression_sans_imprimante_annulee() {
        if (!QPrinterInfo::availablePrinters().isEmpty())
            QSKIP("une imprimante est installée");
        Fenêtre* f = ouvrir(u"A.TXT"_s, "abc\r\n");
        d->repondre_fichier({});
        f->mnuFImprimer->trigger();
        QCOMPARE(d->dernier().genre, u"enregistrer_fichier"_s);
        QCOMPARE(e->titre_application, u"Visualiseur"_s);
    }

    // ---- Programme associé ----

    void programme_associe_data() {
        QTest::addColumn<QString>("win_ini");
        QTest::addColumn<QString>("morvine_ini");
        QTest::newRow("WIN.INI") << u"%1 ^.txt"_s << QString();
        QTest::newRow("MORVINE.INI") << QString() << u"%1"_s;
        QTest::newRow("WIN.INI d'abord") << u"%1 ^.txt"_s << u"C:\\AUCUN.EXE"_s;
    }
    void programme_associe() {
        QFETCH(QString, win_ini);
        QFETCH(QString, morvine_ini);
        const QString script =
            c->creer_fichier(u"bin/noter"_s, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!win_ini.isEmpty())
            plateforme::ecrire_win_ini(u"Associations"_s, u"txt"_s,
                                       win_ini.arg(c->dos(u"bin\\noter"_s)));
        if (!morvine_ini.isEmpty())
            plateforme::ecrire_profil(u"Associations"_s, u"txt"_s,
                                      morvine_ini.contains(u'%') ? morvine_ini.arg(script)
                                                                 : morvine_ini,
                                      u"C:\\morvine\\MORVINE.INI"_s);
        // Un script part dans un terminal : celui des essais.
        qputenv("KALDRON_TERMINAL", TERMINAL_ESSAI);
        Fenêtre* f = ouvrir(u"MON DOC.TXT"_s, "x\r\n");
        f->mnuFProgramme->trigger();
        qunsetenv("KALDRON_TERMINAL");
        QTRY_COMPARE(c->contenu(u"bin/noter.args"_s),
                     (c->hote(u"MON DOC.TXT"_s) + u"\n"_s).toUtf8());
    }

    void programme_associe_choisi() {
        const QString script =
            c->creer_fichier(u"bin/choisi"_s, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        Fenêtre* f = ouvrir(u"A.XYZ"_s, "x");
        d->repondre(plateforme::REP_ANNULER);
        e->Programme_associe(f->legende());
        QCOMPARE(
            d->dernier().texte,
            u"Programme associé non trouvé;\rsélectionnez le programme qui traite ce fichier."_s);
        QCOMPARE(d->dernier().style, int(plateforme::MB_OK_ANNULER | plateforme::MB_EXCLAMATION));
        d->repondre(plateforme::REP_OK);
        d->repondre_fichier(script);
        qputenv("KALDRON_TERMINAL", TERMINAL_ESSAI);
        e->Programme_associe(f->legende());
        qunsetenv("KALDRON_TERMINAL");
        QCOMPARE(d->dernier().titre, u"Programme associé pour A.XYZ"_s);
        QCOMPARE(d->dernier().defaut, u"C:\\"_s);
        QCOMPARE(plateforme::lire_profil(u"Associations"_s, u"xyz"_s, {}, 200,
                                         u"C:\\morvine\\MORVINE.INI"_s),
                 u"C:\\bin\\choisi"_s);
        QTRY_COMPARE(c->contenu(u"bin/choisi.args"_s), (c->hote(u"A.XYZ"_s) + u"\n"_s).toUtf8());
    }

    void programme_introuvable() {
        plateforme::ecrire_profil(u"Associations"_s, u"txt"_s, u"C:\\NULLE\\PART"_s,
                                  u"C:\\morvine\\MORVINE.INI"_s);
        Fenêtre* f = ouvrir(u"A.TXT"_s, "x\r\n");
        d->repondre(plateforme::REP_OK);
        f->mnuFProgramme->trigger();
        QCOMPARE(d->dernier().texte, u"Le programme ou le chemin n'existe pas."_s);
        QCOMPARE(d->bips(), 1);
        // Un script sans terminal installé : l'usager lit pourquoi rien ne part.
        const QString script = c->creer_fichier(u"bin/outil"_s, "#!/bin/sh\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        plateforme::ecrire_profil(u"Associations"_s, u"txt"_s, u"C:\\BIN\\OUTIL"_s,
                                  u"C:\\morvine\\MORVINE.INI"_s);
        qputenv("KALDRON_TERMINAL", QFile::encodeName(c->hote(u"absent"_s)));
        d->repondre(plateforme::REP_OK);
        f->mnuFProgramme->trigger();
        qunsetenv("KALDRON_TERMINAL");
        QVERIFY2(d->dernier().texte.contains(u"s'utilise dans un terminal"_s),
                 qPrintable(d->dernier().texte));
    }

    // ---- Fenêtres ----

    void menu_fenetres() {
        ouvrir(u"A.TXT"_s, "a\r\n");
        Fenêtre* f = ouvrir(u"B.TXT"_s, "b\r\n");
        f->mnuWIcone->trigger();
        for (Fenêtre* w : e->fenetres_ouvertes())
            QVERIFY(w->sous_fenetre()->isMinimized());
        f->mnuWArrange->trigger();
        f->mnuWOpen->trigger();
        for (Fenêtre* w : e->fenetres_ouvertes())
            QVERIFY(!w->sous_fenetre()->isMinimized());
        f->mnuWTile->trigger();
        f->mnuWCascade->trigger();
        f->mnuWClose->trigger();
        QVERIFY(e->fenetres_ouvertes().isEmpty());
    }

    // Les touches agissent par les éléments des menus (Ctrl+N, Ctrl+S, Ctrl+O
    // et Ctrl+W sont aussi essayés de bout en bout).
    void touches_des_menus() {
        Fenêtre* a = ouvrir(u"A.TXT"_s, "abcabc\r\n");
        Fenêtre* b = ouvrir(u"B.TXT"_s, "b\r\n");
        QVERIFY(cadre_actif());
        // Ctrl+Tab passe au suivant, du dernier au premier ; Ctrl+Maj+Tab revient.
        touche(Qt::CTRL | Qt::Key_Tab);
        QCOMPARE(e->fenetre_active(), a);
        touche(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab);
        QCOMPARE(e->fenetre_active(), b);
        touche(Qt::CTRL | Qt::Key_Tab);
        // Ctrl+F ouvre le dialogue de recherche, F3 trouve la suivante.
        placer_curseur(a, 0, 0);
        touche(Qt::CTRL | Qt::Key_F);
        QVERIFY(e->recherche && e->recherche->isVisible());
        e->recherche->Text1->setText(u"bc"_s);
        e->recherche->cmdFind->click();
        e->recherche->hide();
        QVERIFY(cadre_actif());
        a->Text1->setFocus();
        touche(Qt::Key_F3);
        QCOMPARE(selection(a), qMakePair(4, 6));
        // Ctrl+W, aussi tenu par le menu de la sous-fenêtre : le document actif seul.
        touche(Qt::CTRL | Qt::Key_W);
        QTRY_COMPARE(e->fenetres_ouvertes(), QList<Fenêtre*>{b});
        // Les légendes ne changent pas ; les touches s'y montrent.
        QCOMPARE(b->mnuFImprimer->text(), u"&Imprimer..."_s);
        QCOMPARE(b->mnuFImprimer->shortcut(), QKeySequence(u"Ctrl+P"_s));
    }

    // Le menu Fenêtres liste les documents ouverts ; en choisir un l'active.
    void liste_des_documents() {
        Fenêtre* a = ouvrir(u"A.TXT"_s, "a\r\n");
        ouvrir(u"R&D.TXT"_s, "r\r\n");
        Fenêtre* b = ouvrir(u"B.TXT"_s, "b\r\n");
        QCOMPARE(liste_documents(b),
                 (QStringList{u"&1 C:\\A.TXT"_s, u"&2 C:\\R&&D.TXT"_s, u"* &3 C:\\B.TXT"_s}));
        b->mnuWDocuments.first()->trigger();
        QCOMPARE(e->fenetre_active(), a);
        // Refaite à chaque ouverture : un document fermé n'y est plus.
        QVERIFY(b->sous_fenetre()->close());
        QCOMPARE(liste_documents(a), (QStringList{u"* &1 C:\\A.TXT"_s, u"&2 C:\\R&&D.TXT"_s}));
        // Un document iconisé revient à sa taille quand on le choisit.
        a->sous_fenetre()->showMinimized();
        liste_documents(a);
        a->mnuWDocuments.first()->trigger();
        QVERIFY(!a->sous_fenetre()->isMinimized());
        QCOMPARE(e->fenetre_active(), a);
        QCOMPARE(morvine::element_document(12, u"C:\\X.TXT"_s), u"12 C:\\X.TXT"_s);
    }

    void icones_des_fenetres() {
        Fenêtre* t = ouvrir(u"A.TXT"_s, "a\r\n");
        Fenêtre* v = ouvrir(u"NOTES"_s, QByteArray(1, '\0'));
        t->sous_fenetre()->resize(300, 200);
        QVERIFY(t->sous_fenetre()->windowIcon().cacheKey() != 0);
        QCOMPARE(t->sous_fenetre()->windowIcon().pixmap(16).toImage(),
                 t->IconeTexte.pixmap(16).toImage());
        QCOMPARE(v->sous_fenetre()->windowIcon().pixmap(16).toImage(),
                 v->IconeVue.pixmap(16).toImage());
    }

    // ---- Échantillons réels ----

    void echantillons() {
        const QString dossier = qEnvironmentVariable("KALDRON_ECHANTILLONS");
        if (dossier.isEmpty() || !QDir(dossier).exists())
            QSKIP("échantillons absents");
        demarrer();
        const QStringList sous{u"dbf"_s, u"doc"_s, u"wri"_s, u"pic"_s, u"txt"_s};
        int ouverts = 0;
        for (const QString& s : sous) {
            for (const QFileInfo& i : QDir(dossier + u'/' + s).entryInfoList(QDir::Files)) {
                e->Charger_fichier(i.absoluteFilePath(), {});
                QVERIFY2(!e->Echec_chargement, qPrintable(i.fileName()));
                Fenêtre* f = e->fenetre_active();
                const QString ext = i.suffix().toLower();
                if (ext == u"dbf")
                    QVERIFY2(f->Grille1->model()->rowCount() > 0, qPrintable(i.fileName()));
                if (QStringList{u"bmp"_s, u"gif"_s, u"jpg"_s, u"tif"_s, u"ico"_s}.contains(ext))
                    QVERIFY2(!f->Image1->pixmap().isNull(), qPrintable(i.fileName()));
                ++ouverts;
                QVERIFY(f->sous_fenetre()->close());
            }
        }
        QVERIFY(ouverts > 10);
    }
};

QTEST_MAIN(TestFenetre)
#include "test_fenetre.moc"
