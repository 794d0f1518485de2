// OPTIONS : fenêtre Choix_Options, lecture et écriture de [Options],
// fichiers cachés de la session et pages de réglage du système.
#include "essai_fenetre.h"
#include "manager/common/aide_contextuelle.h"
#include "manager/configuration/choix_options.h"
#include "manager/configuration/couleurs_vga.h"
#include "manager/configuration/fichier_configuration.h"
#include "manager/configuration/panneaux_systeme.h"
#include "manager/main_window/ligne.h"
#include "platform/lancement.h"
#include "platform/profil.h"
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString CR = QString(QChar(13));

// Laisse l'essai réparer le fichier au moment d'une question.
class DialoguesAvecAction : public essai::DialoguesScriptes {
public:
    std::function<void()> avant_message;
    int message(const QString& texte, int style, const QString& titre) override {
        if (avant_message)
            std::exchange(avant_message, {})();
        return DialoguesScriptes::message(texte, style, titre);
    }
};

QStringList noms(const plateforme::ListeFichiers* liste) {
    QStringList resultat;
    for (int i = 0; i < liste->listCount(); ++i)
        resultat << liste->list(i);
    return resultat;
}

} // namespace

class TestOptions : public EssaiFenetre {
    Q_OBJECT

    std::unique_ptr<Choix_Options> w;
    DialoguesAvecAction* dialogues = nullptr;
    QByteArray ancien_path, ancien_bureau;

    QString ini() const { return c->hote(u"kaldron/KALDRON.INI"_s); }
    QByteArray contenu() const { return c->contenu(u"kaldron/KALDRON.INI"_s); }

    // Fenêtre principale chargée ; 'lignes' forment [Options] (Windows-1252).
    void charger(const QStringList& lignes = {}) {
        ecrire_ini(lignes);
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
    }
    void ecrire_ini(const QStringList& lignes) {
        if (!lignes.isEmpty())
            c->creer_fichier(u"kaldron/KALDRON.INI"_s,
                             "[Options]\r\n" + lignes.join(u"\r\n"_s).toLatin1() + "\r\n");
    }
    void ouvrir() {
        w = std::make_unique<Choix_Options>(f.get());
        w->Form_Load();
    }
    QString valeur(const QString& cle) const {
        return plateforme::lire_profil(u"Options"_s, cle, u"<absente>"_s, 250,
                                       reglages().chemin_configuration);
    }

private slots:
    void init() {
        monter();
        d.reset();
        auto nouveau = std::make_unique<DialoguesAvecAction>();
        dialogues = nouveau.get();
        d = std::move(nouveau);
        ancien_path = qgetenv("PATH");
        ancien_bureau = qgetenv("XDG_CURRENT_DESKTOP");
    }
    void cleanup() {
        w.reset();
        aide::debrancher();
        plateforme::installer_demarreur({});
        qputenv("PATH", ancien_path);
        qputenv("XDG_CURRENT_DESKTOP", ancien_bureau);
        QVERIFY(demonter());
    }

    // Chaque clé lue (ou son défaut) et le contrôle qu'elle règle ; les cases
    // ne se cochent que pour "Oui" exactement.
    void lecture_data() {
        QTest::addColumn<QStringList>("lignes");
        QTest::addColumn<QString>("controle");
        QTest::addColumn<QVariant>("attendu");
        const auto ligne = [](const char* nom, const QStringList& l, const char* c,
                              const QVariant& v) {
            QTest::newRow(nom) << l << QString::fromUtf8(c) << v;
        };
        ligne("éditeur par défaut", {}, "Nom_éditeur", u"NOTEPAD.EXE"_s);
        ligne("remplace par défaut", {}, "Remplacement", true);
        ligne("racine par défaut", {}, "Racine", true);
        ligne("éditeur en capitales", {u"Editeur=c:\\bin\\vi.exe"_s}, "Nom_éditeur",
              u"C:\\BIN\\VI.EXE"_s);
        ligne("éditeur vide", {u"Editeur="_s}, "Nom_éditeur", u"NOTEPAD.EXE"_s);
        ligne("Confirme Oui", {u"Confirme=Oui"_s}, "Confirmation", true);
        ligne("Confirme oui", {u"Confirme=oui"_s}, "Confirmation", false);
        ligne("Confirme OUI", {u"Confirme=OUI"_s}, "Confirmation", false);
        ligne("Remplace Non", {u"Remplace=Non"_s}, "Remplacement", false);
        ligne("couleur 12", {u"Couleur=12"_s}, "Choix_couleur", 1);
        ligne("couleur 9", {u"Couleur=9"_s}, "Choix_couleur", 7);
        ligne("courant", {u"Répertoire=cOuRaNt"_s}, "Courant", true);
        ligne("choisi", {u"Répertoire=d:\\Travail"_s}, "Répert_choisi", u"d:\\Travail"_s);
    }
    void lecture() {
        QFETCH(QStringList, lignes);
        QFETCH(QString, controle);
        QFETCH(QVariant, attendu);
        charger();
        ecrire_ini(lignes); // après le démarrage, qui rejetterait d:\Travail
        const QByteArray avant = contenu();
        ouvrir();
        auto* cible = w->findChild<QWidget*>(controle);
        QVERIFY(cible);
        if (auto* champ = qobject_cast<QLineEdit*>(cible))
            QCOMPARE(QVariant(champ->text()), attendu);
        else if (auto* bouton = qobject_cast<QAbstractButton*>(cible))
            QCOMPARE(QVariant(bouton->isChecked()), attendu);
        else
            QCOMPARE(QVariant(w->Choix_couleur->value()), attendu);
        QCOMPARE(w->Choisi->isChecked(), controle == u"Répert_choisi"_s);
        QCOMPARE(etat_commande().commande_courante, u"Lecture OPTIONS"_s);
        QCOMPARE(contenu(), avant);
    }

    // La lecture règle aussi la session : Iconisé et Aide en ligne tels que
    // lus, le nom de l'éditeur, et le schéma même quand la barre ne bouge pas.
    void lecture_regle_la_session() {
        charger({u"Aide en ligne=oui"_s, u"Editeur=vi"_s, u"Couleur=0"_s, u"Iconisé=Oui"_s});
        reglages().éditeur = u"AUTRE"_s;
        reglages().couleur = 5;
        ouvrir();
        QCOMPARE(reglages().iconisé, u"Oui"_s);
        QVERIFY(w->Iconisé->isChecked());
        QCOMPARE(reglages().aide_en_ligne, u"oui"_s);
        QVERIFY(!w->Aide->isChecked());
        QCOMPARE(reglages().éditeur, u"VI"_s);
        QCOMPARE(reglages().couleur, 0);
    }

    // OK écrit les huit clés dans l'ordre, avec la casse voulue ; le
    // démarrage suivant relit exactement ces valeurs. "oui", compté au
    // démarrage, laisse la case décochée et devient "Non".
    void ok_ecrit_toutes_les_cles() {
        charger({u"Confirme=oui"_s});
        reglages().confirme = true;
        ouvrir();
        QVERIFY(!w->Confirmation->isChecked());
        w->Nom_éditeur->setText(u" gedit "_s);
        w->Nom_visualiseur->setText(u"Morvine"_s);
        w->Remplacement->setChecked(false);
        w->Iconisé->setChecked(true);
        w->Choix_couleur->setValue(3);
        w->Courant->setChecked(true);
        w->OK_Click();
        QCOMPARE(etat_commande().commande_courante, u"Ecriture OPTIONS"_s);
        QCOMPARE(contenu(), QByteArray("[Options]\r\nConfirme=Non\r\nEditeur=gedit\r\n"
                                       "Visualiseur=Morvine\r\nIconis\xE9=Oui\r\n"
                                       "Aide en ligne=Non\r\nRemplace=Non\r\nCouleur=3\r\n"
                                       "R\xE9pertoire=Courant\r\n"));
        QVERIFY(w->result() == QDialog::Accepted);
        QVERIFY(!reglages().confirme && !reglages().remplace);
        QCOMPARE(reglages().répertoire_initial, u"Courant"_s);
        Reglages relus;
        relus.chemin_configuration = reglages().chemin_configuration;
        configuration::lire_options(relus);
        configuration::lire_iconise(relus);
        QCOMPARE(relus.éditeur + relus.visualiseur + relus.iconisé, u"GEDITMORVINEOui"_s);
        QVERIFY(!relus.confirme && !relus.remplace);
        QCOMPARE(configuration::lire_couleur(), 3);
    }

    // Les noms sont en vigueur à chaque frappe, même après Annuler ; un
    // éditeur vidé écrit NOTEPAD.EXE mais reste vide jusqu'à la réouverture.
    void noms_en_vigueur() {
        charger({u"Editeur=vi"_s});
        ouvrir();
        QTest::keyClicks(w->Nom_visualiseur, u"X"_s);
        QCOMPARE(reglages().visualiseur, u"MORVINE.EXEX"_s);
        w->Annule_Click();
        QCOMPARE(reglages().visualiseur, u"MORVINE.EXEX"_s);
        ouvrir();
        w->Nom_éditeur->clear();
        w->Nom_visualiseur->setText(u"   "_s);
        w->OK_Click();
        QCOMPARE(valeur(u"Editeur"_s) + valeur(u"Visualiseur"_s), u"NOTEPAD.EXEMORVINE.EXE"_s);
        QCOMPARE(reglages().éditeur, QString());
        QCOMPARE(reglages().visualiseur, QString());
        ouvrir();
        QCOMPARE(reglages().éditeur, u"NOTEPAD.EXE"_s);
    }

    void repertoire_ecrit_data() {
        QTest::addColumn<QString>("choix");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("racine") << u"Racine"_s << u"c:\\x"_s << u"Racine"_s;
        QTest::newRow("tel que saisi") << u"Choisi"_s << u"d:\\Win\\Word"_s << u"d:\\Win\\Word"_s;
        QTest::newRow("choisi vide") << u"Choisi"_s << QString() << u"Courant"_s;
        QTest::newRow("choisi de blancs") << u"Choisi"_s << u"   "_s << u"Courant"_s;
    }
    void repertoire_ecrit() {
        QFETCH(QString, choix);
        QFETCH(QString, texte);
        QFETCH(QString, attendu);
        charger({u"Répertoire=Courant"_s});
        ouvrir();
        w->Répert_choisi->setText(texte);
        w->findChild<QRadioButton*>(choix)->setChecked(true);
        w->OK_Click();
        QCOMPARE(valeur(u"Répertoire"_s), attendu);
        QCOMPARE(reglages().répertoire_initial, attendu);
    }

    // Choisi avec un champ vide y met le focus ; l'exemple ne le garde pas.
    void focus() {
        charger();
        ouvrir();
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->Choisi->click();
        QTRY_VERIFY(w->Répert_choisi->hasFocus());
        w->Exemple->setFocus();
        QTRY_VERIFY(w->Nom_éditeur->hasFocus());
    }

    // Échantillon gris (fond 8, traits 7) à 0, fond n et traits n+8 sinon ;
    // la fenêtre principale attend OK ; Échap (Annuler) n'écrit rien et
    // oublie le schéma essayé.
    void couleurs() {
        charger({u"Couleur=1"_s});
        reglages().couleur = 1;
        ouvrir();
        const QColor principal = f->palette().color(QPalette::Window);
        const auto fond = [this] { return w->Exemple_fond->palette().color(QPalette::Window); };
        w->Choix_couleur->setValue(0);
        QCOMPARE(fond(), couleur_vga(8));
        QCOMPARE(w->Lignes[1]->borderColor(), couleur_vga(7));
        w->Choix_couleur->setValue(7);
        QCOMPARE(fond(), QColor(0xC0, 0xC0, 0xC0));
        for (int i : {1, 2, 7, 8})
            QCOMPARE(w->Lignes[i]->borderColor(), QColor(Qt::white));
        QCOMPARE(reglages().couleur, 7);
        QCOMPARE(f->palette().color(QPalette::Window), principal);
        const QByteArray avant = contenu();
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(w->result() == QDialog::Rejected);
        QCOMPARE(contenu(), avant);
        QCOMPARE(reglages().couleur, 1);
        QCOMPARE(f->palette().color(QPalette::Window), principal);
        ouvrir();
        w->Choix_couleur->setValue(2);
        w->OK_Click();
        QCOMPARE(f->palette().color(QPalette::Window), couleur_vga(2));
        QCOMPARE(f->lignes_cadres[0]->borderColor(), couleur_vga(10));
    }

    // Cachés agit aussitôt sur les deux listes, survit à Annuler et n'est
    // jamais enregistré.
    void fichiers_caches() {
        c->creer_fichier(u"doc/a.txt"_s);
        c->creer_fichier(u"doc/.secret"_s);
        c->creer_fichier(u"dest/.cache"_s);
        charger();
        f->Fichier_srce->setPath(c->dos(u"doc"_s));
        f->Fichier_dest->setPath(c->dos(u"dest"_s));
        ouvrir();
        QVERIFY(!w->Cachés->isChecked());
        w->Cachés->click();
        QCOMPARE(noms(f->Fichier_srce), QStringList({u".secret"_s, u"a.txt"_s}));
        QCOMPARE(noms(f->Fichier_dest), QStringList{u".cache"_s});
        w->Annule_Click();
        ouvrir();
        QVERIFY(w->Cachés->isChecked());
        QVERIFY(noms(f->Fichier_srce).contains(u".secret"_s));
        w->Cachés->click();
        QCOMPARE(noms(f->Fichier_srce), QStringList{u"a.txt"_s});
        QVERIFY(noms(f->Fichier_dest).isEmpty());
        w->OK_Click();
        QVERIFY(!contenu().contains("Cach"));
    }

    // Le bouton tient la commande pendant la fenêtre modale, puis rend la
    // fenêtre principale ; pendant une autre commande il ne fait qu'un bip.
    void bouton_options() {
        charger();
        QVERIFY(f->Options->isEnabled());
        bool tenue = false;
        QTimer::singleShot(0, this, [&] {
            auto* fenetre = dynamic_cast<Choix_Options*>(QApplication::activeModalWidget());
            if (!fenetre)
                return;
            tenue = etat_commande().commande_en_cours && !f->Croiser->isEnabled();
            fenetre->OK->click();
        });
        f->show();
        f->Options->click();
        QVERIFY(tenue);
        QVERIFY(!etat_commande().commande_en_cours && f->Croiser->isEnabled());
        QCOMPARE(valeur(u"Editeur"_s), u"NOTEPAD.EXE"_s);

        etat_commande().commande_en_cours = true;
        etat_commande().commande_courante = u"COPIER"_s;
        QTimer::singleShot(0, this, [] {
            if (QWidget* m = QApplication::activeModalWidget())
                m->close();
        });
        f->Options_Click();
        QCOMPARE(d->bips(), 1);
        QCOMPARE(etat_commande().commande_courante, u"COPIER"_s);
    }

    // KALDRON.INI illisible : "Lecture OPTIONS" ; Annuler arrête la lecture
    // là, Réessayer refait la clé en échec.
    void erreur_de_lecture() {
        charger();
        c->creer_repertoire(u"kaldron/KALDRON.INI"_s);
        d->repondre(2);
        ouvrir();
        QCOMPARE(d->dernier().texte, u"Support absent ou erreur d'accès sur C:"_s);
        QCOMPARE(d->dernier().titre, u"Lecture OPTIONS"_s);
        QCOMPARE(d->dernier().style, 53);
        QVERIFY(w->Nom_éditeur->text().isEmpty() && !w->Racine->isChecked());
        dialogues->avant_message = [this] {
            QDir(ini()).removeRecursively();
            c->creer_fichier(u"kaldron/KALDRON.INI"_s, "[Options]\r\nEditeur=vi\r\nCouleur=5\r\n");
        };
        d->repondre(4);
        ouvrir();
        QCOMPARE(d->questions().size(), 2);
        QCOMPARE(w->Nom_éditeur->text(), u"VI"_s);
        QCOMPARE(w->Choix_couleur->value(), 5);
    }

    // Écriture refusée : signalée ("Ecriture OPTIONS") au lieu d'un faux
    // succès ; Annuler laisse les clés suivantes et ne recolore pas,
    // Réessayer reprend et écrit tout.
    void erreur_d_ecriture() {
        charger();
        ouvrir();
        c->creer_repertoire(u"kaldron/KALDRON.INI"_s);
        const QColor principal = f->palette().color(QPalette::Window);
        w->Choix_couleur->setValue(4);
        w->Courant->setChecked(true);
        d->repondre(2);
        w->OK_Click();
        QCOMPARE(d->dernier().texte,
                 u"Disquette protégée en écriture"_s + CR + u"ou fichier verrouillé."_s);
        QCOMPARE(d->dernier().titre, u"Ecriture OPTIONS"_s);
        QCOMPARE(f->palette().color(QPalette::Window), principal);
        QCOMPARE(reglages().répertoire_initial, u"Racine"_s);
        QVERIFY(w->result() == QDialog::Accepted);
        QDir(ini()).removeRecursively();
        ouvrir();
        c->creer_repertoire(u"kaldron/KALDRON.INI"_s);
        dialogues->avant_message = [this] { QDir(ini()).removeRecursively(); };
        d->repondre(4);
        w->OK_Click();
        QCOMPARE(d->questions().size(), 2);
        QCOMPARE(contenu().count('\n'), 9); // la section et ses huit clés
    }

    // Aide : survol, clic pour Label_répertoire, ligne vidée sur OK, F1,
    // texte de repos à la fermeture.
    void aide_contextuelle() {
        charger();
        QString ligne;
        int f1 = 0;
        aide::brancher(
            {[] { return true; }, [&](const QString& t) { ligne = t; }, [&](QWidget*) { ++f1; }});
        ouvrir();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QEnterEvent entree(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QCoreApplication::sendEvent(w->Cachés, &entree);
        QVERIFY(ligne.startsWith(u"  Cette case, si elle est cochée, fera apparaître"_s));
        QVERIFY(ligne.contains(u"'Fichier caché'."_s + CR + u"Cette option est invalidée"_s));
        QCoreApplication::sendEvent(w->OK, &entree);
        QCOMPARE(ligne, QString());
        QTest::mouseClick(w->Label_répertoire, Qt::LeftButton);
        QVERIFY(ligne.contains(u"ouvert au lancement. Le répertoire COURANT"_s));
        QVERIFY(ligne.endsWith(u"tous les autres et le dernier choix vous permet de saisir un "
                               "nom de répertoire existant avec son chemin d'accès."_s));
        QCOMPARE(aide::texte_de(w->Choisi), aide::texte_de(w->Répert_choisi));
        QTest::keyClick(w->Nom_éditeur, Qt::Key_F1);
        QCOMPARE(f1, 1);
        w->OK_Click();
        QCOMPARE(ligne, aide::texte_de_repos());
    }

    // Pages : l'outil du bureau en cours, sinon un outil de tout bureau,
    // sinon celui d'un autre bureau ; rien quand aucun n'est installé.
    void panneaux_systeme() {
        qputenv("XDG_CURRENT_DESKTOP", "X-Cinnamon");
        QCOMPARE(panneaux::candidats(u"Desktop"_s).value(0), u"cinnamon-settings backgrounds"_s);
        qputenv("XDG_CURRENT_DESKTOP", "ubuntu:MATE");
        QCOMPARE(panneaux::candidats(u"Date/Time"_s).mid(0, 3),
                 QStringList(
                     {u"mate-time-admin"_s, u"time-admin"_s, u"gnome-control-center datetime"_s}));
        QVERIFY(panneaux::candidats(u"desktop"_s).isEmpty());

        charger();
        QTemporaryDir chemin;
        qputenv("PATH", QFile::encodeName(chemin.path()));
        qputenv("XDG_CURRENT_DESKTOP", "XFCE");
        QStringList lancees;
        plateforme::installer_demarreur([&](const QString& l) {
            lancees << l;
            return true;
        });
        ouvrir();
        w->Couleurs->click();
        QVERIFY(lancees.isEmpty());
        for (const char* nom :
             {"xfce4-appearance-settings", "system-config-printer", "gnome-control-center"}) {
            QFile outil(chemin.filePath(QString::fromLatin1(nom)));
            QVERIFY(outil.open(QIODevice::WriteOnly));
            QVERIFY(outil.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
        }
        for (QPushButton* b : {w->Couleurs, w->Imprimantes, w->DateHeure, w->Bureau})
            b->click();
        QCOMPARE(lancees, QStringList({u"xfce4-appearance-settings"_s, u"system-config-printer"_s,
                                       u"gnome-control-center datetime"_s,
                                       u"gnome-control-center background"_s}));
    }
};

QTEST_MAIN(TestOptions)
#include "test_options.moc"
