// Cadre du visualiseur : ligne de commande, MORVINE.INI, fichiers récents,
// barre d'outils, table des documents, seconde copie et fin du programme.
#include "platform/formats.h"
#include "platform/instance.h"
#include "platform/profil.h"
#include "support/dialogues_scriptes.h"
#include "support/unite_temporaire.h"
#include "viewer/ui/aide.h"
#include "viewer/ui/bouton_image.h"
#include "viewer/ui/configuration.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/instance_morvine.h"
#include "viewer/ui/ligne_commande.h"
#include "viewer/ui/recherche_dialogue.h"
#include "viewer/ui/texte_editeur.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
const QString CR = QString(QChar(13));
const QString INI = u"C:\\morvine\\MORVINE.INI"_s;

QStringList legendes(const Editeur& e) {
    QStringList l;
    for (const Fenêtre* f : e.fenetres_ouvertes())
        l << f->legende();
    return l;
}

QStringList noms_menus(const Editeur& e) {
    QStringList l;
    for (const QAction* a : e.menuBar()->actions())
        l << a->text();
    return l;
}

bool meme_image(const QPixmap& a, const QPixmap& b) {
    return a.toImage() == b.toImage();
}

// AddressSanitizer arrête le programme sur une allocation impossible.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool sous_address_sanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool sous_address_sanitizer = true;
#else
constexpr bool sous_address_sanitizer = false;
#endif
#else
constexpr bool sous_address_sanitizer = false;
#endif
} // namespace

class TestEditeur : public QObject {
    Q_OBJECT

    std::unique_ptr<essai::UniteTemporaire> c;
    std::unique_ptr<essai::DialoguesScriptes> d;
    std::unique_ptr<Editeur> e;

    void ecrire_ini(const QString& texte) {
        c->creer_fichier(u"morvine/MORVINE.INI"_s, texte.toLatin1());
    }
    QString lire_ini(const QString& section, const QString& cle) {
        return plateforme::lire_profil(section, cle, u"(absent)"_s, 256, INI);
    }
    QStringList recents() { return morvine::lire_recents(INI); }
    void ecrire_recents(const QStringList& noms) {
        for (int i = 0; i < noms.size(); ++i)
            plateforme::ecrire_profil(u"Fichiers"_s, u"Fichier"_s + QString::number(i + 1), noms[i],
                                      INI);
    }
    // Un texte d'une ligne plus longue que plusieurs morceaux, ouvert ; la
    // fenêtre est vérifiée découpée en morceaux de taille bornée.
    Fenêtre* ouvrir_longue_ligne(const QByteArray& contenu) {
        c->creer_fichier(u"LONG.TXT"_s, contenu);
        Editeur& f = demarrer({u"C:\\LONG.TXT"_s});
        Fenêtre* w = f.fenetre_active();
        if (!w)
            return nullptr;
        int plus_long = 0;
        for (QTextBlock b = w->Text1->document()->begin(); b.isValid(); b = b.next())
            plus_long = std::max(plus_long, b.length() - 1);
        if (plus_long > morvine::LONGUEUR_MORCEAU + 1 || w->Text1->document()->blockCount() < 3)
            return nullptr;
        return w;
    }
    QByteArray enregistrer_sous(Fenêtre* w, const QString& nom) {
        d->repondre_fichier(c->hote(nom));
        w->mnuFSaveAs->trigger();
        return c->contenu(nom);
    }
    // Une ligne de 'n' lettres tirées sans blanc : un mot de quelques
    // lettres n'y est qu'une fois, un décalage d'un caractère se voit.
    static QByteArray lettres(qsizetype n) {
        QRandomGenerator tirage(42);
        QByteArray l(n, 'a');
        for (char& lettre : l)
            lettre = char('a' + tirage.bounded(26));
        return l;
    }

    Editeur& demarrer(const QStringList& arguments = {}) {
        e = std::make_unique<Editeur>();
        e->MDIForm_Load(morvine::fichiers_ligne_commande(arguments));
        return *e;
    }

private slots:
    void init() {
        c = std::make_unique<essai::UniteTemporaire>();
        c->creer_repertoire(u"morvine"_s);
        qputenv("KALDRON_PROGRAMME", c->hote(u"morvine"_s).toUtf8());
        d = std::make_unique<essai::DialoguesScriptes>();
        c->creer_fichier(u"A.TXT"_s, "premier\r\n");
        c->creer_fichier(u"B.TXT"_s, "second\r\n");
        c->creer_fichier(u"MON DOC.TXT"_s, "avec un blanc\r\n");
        QImage image(20, 10, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(c->hote(u"P.BMP"_s), "BMP"));
    }
    void cleanup() {
        QVERIFY(d->verifier());
        e.reset();
        d.reset();
        c.reset();
        qunsetenv("KALDRON_PROGRAMME");
    }

    // ---- Ligne de commande ----

    void ligne_commande_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("noms");
        QTest::newRow("marque et deux noms")
            << QStringList{u"ovl"_s, u"C:\\A.TXT"_s, u"C:\\B.TXT"_s}
            << QStringList{u"C:\\A.TXT"_s, u"C:\\B.TXT"_s};
        QTest::newRow("texte d'un seul tenant") << QStringList{u"ovl C:\\A.TXT C:\\B.TXT"_s}
                                                << QStringList{u"C:\\A.TXT"_s, u"C:\\B.TXT"_s};
        QTest::newRow("guillemets puis image")
            << QStringList{u"ovl \"C:\\MON DOC.TXT\" C:\\P.BMP"_s}
            << QStringList{u"C:\\MON DOC.TXT"_s, u"C:\\P.BMP"_s};
        QTest::newRow("nom à blanc déjà séparé")
            << QStringList{u"ovl"_s, u"C:\\MON DOC.TXT"_s, u"C:\\P.BMP"_s}
            << QStringList{u"C:\\MON DOC.TXT"_s, u"C:\\P.BMP"_s};
        QTest::newRow("vide") << QStringList{} << QStringList{};
        QTest::newRow("marque seule") << QStringList{u"ovl"_s} << QStringList{};
        QTest::newRow("sans marque, depuis un shell")
            << QStringList{u"notes.txt"_s} << QStringList{u"notes.txt"_s};
        QTest::newRow("chemin de l'hôte à blanc") << QStringList{u"/tmp/un dossier/a b.txt"_s}
                                                  << QStringList{u"/tmp/un dossier/a b.txt"_s};
        QTest::newRow("guillemet non fermé")
            << QStringList{u"ovl \"C:\\SANS FIN.TXT"_s} << QStringList{u"C:\\SANS FIN.TXT"_s};
        QTest::newRow("commutateur d'édition en tête")
            << QStringList{u"--editer"_s, u"a.png"_s, u"b"_s}
            << QStringList{u"--editer"_s, u"a.png"_s, u"b"_s};
        QTest::newRow("commutateur d'édition après un nom")
            << QStringList{u"a.png"_s, u"--editer"_s} << QStringList{u"--editer"_s, u"a.png"_s};
    }
    void ligne_commande() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, noms);
        QCOMPARE(morvine::fichiers_ligne_commande(arguments), noms);
    }

    void nom_document_dos_ou_hote() {
        QCOMPARE(morvine::nom_document(u"C:\\A.TXT"_s), u"C:\\A.TXT"_s);
        QCOMPARE(morvine::nom_document(c->hote(u"MON DOC.TXT"_s)), u"C:\\MON DOC.TXT"_s);
        // Un nom relatif de l'hôte part du répertoire de travail du shell.
        QDir::setCurrent(c->hote({}));
        QCOMPARE(morvine::nom_document(u"A.TXT"_s), u"C:\\A.TXT"_s);
    }

    void demarrage_deux_noms() {
        Editeur& f = demarrer({u"ovl"_s, u"C:\\A.TXT"_s, u"C:\\B.TXT"_s});
        QCOMPARE(legendes(f), (QStringList{u"C:\\A.TXT"_s, u"C:\\B.TXT"_s}));
        for (Fenêtre* w : f.fenetres_ouvertes())
            QVERIFY(w->etat().texte_editable);
        QCOMPARE(f.fenetre(1)->texte(), u"premier\r\n"_s);
        QCOMPARE(recents().mid(0, 3), (QStringList{u"C:\\B.TXT"_s, u"C:\\A.TXT"_s, u"Not Used"_s}));
    }

    void demarrage_nom_a_blanc_puis_image() {
        Editeur& f = demarrer({u"ovl \"C:\\MON DOC.TXT\" C:\\P.BMP"_s});
        QCOMPARE(legendes(f), (QStringList{u"C:\\MON DOC.TXT"_s, u"C:\\P.BMP"_s}));
        QCOMPARE(f.etat(1).titre, u"MON DOC.TXT"_s);
        QCOMPARE(f.etat(2).image, int(morvine::IMAGE_AUTRE));
        QCOMPARE(f.fenetre(2)->Image1->pixmap().size(), QSize(20, 10));
    }

    // EDITER : chaque fichier s'ouvre en texte modifiable, image comprise,
    // au démarrage comme dans la copie déjà lancée ; le commutateur n'est
    // jamais pris pour un nom de fichier.
    void editer_ouvre_en_texte_modifiable() {
        QCOMPARE(morvine::nom_document(u"--editer"_s), u"--editer"_s);
        Editeur& f = demarrer({u"--editer"_s, u"C:\\P.BMP"_s});
        QCOMPARE(legendes(f), QStringList{u"C:\\P.BMP"_s});
        QVERIFY(f.fenetre(1)->etat().texte_editable);
        QCOMPARE(f.etat(1).image, int(morvine::PAS_IMAGE));
        QVERIFY(f.fenetre(1)->texte().startsWith(u"BM"_s));
        f.recevoir_fichiers({u"--editer"_s, u"C:\\P.BMP"_s});
        QVERIFY(f.fenetre(2)->etat().texte_editable);
        // Sans le commutateur, l'image reste une image.
        f.recevoir_fichiers({u"C:\\P.BMP"_s});
        QCOMPARE(f.etat(3).image, int(morvine::IMAGE_AUTRE));
        QCOMPARE(legendes(f).size(), 3);
    }

    void demarrage_chemin_hote() {
        Editeur& f = demarrer({c->hote(u"A.TXT"_s)});
        QCOMPARE(legendes(f), QStringList{u"C:\\A.TXT"_s});
    }

    void demarrage_vide() {
        Editeur& f = demarrer();
        QVERIFY(f.fenetres_ouvertes().isEmpty());
        QVERIFY(!f.Reste_des_documents());
        QCOMPARE(f.tables.borne(), 1);
        QVERIFY(f.etat(1).supprime);
        QCOMPARE(noms_menus(f), (QStringList{u"&Fichier"_s, u"&Options"_s, u"&Aide"_s}));
        QCOMPARE(f.windowTitle(), u"Visualiseur"_s);
        QVERIFY(!f.Enregistrer->isEnabled());
    }

    void liste_abandonnee_au_premier_echec() {
        d->repondre(plateforme::REP_OK);
        Editeur& f = demarrer({u"ovl"_s, u"C:\\A.TXT"_s, u"C:\\MANQUE.TXT"_s, u"C:\\B.TXT"_s});
        QCOMPARE(legendes(f), QStringList{u"C:\\A.TXT"_s});
        const essai::Question q = d->dernier();
        QVERIFY2(q.texte.startsWith(u"Ne peut ouvrir le fichier C:\\MANQUE.TXT"_s + CR + u"("_s),
                 qPrintable(q.texte));
        QVERIFY(q.texte.endsWith(u")"_s));
        QCOMPARE(q.titre, u"Visualiseur"_s);
        QCOMPARE(q.style, int(plateforme::MB_EXCLAMATION));
        QCOMPARE(d->bips(), 1);
        QVERIFY(f.Echec_chargement);
        // Ouvrir ne crée jamais de fichier.
        QVERIFY(!QFile::exists(c->hote(u"MANQUE.TXT"_s)));
        QCOMPARE(recents().first(), u"C:\\A.TXT"_s);
    }

    void fichier_en_lecture_seule_ouvert() {
        c->creer_repertoire(u"RO"_s);
        const QString hote = c->creer_fichier(u"RO/LU.TXT"_s, "lecture\r\n");
        QFile::setPermissions(hote, QFile::ReadOwner);
        QFile::setPermissions(c->hote(u"RO"_s), QFile::ReadOwner | QFile::ExeOwner);
        Editeur& f = demarrer({u"C:\\RO\\LU.TXT"_s});
        QFile::setPermissions(c->hote(u"RO"_s),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(legendes(f), QStringList{u"C:\\RO\\LU.TXT"_s});
        QCOMPARE(f.fenetre(1)->texte(), u"lecture\r\n"_s);
    }

    // ---- Fichiers qui ne peuvent être montrés ----

    // Un tube (ou une socket, un périphérique) est refusé sur-le-champ par le
    // message d'échec d'ouverture, quel que soit l'affichage ; rien n'attend.
    void tube_refuse_quel_que_soit_le_type_data() {
        QTest::addColumn<QString>("nom");
        for (const char* nom : {"TUBE.TXT", "TUBE", "TUBE.DBF", "TUBE.DOC", "TUBE.WRI", "TUBE.BMP"})
            QTest::newRow(nom) << QString::fromLatin1(nom);
    }
    void tube_refuse_quel_que_soit_le_type() {
        QFETCH(QString, nom);
        QCOMPARE(::mkfifo(QFile::encodeName(c->hote(nom)).constData(), 0600), 0);
        d->repondre(plateforme::REP_OK);
        Editeur& f = demarrer({u"ovl"_s, u"C:\\"_s + nom, u"C:\\A.TXT"_s});
        QCOMPARE(d->dernier().texte, u"Ne peut ouvrir le fichier C:\\"_s + nom + CR +
                                         u"(Erreur d'accès au chemin ou au fichier)"_s);
        QVERIFY(f.Echec_chargement);
        QVERIFY(f.fenetres_ouvertes().isEmpty());
        QVERIFY(f.etat(1).supprime);
    }

    // Les autres chemins d'ouverture : fichier récent, dialogue, copie
    // seconde, bascule de format d'un fichier remplacé par un tube.
    void tube_refuse_par_chaque_chemin() {
        const QString tube = c->hote(u"TUBE.TXT"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
        ecrire_recents({u"C:\\TUBE.TXT"_s});
        Editeur& f = demarrer({u"C:\\A.TXT"_s});
        const QString cause = CR + u"(Erreur d'accès au chemin ou au fichier)"_s;
        const QString attendu = u"Ne peut ouvrir le fichier C:\\TUBE.TXT"_s + cause;
        QCOMPARE(recents().mid(0, 2), (QStringList{u"C:\\A.TXT"_s, u"C:\\TUBE.TXT"_s}));
        d->repondre(plateforme::REP_OK);
        f.mnuRecentFile[2]->trigger();
        QCOMPARE(d->dernier().texte, attendu);
        d->repondre_fichier(tube);
        d->repondre(plateforme::REP_OK);
        f.mnuFOpen->trigger();
        QVERIFY2(d->dernier().texte.endsWith(cause), qPrintable(d->dernier().texte));
        d->repondre(plateforme::REP_OK);
        f.recevoir_fichiers({u"C:\\TUBE.TXT"_s});
        QCOMPARE(d->dernier().texte, attendu);
        QCOMPARE(legendes(f), QStringList{u"C:\\A.TXT"_s});
        // Le texte ouvert devient un tube : la bascule échoue, la fenêtre reste.
        QVERIFY(QFile::remove(c->hote(u"A.TXT"_s)));
        QCOMPARE(::mkfifo(QFile::encodeName(c->hote(u"A.TXT"_s)).constData(), 0600), 0);
        d->repondre(plateforme::REP_OK);
        f.fenetre(1)->mnuEFormat->trigger();
        QCOMPARE(d->dernier().texte, u"Ne peut ouvrir le fichier C:\\A.TXT"_s + cause);
        QCOMPARE(legendes(f), QStringList{u"C:\\A.TXT"_s});
        QCOMPARE(d->bips(), 4);
    }

    // Un texte plus grand que ce que la mémoire peut tenir est refusé avant
    // d'être lu, au démarrage comme par la bascule « Format texte ».
    void texte_trop_grand_refuse() {
        qputenv("KALDRON_TEXTE_MAX", "1000");
        c->creer_fichier(u"GROS.TXT"_s, QByteArray(2000, 'g'));
        d->repondre(plateforme::REP_OK);
        Editeur& f = demarrer({u"C:\\GROS.TXT"_s, u"C:\\A.TXT"_s});
        const QString attendu = u"Ne peut ouvrir le fichier C:\\GROS.TXT"_s + CR +
                                u"(Mémoire insuffisante : texte de 2000 octets, au plus "
                                u"1000 octets)"_s;
        QCOMPARE(d->dernier().texte, attendu);
        QVERIFY(f.fenetres_ouvertes().isEmpty());
        // Vu en vidage, il ne repasse pas en texte ; le vidage reste.
        f.Charger_fichier(u"C:\\GROS.TXT"_s, u"XXX"_s);
        QVERIFY(!f.Echec_chargement);
        d->repondre(plateforme::REP_OK);
        f.fenetre(1)->mnuEFormat->trigger();
        qunsetenv("KALDRON_TEXTE_MAX");
        QCOMPARE(d->dernier().texte, attendu);
        QCOMPARE(f.fenetres_ouvertes(), QList<Fenêtre*>{f.fenetre(1)});
        QVERIFY(!f.fenetre(1)->etat().fichier_vidage.isEmpty());
    }

    // La mémoire qui manque pendant un chargement est expliquée en français ;
    // le programme reste, la case est libre pour le fichier suivant.
    void memoire_epuisee_pendant_un_chargement() {
        if (sous_address_sanitizer)
            QSKIP("AddressSanitizer arrête le programme au lieu de faire échouer l'allocation");
        QFile mode(u"/proc/sys/vm/overcommit_memory"_s);
        if (!mode.open(QIODevice::ReadOnly) || mode.readAll().trimmed() == "1")
            QSKIP("la mémoire est promise sans limite ici : l'allocation réussirait");
        // Un texte creux de 1 Tio : bien plus de mémoire que la machine.
        QFile enorme(c->hote(u"ENORME.TXT"_s));
        if (!enorme.open(QIODevice::WriteOnly) || !enorme.resize(qint64(1) << 40))
            QSKIP("fichier creux de 1 Tio impossible ici");
        enorme.close();
        qputenv("KALDRON_TEXTE_MAX", QByteArray::number(qint64(1) << 62));
        d->repondre(plateforme::REP_OK);
        Editeur& f = demarrer({u"C:\\ENORME.TXT"_s});
        qunsetenv("KALDRON_TEXTE_MAX");
        enorme.remove();
        QCOMPARE(d->dernier().texte,
                 u"Ne peut ouvrir le fichier C:\\ENORME.TXT"_s + CR + u"(Mémoire insuffisante)"_s);
        QVERIFY(f.Echec_chargement);
        QVERIFY(f.fenetres_ouvertes().isEmpty());
        f.Charger_fichier(u"C:\\A.TXT"_s, {});
        QCOMPARE(f.fenetre_active()->indice(), 1);
    }

    // ---- MORVINE.INI ----

    void barre_outils_selon_ini_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<bool>("montree");
        QTest::newRow("non") << u"[Options]\r\nBoutons=non\r\n"_s << false;
        QTest::newRow("NON") << u"[Options]\r\nBoutons=NON\r\n"_s << false;
        QTest::newRow("Non merci") << u"[Options]\r\nBoutons=Non merci\r\n"_s << false;
        QTest::newRow("Oui") << u"[Options]\r\nBoutons=Oui\r\n"_s << true;
        QTest::newRow("oui") << u"[Options]\r\nBoutons=oui\r\n"_s << true;
        QTest::newRow("absente") << u"[Options]\r\nHaut=0\r\n"_s << true;
    }
    void barre_outils_selon_ini() {
        QFETCH(QString, ini);
        QFETCH(bool, montree);
        ecrire_ini(ini);
        Editeur& f = demarrer();
        QCOMPARE(!f.picToolbar->isHidden(), montree);
        QCOMPARE(f.mnuOToolbar->isChecked(), montree);
    }

    void barre_outils_par_le_menu() {
        Editeur& f = demarrer();
        f.mnuOToolbar->trigger();
        QVERIFY(f.picToolbar->isHidden());
        QVERIFY(!f.mnuOToolbar->isChecked());
        f.mnuOToolbar->trigger();
        QVERIFY(!f.picToolbar->isHidden());
        QVERIFY(f.mnuOToolbar->isChecked());
    }

    void geometrie_lue_sur_neuf_caracteres_data() {
        QTest::addColumn<QString>("valeur");
        QTest::addColumn<double>("lue");
        QTest::newRow("ordinaire") << u" 1500"_s << 1500.0;
        QTest::newRow("douze caractères") << u"000000001500"_s << 1.0;
        QTest::newRow("suite ignorée") << u"1200 twips"_s << 1200.0;
        QTest::newRow("vide") << u""_s << -1.0;
    }
    void geometrie_lue_sur_neuf_caracteres() {
        QFETCH(QString, valeur);
        QFETCH(double, lue);
        ecrire_ini(u"[Options]\r\nGauche="_s + valeur + u"\r\n"_s);
        QCOMPARE(morvine::lire_geometrie(u"Gauche"_s, INI).value_or(-1.0), lue);
    }

    // Bordure comprise, le cadre tient dans l'écran des essais (800 pixels de large).
    void geometrie_appliquee_au_cadre() {
        ecrire_ini(
            u"[Options]\r\nHaut= 1500\r\nGauche= 2250\r\nLargeur= 9000\r\nHauteur= 6000\r\n"_s);
        Editeur& f = demarrer();
        QCOMPARE(f.geometry().size(), QSize(plateforme::twips_vers_pixels_x(9000),
                                            plateforme::twips_vers_pixels_y(6000)));
        QCOMPARE(f.pos(), QPoint(plateforme::twips_vers_pixels_x(2250),
                                 plateforme::twips_vers_pixels_y(1500)));
    }

    // Le cadre ne déborde pas de l'écran des essais (800 pixels de large),
    // quel que soit le réglage lu ; un réglage qui tient est gardé.
    void cadre_dans_l_ecran_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<bool>("taille_gardee");
        QTest::addColumn<bool>("place_gardee");
        QTest::newRow("plus grand que l'écran")
            << u"Haut= 0\r\nGauche= 0\r\nLargeur= 15000\r\nHauteur= 12000"_s << false << true;
        QTest::newRow("déborde à droite et en bas")
            << u"Haut= 4500\r\nGauche= 7500\r\nLargeur= 9000\r\nHauteur= 6000"_s << true << false;
        QTest::newRow("hors de tout écran")
            << u"Haut= 45000\r\nGauche= 60000\r\nLargeur= 6000\r\nHauteur= 4500"_s << true << false;
        QTest::newRow("tient dans l'écran")
            << u"Haut= 750\r\nGauche= 1500\r\nLargeur= 9000\r\nHauteur= 6000"_s << true << true;
    }
    void cadre_dans_l_ecran() {
        QFETCH(QString, ini);
        QFETCH(bool, taille_gardee);
        QFETCH(bool, place_gardee);
        ecrire_ini(u"[Options]\r\n"_s + ini + u"\r\n"_s);
        const auto twips = [](const QString& cle) {
            return morvine::lire_geometrie(cle, INI).value_or(0);
        };
        const QRect voulu(plateforme::twips_vers_pixels_x(twips(u"Gauche"_s)),
                          plateforme::twips_vers_pixels_y(twips(u"Haut"_s)),
                          plateforme::twips_vers_pixels_x(twips(u"Largeur"_s)),
                          plateforme::twips_vers_pixels_y(twips(u"Hauteur"_s)));
        Editeur& f = demarrer();
        const QRect ecran = f.screen()->availableGeometry();
        QVERIFY2(ecran.contains(f.frameGeometry()),
                 qPrintable(u"%1,%2 %3×%4"_s.arg(f.x()).arg(f.y()).arg(f.width()).arg(f.height())));
        QCOMPARE(f.size() == voulu.size(), taille_gardee);
        QCOMPARE(f.pos() == voulu.topLeft(), place_gardee);
    }

    // Enregistrée avant tout document : la police de base est celle que le
    // démarrage a lue (la fenêtre 1, chargée puis refermée, l'a lue).
    void enregistrer_configuration_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("police");
        QTest::newRow("police du fichier")
            << u"[Options]\r\nPolice de base=Courier\r\n"_s << u"Courier"_s;
        QTest::newRow("police par défaut") << QString() << u"System"_s;
    }
    void enregistrer_configuration() {
        QFETCH(QString, ini);
        QFETCH(QString, police);
        if (!ini.isEmpty())
            ecrire_ini(ini);
        Editeur& f = demarrer();
        // Le cadre part vide, la case 1 libre.
        QVERIFY(!f.Reste_des_documents());
        QCOMPARE(f.tables.borne(), 1);
        QTRY_VERIFY(f.zone->subWindowList().isEmpty());
        f.move(plateforme::twips_vers_pixels_x(1500), plateforme::twips_vers_pixels_y(750));
        f.resize(plateforme::twips_vers_pixels_x(9000), plateforme::twips_vers_pixels_y(6000));
        f.Afficher_barre_outils(u"non"_s);
        f.mnuOConf->trigger();
        // Nombre écrit avec son blanc de tête.
        QVERIFY(c->contenu(u"morvine/MORVINE.INI"_s).contains("Largeur= 9000"));
        QVERIFY(c->contenu(u"morvine/MORVINE.INI"_s).contains("Gauche= 1500"));
        QCOMPARE(lire_ini(u"Options"_s, u"Police de base"_s), police);
        QCOMPARE(lire_ini(u"Options"_s, u"Boutons"_s), u"Non"_s);
        // Relu au démarrage suivant.
        e.reset();
        Editeur& g = demarrer();
        QCOMPARE(g.size(), QSize(plateforme::twips_vers_pixels_x(9000),
                                 plateforme::twips_vers_pixels_y(6000)));
        QVERIFY(g.picToolbar->isHidden());
    }

    void texte_geometrie_data() {
        QTest::addColumn<double>("valeur");
        QTest::addColumn<QString>("texte");
        QTest::newRow("positive") << 1200.0 << u" 1200"_s;
        QTest::newRow("nulle") << 0.0 << u" 0"_s;
        QTest::newRow("négative") << -15.0 << u"-15"_s;
        QTest::newRow("décimale") << 1234.5 << u" 1234.5"_s;
    }
    void texte_geometrie() {
        QFETCH(double, valeur);
        QFETCH(QString, texte);
        QCOMPARE(morvine::texte_geometrie(valeur), texte);
    }

    // ---- Fichiers récents ----

    void ajouter_fichier_recent_data() {
        QTest::addColumn<QStringList>("avant");
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QStringList>("apres");
        const QStringList huit{u"C:\\1"_s, u"C:\\2"_s, u"C:\\3"_s, u"C:\\4"_s,
                               u"C:\\5"_s, u"C:\\6"_s, u"C:\\7"_s, u"C:\\8"_s};
        QTest::newRow("liste vide") << QStringList{} << u"C:\\N"_s << QStringList{u"C:\\N"_s};
        QTest::newRow("déjà présent")
            << QStringList{u"C:\\1"_s, u"C:\\2"_s, u"C:\\3"_s} << u"C:\\2"_s
            << QStringList{u"C:\\1"_s, u"C:\\2"_s, u"C:\\3"_s};
        QTest::newRow("déjà présent, autre casse")
            << QStringList{u"C:\\A.TXT"_s, u"C:\\B.TXT"_s} << u"c:\\b.txt"_s
            << QStringList{u"C:\\A.TXT"_s, u"C:\\B.TXT"_s};
        QTest::newRow("trois, un de plus")
            << QStringList{u"C:\\1"_s, u"C:\\2"_s, u"C:\\3"_s} << u"C:\\N"_s
            << QStringList{u"C:\\N"_s, u"C:\\1"_s, u"C:\\2"_s, u"C:\\3"_s};
        QTest::newRow("le neuvième chasse le huitième")
            << huit << u"C:\\N"_s << (QStringList{u"C:\\N"_s} + huit.mid(0, 7));
    }
    void ajouter_fichier_recent() {
        QFETCH(QStringList, avant);
        QFETCH(QString, nom);
        QFETCH(QStringList, apres);
        ecrire_recents(avant);
        morvine::ajouter_recent(nom, INI);
        while (apres.size() < 8)
            apres << u"Not Used"_s;
        QCOMPARE(recents(), apres);
    }

    void menus_recents_remplis() {
        ecrire_recents({u"C:\\A.TXT"_s, u"C:\\R&D.TXT"_s});
        Editeur& f = demarrer({u"C:\\B.TXT"_s});
        const Fenêtre* w = f.fenetre(1);
        for (const auto& elements : {f.mnuRecentFile, w->mnuRecentFile}) {
            QVERIFY(elements[0]->isVisible());
            QCOMPARE(elements[1]->data().toString(), u"C:\\B.TXT"_s);
            QCOMPARE(elements[3]->data().toString(), u"C:\\R&D.TXT"_s);
            QCOMPARE(elements[3]->text(), u"C:\\R&&D.TXT"_s);
            QVERIFY(elements[3]->isVisible());
            QVERIFY(!elements[4]->isVisible());
        }
    }

    void recent_dont_le_repertoire_manque() {
        const QStringList avant{u"C:\\DISPARU\\A.TXT"_s, u"C:\\A.TXT"_s};
        ecrire_recents(avant);
        Editeur& f = demarrer();
        d->repondre(plateforme::REP_OK);
        f.mnuRecentFile[1]->trigger();
        QVERIFY(d->dernier().texte.startsWith(u"Ne peut ouvrir le fichier C:\\DISPARU\\A.TXT"_s));
        QVERIFY(f.fenetres_ouvertes().isEmpty());
        QCOMPARE(recents().mid(0, 2), avant);
        QVERIFY(!QDir(c->hote(u"DISPARU"_s)).exists());
    }

    void recent_ouvert_sans_changer_l_ordre() {
        const QStringList avant{u"C:\\A.TXT"_s, u"C:\\B.TXT"_s};
        ecrire_recents(avant);
        Editeur& f = demarrer();
        f.mnuRecentFile[2]->trigger();
        QCOMPARE(legendes(f), QStringList{u"C:\\B.TXT"_s});
        QCOMPARE(recents().mid(0, 2), avant);
    }

    void recent_deja_ouvert_ramene_au_premier_plan() {
        ecrire_recents({u"C:\\A.TXT"_s, u"C:\\B.TXT"_s});
        Editeur& f = demarrer({u"C:\\A.TXT"_s, u"C:\\B.TXT"_s});
        QCOMPARE(f.fenetre_active(), f.fenetre(2));
        // Déjà dans la liste, l'ordre reste : "C:\A.TXT" en tête.
        f.fenetre(2)->mnuRecentFile[1]->trigger();
        QCOMPARE(f.fenetres_ouvertes().size(), 2);
        QCOMPARE(f.fenetre_active(), f.fenetre(1));
    }

    void ouvrir_par_le_dialogue() {
        Editeur& f = demarrer({u"C:\\A.TXT"_s});
        d->repondre_fichier(c->hote(u"B.TXT"_s));
        f.mnuFOpen->trigger();
        QCOMPARE(d->dernier().genre, u"ouvrir_fichier"_s);
        // Le dialogue part du répertoire du document actif.
        QCOMPARE(d->dernier().defaut, u"C:\\"_s);
        QCOMPARE(legendes(f), (QStringList{u"C:\\A.TXT"_s, u"C:\\B.TXT"_s}));
        QCOMPARE(recents().first(), u"C:\\B.TXT"_s);
        d->repondre_fichier({});
        f.fenetre(2)->mnuFOpen->trigger();
        QCOMPARE(f.fenetres_ouvertes().size(), 2);
    }

    // ---- Table des documents ----

    void trouver_indice_libre() {
        morvine::TablesDocuments t;
        t.reinitialiser();
        QCOMPARE(t.Trouver_indice_libre(), 1);
        QCOMPARE(t.Trouver_indice_libre(), 2);
        QCOMPARE(t.Trouver_indice_libre(), 3);
        t.Etat_document[2].supprime = true;
        QVERIFY(t.Reste_des_documents());
        QCOMPARE(t.Trouver_indice_libre(), 2);
        QCOMPARE(t.borne(), 3);
        for (int i = 1; i <= 3; ++i)
            t.Etat_document[i].supprime = true;
        QVERIFY(!t.Reste_des_documents());
    }

    void case_liberee_reprise() {
        c->creer_fichier(u"C.TXT"_s, "c\r\n");
        c->creer_fichier(u"D.TXT"_s, "d\r\n");
        Editeur& f = demarrer({u"C:\\A.TXT"_s, u"C:\\B.TXT"_s, u"C:\\C.TXT"_s});
        QVERIFY(f.fenetre(2)->sous_fenetre()->close());
        QVERIFY(f.etat(2).supprime);
        QVERIFY(!f.fenetre(2));
        f.Charger_fichier(u"C:\\D.TXT"_s, {});
        QCOMPARE(f.tables.borne(), 3);
        QCOMPARE(f.fenetre(2)->legende(), u"C:\\D.TXT"_s);
        QCOMPARE(f.fenetre(2)->Tag, u"2"_s);
        QCOMPARE(f.etat(2).chemin, u"C:\\D.TXT"_s);
    }

    void menus_de_la_fenetre_active() {
        Editeur& f = demarrer({u"C:\\A.TXT"_s});
        QCOMPARE(noms_menus(f), (QStringList{u"&Fichier"_s, u"&Edition"_s, u"&Recherche"_s,
                                             u"&Options"_s, u"Fe&nêtres"_s, u"&Aide"_s}));
        QVERIFY(f.fenetre(1)->sous_fenetre()->close());
        QCOMPARE(noms_menus(f), (QStringList{u"&Fichier"_s, u"&Options"_s, u"&Aide"_s}));
    }

    // Le menu Aide, avec ou sans document, ouvre la page de MORVINE dans une
    // seule fenêtre, qui prend le titre de la page et part avec le cadre.
    void aide_ouverte_par_le_menu() {
        Editeur& f = demarrer({u"C:\\A.TXT"_s});
        QMenu* aide = f.menuBar()->actions().constLast()->menu();
        QVERIFY(aide);
        QCOMPARE(aide->actions().first()->text(), u"&Aide de MORVINE"_s);
        aide->actions().first()->trigger();
        QPointer<morvine::FenetreAide> w =
            dynamic_cast<morvine::FenetreAide*>(f.findChild<QWidget*>(u"Aide_morvine"_s));
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QVERIFY(w->Texte->source().toLocalFile().endsWith(u"/morvine.html"_s));
        QCOMPARE(w->windowTitle(), u"Aide de MORVINE"_s);
        QVERIFY(w->Texte->toPlainText().contains(u"Convertir en ANSI"_s));
        // Un lien vers une page de KALDRON reste dans la fenêtre.
        w->Texte->setSource(QUrl(u"index.html"_s));
        QCOMPARE(w->windowTitle(), u"Aide de KALDRON - Sommaire"_s);
        QVERIFY(w->Précédent->isEnabled());
        QVERIFY(f.fenetre(1)->sous_fenetre()->close());
        f.menuBar()->actions().constLast()->menu()->actions().first()->trigger();
        QCOMPARE(f.findChildren<QWidget*>(u"Aide_morvine"_s).size(), 1);
        QCOMPARE(w->windowTitle(), u"Aide de MORVINE"_s);
        e.reset();
        QVERIFY(!w);
    }

    // F1 ouvre la même page, qui décrit les touches.
    void f1_ouvre_l_aide() {
        Editeur& f = demarrer({u"C:\\A.TXT"_s});
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::keyClick(f.fenetre(1)->Text1, Qt::Key_F1);
        auto* w = dynamic_cast<morvine::FenetreAide*>(f.findChild<QWidget*>(u"Aide_morvine"_s));
        QVERIFY(w && w->isVisible());
        QCOMPARE(f.mnuHAide->shortcut(), QKeySequence(u"F1"_s));
        for (const QString& touche : {u"Ctrl+Tab"_s, u"Ctrl+W"_s, u"F3"_s})
            QVERIFY2(w->Texte->toPlainText().contains(touche), qPrintable(touche));
    }

    // ---- Barre d'outils ----

    void bouton_enfonce_puis_relache() {
        Editeur& f = demarrer();
        morvine::BoutonImage* b = f.FileNew;
        QTest::mousePress(b, Qt::LeftButton);
        QVERIFY(meme_image(b->pixmap(), b->image_bas));
        QVERIFY(!meme_image(b->image_bas, b->image_haut));
        QTest::mouseRelease(b, Qt::LeftButton);
        QVERIFY(meme_image(b->pixmap(), b->image_haut));
        QCOMPARE(legendes(f), QStringList{u"SansTitre1"_s});
        // Relâché hors du bouton : rien ne se passe.
        QTest::mousePress(b, Qt::LeftButton);
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(-5, -5));
        QCOMPARE(f.fenetres_ouvertes().size(), 1);
    }

    void barre_selon_le_document() {
        c->creer_fichier(u"NOTES"_s, QByteArray("x\0z", 3));
        Editeur& f = demarrer({u"C:\\A.TXT"_s, u"C:\\NOTES"_s});
        // Le vidage n'est pas enregistrable, ni coupé.
        QVERIFY(!f.Enregistrer->isEnabled());
        QVERIFY(meme_image(f.Enregistrer->pixmap(), f.EnregistrerGd));
        QVERIFY(f.Couper->isHidden());
        QVERIFY(!f.Imprimer->isHidden());
        f.activer(f.fenetre(1));
        QVERIFY(f.Enregistrer->isEnabled());
        QVERIFY(meme_image(f.Enregistrer->pixmap(), f.Enregistrer->image_haut));
        QVERIFY(!f.Couper->isHidden());
        // Plus aucun document : boutons d'édition cachés, Enregistrer grisé.
        f.fenetre(1)->mnuWClose->trigger();
        QVERIFY(!f.Reste_des_documents());
        QVERIFY(!f.Enregistrer->isEnabled());
        for (const QWidget* b : {static_cast<QWidget*>(f.Imprimer), static_cast<QWidget*>(f.Couper),
                                 static_cast<QWidget*>(f.Copier), static_cast<QWidget*>(f.Coller),
                                 static_cast<QWidget*>(f.Appel)})
            QVERIFY(b->isHidden());
        QCOMPARE(f.windowTitle(), u"Visualiseur"_s);
    }

    // ---- Seconde copie ----

    void seconde_copie_transmet_ses_noms() {
        qputenv("KALDRON_INSTANCE",
                "essai-editeur-" + QByteArray::number(QCoreApplication::applicationPid()));
        plateforme::InstanceUnique premiere(u"morvine"_s);
        QCOMPARE(morvine::demarrer_instance(premiere, {}), morvine::Demarrage::Premiere);
        Editeur& f = demarrer();
        morvine::brancher_instance(premiere, f);
        f.showMinimized();
        plateforme::InstanceUnique seconde(u"morvine"_s);
        const auto resultat =
            morvine::demarrer_instance(seconde, {u"C:\\MON DOC.TXT"_s, c->hote(u"B.TXT"_s)});
        qunsetenv("KALDRON_INSTANCE");
        QCOMPARE(resultat, morvine::Demarrage::Transmis);
        QTRY_COMPARE(legendes(f), (QStringList{u"C:\\MON DOC.TXT"_s, u"C:\\B.TXT"_s}));
        QVERIFY(!f.isMinimized());
        QCOMPARE(recents().mid(0, 2), (QStringList{u"C:\\B.TXT"_s, u"C:\\MON DOC.TXT"_s}));
    }

    // Lancée par KALDRON, la seconde copie n'a que sa boîte pour dire que
    // rien n'est passé : jamais une ligne sur stderr que personne ne lit.
    void seconde_copie_sans_reponse() {
        QTemporaryDir run;
        QFile::setPermissions(run.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const bool avait_session = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
        const QByteArray session = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", run.path().toUtf8());
        plateforme::InstanceUnique premiere(u"morvine"_s);
        QCOMPARE(morvine::demarrer_instance(premiere, {}), morvine::Demarrage::Premiere);
        // Sa prise a disparu (nettoyage du temporaire) : elle tient le verrou, muette.
        QVERIFY(QFile::remove(run.filePath(premiere.identifiant() + u".sock"_s)));
        QStringList noms;
        for (int i = 1; i <= 12; ++i)
            noms << u"C:\\DOC\\F%1.TXT"_s.arg(i);
        d->repondre(1);
        plateforme::InstanceUnique seconde(u"morvine"_s);
        const auto muette = morvine::demarrer_instance(seconde, noms, 200);
        // Un verrou impossible à poser n'est pas non plus un passage réussi.
        QVERIFY(QDir(run.path()).mkdir(u"autre-%1.lock"_s.arg(::getuid())));
        d->repondre(1);
        plateforme::InstanceUnique autre(u"autre"_s);
        const auto impossible = morvine::demarrer_instance(autre, {}, 200);
        avait_session ? qputenv("XDG_RUNTIME_DIR", session) : qunsetenv("XDG_RUNTIME_DIR");

        QCOMPARE(muette, morvine::Demarrage::Echec);
        QCOMPARE(d->questions().size(), 2);
        const essai::Question q = d->questions().at(0);
        QVERIFY(q.texte.startsWith(u"Le visualiseur déjà ouvert ne répond pas."_s + CR +
                                   u"Ces fichiers n'ont pas pu lui être passés :"_s + CR +
                                   u"C:\\DOC\\F1.TXT"_s + CR));
        QVERIFY(q.texte.contains(u"C:\\DOC\\F10.TXT"_s + CR + u"(et 2 autres)"_s));
        QVERIFY(!q.texte.contains(u"F11"_s));
        QCOMPARE(q.style, plateforme::MB_OK + plateforme::MB_EXCLAMATION);
        QCOMPARE(q.titre, u"Visualiseur"_s);
        QCOMPARE(impossible, morvine::Demarrage::Echec);
        QVERIFY(d->dernier().texte.startsWith(u"Le visualiseur ne peut pas démarrer."_s + CR));
        QVERIFY(d->dernier().texte.contains(run.path()));
        QCOMPARE(d->dernier().style, plateforme::MB_OK + plateforme::MB_STOP);
        QCOMPARE(d->bips(), 2);
    }

    // ---- Fin du programme ----

    void fin_supprime_nos_vidages_seulement() {
        c->creer_fichier(u"NOTES"_s, QByteArray(100, '\0'));
        Editeur& f = demarrer({u"C:\\NOTES"_s});
        const QString vidage = f.etat(1).fichier_vidage;
        QVERIFY(QFile::exists(vidage));
        // Rien à la racine de l'unité : le vidage vit dans un répertoire privé.
        QVERIFY(!vidage.startsWith(c->hote({})));
        const QString autrui = QFileInfo(vidage).dir().filePath(u"QX000000.TMP"_s);
        QFile a(autrui);
        QVERIFY(a.open(QIODevice::WriteOnly));
        a.close();
        QVERIFY(f.close());
        QVERIFY(!QFile::exists(vidage));
        QVERIFY(QFile::exists(autrui));
        QFile::remove(autrui);
    }

    // ---- Lignes très longues ----

    // Une ligne très longue est montrée en morceaux, mais le fichier est
    // rendu octet pour octet, dans son encodage, après la conversion
    // DOS/Windows aller et retour comme sans elle.
    void longue_ligne_rendue_telle_quelle_data() {
        QTest::addColumn<QByteArray>("contenu");
        const QByteArray l = lettres(3 * morvine::LONGUEUR_MORCEAU + 100);
        QTest::newRow("seule, CR LF") << l + "\r\n";
        QTest::newRow("entre deux lignes, LF") << "avant\n" + l + "\nfin\n";
        QTest::newRow("UTF-8 avec marque")
            << "\xef\xbb\xbf" + l + "\xc3\xa9t\xc3\xa9 " + l + "\r\n";
        QTest::newRow("Windows-1252") << l + "\xe9t\xe9" + l + "\r\n";
        QTest::newRow("avec des blancs") << QByteArray("mot ").repeated(4000) + "\r\n";
        QTest::newRow("CR LF minoritaire coupé")
            << l.left(morvine::LONGUEUR_MORCEAU - 1) + "\r\n" + l + "\n\n\n";
    }
    void longue_ligne_rendue_telle_quelle() {
        QFETCH(QByteArray, contenu);
        Fenêtre* w = ouvrir_longue_ligne(contenu);
        QVERIFY(w);
        QVERIFY(!w->etat().modifie);
        QCOMPARE(enregistrer_sous(w, u"COPIE.TXT"_s), contenu);
        // Hors de l'ASCII, l'aller et retour de la conversion n'est pas neutre.
        if (!QByteArrayView(contenu).isValidUtf8() ||
            QString::fromUtf8(contenu).toLatin1() != contenu)
            return;
        w->mnuEAnsi->trigger();
        w->mnuEAnsi->trigger();
        QVERIFY(w->etat().modifie);
        QCOMPARE(enregistrer_sous(w, u"CONVERTI.TXT"_s), contenu);
    }

    // Au bord de deux morceaux, taper, effacer en arrière ou en avant agit
    // sur le caractère voisin, jamais sur la coupure ; Entrée au milieu d'un
    // morceau ajoute une vraie fin de ligne ; annuler rend le texte lu.
    void edition_au_bord_d_un_morceau() {
        const QByteArray l = lettres(3 * morvine::LONGUEUR_MORCEAU);
        Fenêtre* w = ouvrir_longue_ligne(l + "\r\n");
        QVERIFY(w);
        const int coupure = w->Text1->document()->findBlockByNumber(1).position() + 1; // après ↪
        QCOMPARE(w->Text1->document()->characterAt(coupure - 1), QChar(morvine::SYMBOLE_SUITE));
        const qsizetype k = coupure - 2; // caractères du premier morceau
        const auto avec = [&](QByteArray octets) { return octets + "\r\n"; };
        // Copié à cheval sur la coupure (bouton ou clavier) : sans elle.
        QTextCursor curseur = w->Text1->textCursor();
        curseur.setPosition(coupure - 5);
        curseur.setPosition(coupure + 3, QTextCursor::KeepAnchor);
        w->Text1->setTextCursor(curseur);
        e->Copier_texte();
        QCOMPARE(QApplication::clipboard()->text().toLatin1(), l.mid(k - 3, 6));
        QApplication::clipboard()->clear();
        QTest::keySequence(w->Text1, QKeySequence::Copy);
        QCOMPARE(QApplication::clipboard()->text().toLatin1(), l.mid(k - 3, 6));
        curseur.setPosition(coupure);
        w->Text1->setTextCursor(curseur);
        QTest::keyClick(w->Text1, Qt::Key_X);
        QCOMPARE(w->texte().toLatin1(), avec(QByteArray(l).insert(k, 'x')));
        QTest::keyClick(w->Text1, Qt::Key_Backspace);
        QTest::keyClick(w->Text1, Qt::Key_Backspace); // le dernier du premier morceau
        QCOMPARE(w->texte().toLatin1(), avec(QByteArray(l).remove(k - 1, 1)));
        curseur.setPosition(coupure - 3); // fin du premier morceau, devant la coupure
        w->Text1->setTextCursor(curseur);
        QTest::keyClick(w->Text1, Qt::Key_Delete); // le premier du second morceau
        QCOMPARE(w->texte().toLatin1(), avec(QByteArray(l).remove(k - 1, 2)));
        w->mnuEDelete->trigger();
        QCOMPARE(w->texte().toLatin1(), avec(QByteArray(l).remove(k - 1, 3)));
        curseur.setPosition(coupure + 10);
        w->Text1->setTextCursor(curseur);
        QTest::keyClick(w->Text1, Qt::Key_Return);
        QCOMPARE(w->texte().toLatin1(),
                 avec(QByteArray(l).remove(k - 1, 3).insert(k + 10, "\r\n")));
        while (w->Text1->document()->isUndoAvailable())
            w->Text1->undo();
        QCOMPARE(w->texte().toLatin1(), avec(l));
    }

    // Un mot à cheval sur deux morceaux est trouvé et choisi en entier ; la
    // sélection proposée au dialogue est ce mot, sans la coupure.
    void mot_a_cheval_sur_deux_morceaux_trouve() {
        const QByteArray l = lettres(2 * morvine::LONGUEUR_MORCEAU);
        const QByteArray mot = l.mid(morvine::LONGUEUR_MORCEAU - 3, 8);
        Fenêtre* w = ouvrir_longue_ligne("debut\r\n" + l + "\r\n");
        QVERIFY(w);
        e->etat_recherche.chaine = QString::fromLatin1(mot);
        e->etat_recherche.premiere_recherche = true;
        e->Chercher_texte();
        QCOMPARE(d->questions().size(), 0);
        const QTextCursor trouve = w->Text1->textCursor();
        QCOMPARE(trouve.selectionStart(), 6 + morvine::LONGUEUR_MORCEAU - 3);
        QCOMPARE(trouve.selectionEnd(), 6 + morvine::LONGUEUR_MORCEAU - 3 + 8 + 2);
        // Suivant : pas d'autre occurrence, le curseur ne bouge pas.
        d->repondre(plateforme::REP_OK);
        e->Chercher_texte();
        QCOMPARE(w->Text1->textCursor().selectionStart(), trouve.selectionStart());
        w->mnuSFind->trigger();
        QCOMPARE(e->recherche->Text1->text(), QString::fromLatin1(mot));
    }

    // Un grand texte entre par parts sous une fenêtre d'avancement : arrêté,
    // rien n'est ouvert (un texte incomplet ne se laisse pas enregistrer) ni
    // dit ; mené au bout, il est entier, non modifié, et Ctrl+Z ne l'ôte pas.
    void grand_texte_arrete_ou_complet() {
        const QByteArray lignes = QByteArray("une ligne ordinaire\r\n").repeated(75000);
        const QByteArray contenu = lignes + "LF seul\n" + lettres(3 * morvine::LONGUEUR_MORCEAU) +
                                   "\r\n\r" + lignes + "\n";
        c->creer_fichier(u"GRAND.TXT"_s, contenu);
        Editeur& f = demarrer();
        int arrets = 0;
        QTimer arret;
        connect(&arret, &QTimer::timeout, this, [&arrets] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* avancement = qobject_cast<QProgressDialog*>(w)) {
                    avancement->cancel();
                    ++arrets;
                }
            }
        });
        arret.start(0);
        f.Charger_fichier(u"C:\\GRAND.TXT"_s, {});
        arret.stop();
        QVERIFY(arrets > 0);
        QVERIFY(f.Echec_chargement);
        QVERIFY(f.fenetres_ouvertes().isEmpty());
        QCOMPARE(d->questions().size(), 0);
        f.Charger_fichier(u"C:\\GRAND.TXT"_s, {});
        QVERIFY(!f.Echec_chargement);
        Fenêtre* w = f.fenetre_active();
        QVERIFY(w);
        QVERIFY(!w->etat().modifie);
        QVERIFY(!w->Text1->document()->isUndoAvailable());
        QCOMPARE(w->texte().toLatin1(), contenu);
    }

    void fermeture_refusee_si_enregistrement_annule() {
        Editeur& f = demarrer({u"C:\\A.TXT"_s});
        f.fenetre(1)->Text1->insertPlainText(u"ajout "_s);
        QVERIFY(f.etat(1).modifie);
        d->repondre_fichier({});
        QVERIFY(!f.close());
        QCOMPARE(f.fenetres_ouvertes().size(), 1);
        QVERIFY(f.etat(1).modifie);
        QCOMPARE(c->contenu(u"A.TXT"_s), QByteArray("premier\r\n"));
    }
};

QTEST_MAIN(TestEditeur)
#include "test_editeur.moc"
