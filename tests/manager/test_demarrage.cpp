// Démarrage de la fenêtre principale selon KALDRON.INI, couleurs, sortie.
#include "manager/common/etat_commande.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/apropos.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/chemins.h"
#include "platform/fichiers.h"
#include "platform/formats.h"
#include "platform/options_terminal.h"
#include "support/dialogues_scriptes.h"
#include "support/unite_temporaire.h"
#include <QDate>
#include <QDir>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>
#include <sys/inotify.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {
const QString CR = QString(QChar(13));

QColor palette16(int n) {
    static const QRgb p[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                               0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                               0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    return QColor(p[n]);
}

int boutons_visibles(const Gestion_Fichiers& f) {
    int n = 0;
    for (int i = 1; i <= 7; ++i)
        n += f.Bouton[i]->isVisibleTo(&f) ? 1 : 0;
    return n;
}
// Ouvertures du répertoire 'chemin' lui-même pendant 'action' : chaque
// lecture de ses entrées en est une. Les fermetures sont suivies aussi, sans
// quoi le noyau fondrait les ouvertures successives en une seule.
int ouvertures_pendant(const QString& chemin, const std::function<void()>& action) {
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0 || ::inotify_add_watch(fd, QFile::encodeName(chemin).constData(),
                                      IN_OPEN | IN_CLOSE_NOWRITE) < 0)
        qFatal("inotify indisponible");
    action();
    int n = 0;
    alignas(inotify_event) char tampon[65536];
    for (ssize_t lus; (lus = ::read(fd, tampon, sizeof tampon)) > 0;) {
        for (ssize_t i = 0; i < lus;) {
            const auto* e = reinterpret_cast<const inotify_event*>(tampon + i);
            n += e->len == 0 && (e->mask & IN_OPEN) ? 1 : 0;
            i += ssize_t(sizeof(inotify_event) + e->len);
        }
    }
    ::close(fd);
    return n;
}
} // namespace

class TestDemarrage : public QObject {
    Q_OBJECT

    std::unique_ptr<essai::UniteTemporaire> c;
    std::unique_ptr<essai::DialoguesScriptes> d;

    // KALDRON.INI écrit à la main, en Windows-1252, dans le répertoire du programme.
    void ecrire_ini(const QString& texte) {
        c->creer_fichier(u"kaldron/KALDRON.INI"_s, texte.toLatin1());
    }

    std::unique_ptr<Gestion_Fichiers> charger() {
        auto f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        return f;
    }

private slots:
    void init() {
        etat_commande().reinitialiser();
        reglages().reinitialiser();
        c = std::make_unique<essai::UniteTemporaire>();
        c->creer_repertoire(u"kaldron"_s);
        qputenv("KALDRON_PROGRAMME", c->hote(u"kaldron"_s).toUtf8());
        d = std::make_unique<essai::DialoguesScriptes>();
    }
    void cleanup() {
        // Tout défaire avant de juger : un échec ne doit pas laisser de
        // dialogues réels pour l'essai suivant.
        const bool sans_anomalie = d->verifier();
        d.reset();
        c.reset();
        qunsetenv("KALDRON_PROGRAMME");
        QVERIFY(sans_anomalie);
    }

    void sans_fichier_de_configuration() {
        auto f = charger();
        const Reglages& r = reglages();
        QCOMPARE(r.chemin_configuration, u"C:\\kaldron\\KALDRON.INI"_s);
        QCOMPARE(r.unité_programme, u"C:"_s);
        QCOMPARE(r.préfixe_fichiers, u"C:\\kaldron\\KALDRON."_s);
        QCOMPARE(r.éditeur, u"NOTEPAD.EXE"_s);
        QCOMPARE(r.visualiseur, u"MORVINE.EXE"_s);
        QVERIFY(!r.confirme);
        QVERIFY(r.remplace);
        QCOMPARE(r.aide_en_ligne, u"Non"_s);
        QVERIFY(!r.corbeille_active);
        QCOMPARE(r.largeur_bordure, 3);
        QCOMPARE(f->palette().color(QPalette::Window), palette16(8));
        QCOMPARE(f->lignes_cadres[0]->borderColor(), palette16(7));
        QCOMPARE(f->Chemin_srce->text(), u"c:\\"_s);
        QCOMPARE(f->Chemin_dest->text(), u"c:\\"_s);
        QCOMPARE(f->Sélection_fichiers->count(), 0);
        QCOMPARE(boutons_visibles(*f), 0);
        QVERIFY(!f->Bouton_suite->isVisibleTo(f.get()));
        QVERIFY(etat_commande().commande_courante.isEmpty());
        QCOMPARE(f->légende_sauvée, u"Gestionnaire de fichiers  (Mode fichier)   "_s);
        QVERIFY(f->liste_rep_périmée[0] && f->liste_rep_périmée[1]);
        QVERIFY(f->Espace_libre->text().endsWith(u" Ko libres "_s));
        QVERIFY(!QFile::exists(c->hote(u"kaldron/KALDRON.INI"_s))); // rien n'est écrit
    }

    // En icône, l'accueil ne met pas son titre en page (le texte riche
    // ferait charger les polices pour rien) ; montré, il porte nom et version.
    void accueil_en_icone_sans_titre() {
        Apropos accueil;
        accueil.setWindowState(Qt::WindowMinimized);
        accueil.show();
        QVERIFY(accueil.Titre->text().isEmpty());
        accueil.setWindowState(Qt::WindowNoState);
        QVERIFY(accueil.Titre->text().startsWith(u"<h2>KALDRON</h2>"_s));
        QVERIFY(accueil.Titre->text().contains(u"version "_s + plateforme::version()));
        Apropos montre;
        montre.show();
        QCOMPARE(montre.Titre->text(), accueil.Titre->text());
    }

    // Au chargement, rien ne change sur le disque : chaque liste (répertoires
    // et fichiers, SOURCE et DESTINATION) ne lit qu'une fois la racine, malgré
    // les étapes qui la redemandent (répertoire, motif, relecture finale).
    void racine_lue_une_fois_par_liste() {
        c->creer_fichier(u"A_LIRE.TXT"_s, "x");
        c->creer_repertoire(u"SOUS"_s);
        auto f = std::make_unique<Gestion_Fichiers>();
        const int ouvertures = ouvertures_pendant(c->hote(QString()), [&] { f->Form_Load(true); });
        QVERIFY2(ouvertures <= 4, qPrintable(QString::number(ouvertures)));
        for (auto* liste : {f->Fichier_srce, f->Fichier_dest})
            QCOMPARE(liste->list(0), u"A_LIRE.TXT"_s);
        QCOMPARE(f->Fichier_srce->selectedItems().size(), 1);
        for (auto* liste : {f->Répertoire_srce, f->Répertoire_dest})
            QVERIFY(liste->count() >= 2);
        // Passé le chargement, une relecture lit de nouveau le disque.
        c->creer_fichier(u"NOUVEAU.TXT"_s, "x");
        f->Rafraichir_affichage();
        QCOMPARE(f->Fichier_srce->listCount(), 2);
    }

    void options_lues() {
        ecrire_ini(u"[Options]\r\nEditeur=c:\\outils\\ed.exe\r\nVisualiseur=\r\nConfirme=oui\r\n"
                   "Remplace=Non\r\nAide en ligne=Oui\r\n"_s);
        auto f = charger();
        const Reglages& r = reglages();
        QCOMPARE(r.éditeur, u"C:\\OUTILS\\ED.EXE"_s);
        QCOMPARE(r.visualiseur, QString()); // présente et vide : nom vide
        QVERIFY(r.confirme);                // "oui" en minuscules compte
        QVERIFY(!r.remplace);
        QCOMPARE(r.aide_en_ligne, u"Oui"_s);
    }

    void editeur_coupe_a_249_caracteres() {
        ecrire_ini(u"[Options]\r\nEditeur="_s + QString(300, u'e') + u"\r\n"_s);
        auto f = charger();
        QCOMPARE(reglages().éditeur, QString(249, u'E'));
    }

    void couleurs_data() {
        QTest::addColumn<QString>("valeur");
        QTest::addColumn<int>("schema");
        QTest::newRow("3") << u"3"_s << 3;
        QTest::newRow("9 ramené à 7") << u"9"_s << 7;
        QTest::newRow("12 lu comme 1") << u"12"_s << 1;
        QTest::newRow("7") << u"7"_s << 7;
    }
    void couleurs() {
        QFETCH(QString, valeur);
        QFETCH(int, schema);
        ecrire_ini(u"[Options]\r\nCouleur="_s + valeur + u"\r\n"_s);
        auto f = charger();
        QCOMPARE(reglages().couleur, schema);
        QCOMPARE(f->palette().color(QPalette::Window), palette16(schema));
        QCOMPARE(f->Cadre_srce->palette().color(QPalette::Window), palette16(schema));
        QCOMPARE(f->En_cours->palette().color(QPalette::Window), palette16(schema));
        for (Ligne* l : f->lignes_cadres)
            QCOMPARE(l->borderColor(), palette16(schema + 8));
        QCOMPARE(f->Jauge->palette().color(QPalette::Highlight), palette16(schema == 1 ? 8 : 9));
    }

    void boutons_data() {
        QTest::addColumn<int>("cles");
        QTest::addColumn<int>("visibles");
        QTest::addColumn<bool>("suite");
        QTest::newRow("7") << 7 << 7 << false;
        QTest::newRow("8") << 8 << 7 << true;
        QTest::newRow("9") << 9 << 7 << true;
        QTest::newRow("2") << 2 << 2 << false;
    }
    void boutons() {
        QFETCH(int, cles);
        QFETCH(int, visibles);
        QFETCH(bool, suite);
        QString ini = u"[Boutons]\r\n"_s;
        for (int i = 1; i <= cles; ++i)
            ini += u"&B%1=c:\\prog%1.exe\r\n"_s.arg(i);
        ecrire_ini(ini);
        auto f = charger();
        QCOMPARE(boutons_visibles(*f), visibles);
        QCOMPARE(f->Bouton_suite->isVisibleTo(f.get()), suite);
        QCOMPARE(f->Bouton[1]->text(), u"&B1"_s);
        QCOMPARE(f->compteur_boutons, visibles + 1);
    }

    // Chaque bouton de commande porte sa bulle une fois la fenêtre chargée.
    void bulles_data() {
        QTest::addColumn<QString>("bouton");
        QTest::addColumn<QString>("bulle");
        QTest::newRow("Corbeill") << u"Corbeill"_s
                                  << u"paramètrer la corbeille ou récupérer des fichiers"_s;
        QTest::newRow("Créer") << u"Créer"_s << u"créer un réperoire sous le répertoire actuel"_s;
        QTest::newRow("Imprimer") << u"Imprimer"_s << u"imprimer les fichiers sélectionnés"_s;
        QTest::newRow("Prompt") << u"Prompt"_s << u"ouverture d'une ligne de commande DOS"_s;
    }
    void bulles() {
        QFETCH(QString, bouton);
        QFETCH(QString, bulle);
        auto f = charger();
        const auto* b = f->findChild<QPushButton*>(bouton);
        QVERIFY(b);
        QCOMPARE(b->toolTip(), bulle);
    }

    void corbeille_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<bool>("active");
        QTest::addColumn<int>("taille");
        QTest::addColumn<int>("temps");
        QTest::newRow("taille et temps") << u"Taille=500\r\nTemps=30\r\n"_s << true << 500 << 0;
        QTest::newRow("temps seul") << u"Temps=30\r\n"_s << true << 0 << 30;
        QTest::newRow("ni l'un ni l'autre") << u"Total= 12\r\n"_s << false << 0 << 0;
        // Hors des bornes : corbeille hors service, un message, rien détruit.
        QTest::newRow("taille de 6 chiffres") << u"Taille=123456\r\n"_s << false << 0 << 0;
        QTest::newRow("taille -1") << u"Taille=-1\r\n"_s << false << 0 << 0;
        QTest::newRow("taille 0") << u"Taille=0\r\nTemps=30\r\n"_s << false << 0 << 0;
        QTest::newRow("taille 12k") << u"Taille=12k\r\n"_s << false << 0 << 0;
        QTest::newRow("temps -1") << u"Temps=-1\r\n"_s << false << 0 << 0;
        QTest::newRow("temps 40000") << u"Temps=40000\r\n"_s << false << 0 << 0;
        QTest::newRow("taille 9999") << u"Taille=9999\r\n"_s << true << 9999 << 0;
        QTest::newRow("temps 999") << u"Temps=999\r\n"_s << true << 0 << 999;
    }
    void corbeille() {
        QFETCH(QString, section);
        QFETCH(bool, active);
        QFETCH(int, taille);
        QFETCH(int, temps);
        // Trois fichiers stockés, vieux de dix jours, de 3 000 octets chacun.
        const qint64 jour = plateforme::numero_jour(QDate::currentDate()) - 10;
        QByteArray index;
        for (int i = 0; i < 3; ++i) {
            const QString nom = u"crb%1.00%2"_s.arg(jour).arg(i);
            c->creer_fichier(u"doc/"_s + nom, QByteArray(3000, 'x'));
            plateforme::definir_attributs(c->dos(u"doc\\"_s + nom),
                                          plateforme::ATTR_CACHE | plateforme::ATTR_LECTURE_SEULE);
            index += (nom + u" 00003000 f%1 "_s.arg(i) + c->dos(u"doc\\"_s) + u"\r\n"_s).toUtf8();
        }
        c->creer_fichier(u"KALDRON.CRB"_s, index);
        ecrire_ini(u"[Corbeille]\r\n"_s + section);
        const bool hors_bornes =
            !active && section.contains(u'=') && !section.startsWith(u"Total"_s);
        if (hors_bornes)
            d->repondre(plateforme::REP_OK);
        auto f = charger();
        QCOMPARE(reglages().corbeille_active, active);
        QCOMPARE(int(reglages().taille_corbeille), taille);
        QCOMPARE(int(reglages().temps_corbeille), temps);
        // Temps n'est pas même lu quand Taille est là.
        if (taille)
            QVERIFY(reglages().temps_corbeille_texte.isEmpty());
        if (hors_bornes) {
            QVERIFY(d->dernier().texte.contains(u"hors service"_s));
            QCOMPARE(c->contenu(u"KALDRON.CRB"_s), index);
        }
        // Aucune de ces limites ne détruit : dix jours, 9 000 octets.
        QCOMPARE(QDir(c->hote(u"doc"_s)).entryList(QDir::Files | QDir::Hidden).size(), 3);
    }

    void selections_arretees_a_une_valeur_vide() {
        ecrire_ini(u"[Sélections]\r\nTextes=*.txt\r\nImages=*.bmp;*.gif\r\nVide=\r\n"
                   "Après=*.doc\r\n"_s);
        auto f = charger();
        QCOMPARE(f->Sélection_fichiers->count(), 3);
        QCOMPARE(f->Sélection_fichiers->itemText(1), u"Images"_s);
        QCOMPARE(f->Liste_sel, (QStringList{u"*.txt"_s, u"*.bmp;*.gif"_s, QString()}));
    }

    void repertoire_initial_data() {
        QTest::addColumn<QString>("valeur");
        QTest::addColumn<QString>("chemin");
        QTest::addColumn<bool>("message");
        // Le champ montre la casse du disque, pas celle de la valeur lue.
        QTest::newRow("dossier") << u"c:\\TRAVAIL"_s << u"c:\\Travail"_s << false;
        QTest::newRow("racine") << u"RACINE"_s << u"c:\\"_s << false;
        QTest::newRow("unité absente") << u"q:\\rien"_s << u"c:\\"_s << true;
        QTest::newRow("dossier absent") << u"c:\\absent"_s << u"c:\\"_s << true;
    }
    void repertoire_initial() {
        QFETCH(QString, valeur);
        QFETCH(QString, chemin);
        QFETCH(bool, message);
        c->creer_repertoire(u"Travail"_s);
        ecrire_ini(u"[Options]\r\nRépertoire="_s + valeur + u"\r\n"_s);
        if (message)
            d->repondre(1);
        auto f = charger();
        QCOMPARE(f->Chemin_srce->text(), chemin);
        QCOMPARE(f->Chemin_dest->text(), chemin);
        QCOMPARE(f->Répertoire_srce->path().toLower(), chemin.toLower());
        QCOMPARE(f->Fichier_dest->path().toLower(), chemin.toLower());
        QCOMPARE(d->questions().size(), message ? 1 : 0);
        if (message) {
            QCOMPARE(d->dernier().texte, u"Unité, Chemin ou Nom de répertoire incorrect :"_s + CR +
                                             u" Modifiez l'option 'Répertoire initial'."_s);
            QCOMPARE(d->dernier().style, 48);
            QCOMPARE(d->dernier().titre, u"Gestionnaire de fichiers"_s);
            QCOMPARE(d->bips(), 1);
        }
    }

    void repertoire_sur_une_autre_unite() {
        essai::UniteTemporaire unite_d(u'D');
        unite_d.creer_repertoire(u"travail"_s);
        ecrire_ini(u"[Options]\r\nRépertoire=d:\\travail\r\n"_s);
        auto f = charger();
        QCOMPARE(f->Chemin_srce->text(), u"d:\\travail"_s);
        QCOMPARE(f->Unité_srce->drive().left(2).toLower(), u"d:"_s);
        QCOMPARE(f->Unité_dest->drive().left(2).toLower(), u"d:"_s);
    }

    // Lancé dans un répertoire, le programme y ouvre ses listes, et les
    // champs disent la même chose qu'elles.
    void repertoire_courant_data() {
        QTest::addColumn<QString>("lancement"); // "X:" + chemin relatif de l'hôte
        QTest::addColumn<QString>("chemin");
        QTest::newRow("sous-répertoire") << u"C:ici"_s << u"c:\\ici"_s;
        QTest::newRow("autre unité") << u"D:la/bas"_s << u"d:\\la\\bas"_s;
        // Un nom que DOS ne sait pas dire : son parent le plus proche.
        QTest::newRow("nom inexprimable") << u"C:ici/a:b"_s << u"c:\\ici"_s;
        // Sur aucune unité : la racine de l'unité par défaut.
        QTest::newRow("hors des unités") << QString() << u"c:\\"_s;
    }
    void repertoire_courant() {
        QFETCH(QString, lancement);
        QFETCH(QString, chemin);
        essai::UniteTemporaire unite_d(u'D');
        QTemporaryDir ailleurs;
        c->creer_repertoire(u"ici/a:b"_s);
        unite_d.creer_repertoire(u"la/bas"_s);
        const QString avant = QDir::currentPath();
        const essai::UniteTemporaire& u = lancement.startsWith(u'D') ? unite_d : *c;
        QDir::setCurrent(lancement.isEmpty() ? ailleurs.path() : u.hote(lancement.mid(2)));
        plateforme::adopter_repertoire_du_processus(); // ce que fait le démarrage
        ecrire_ini(u"[Options]\r\nRépertoire=courant\r\n"_s);
        auto f = charger();
        QDir::setCurrent(avant);
        for (const QString& montre :
             {f->Chemin_srce->text(), f->Chemin_dest->text(), f->Répertoire_srce->path(),
              f->Fichier_srce->path(), f->Répertoire_dest->path(), f->Fichier_dest->path()})
            QCOMPARE(montre.toLower(), chemin);
        QCOMPARE(f->Unité_srce->drive().left(2).toLower(), chemin.left(2));
        QVERIFY(d->questions().isEmpty());
    }

    void quitter_data() {
        QTest::addColumn<int>("reponse");
        QTest::addColumn<bool>("reste");
        QTest::newRow("oui") << 6 << false;
        QTest::newRow("non") << 7 << true;
    }
    void quitter() {
        QFETCH(int, reponse);
        QFETCH(bool, reste);
        auto f = charger();
        f->show();
        d->repondre(reponse);
        f->close(); // fermeture de la fenêtre : même question
        QCOMPARE(f->isVisible(), reste);
        QCOMPARE(d->dernier().texte,
                 u"Voulez-vous QUITTER"_s + CR + u"le Gestionnaire de fichiers ?"_s);
        QCOMPARE(d->dernier().style, 4 + 32 + 256);
        QCOMPARE(d->dernier().titre, u"Gestionnaire de fichiers"_s);
        QCOMPARE(etat_commande().réponse_de_commande, reponse);
        QCOMPARE(d->bips(), 1);
    }

    // Ni une commande en cours ni l'affichage d'une recherche ne quittent.
    void quitter_sans_question() {
        auto f = charger();
        f->show();
        etat_commande().commande_en_cours = true;
        f->Quitter->click();
        f->close();
        QVERIFY(f->isVisible());
        etat_commande().commande_en_cours = false;
        etat_commande().mode_recherche = true;
        f->close();
        QVERIFY(f->isVisible());
        QVERIFY(!etat_commande().mode_recherche); // retour à l'affichage normal
        QVERIFY(d->questions().isEmpty());
    }

    void arret_pose_la_demande() {
        auto f = charger();
        f->Arret_Click();
        QVERIFY(etat_commande().demande_d_arrêt);
        f->Rafraichir_affichage();
        QVERIFY(!etat_commande().demande_d_arrêt);
    }

    void rafraichir_garde_l_entree_courante() {
        c->creer_fichier(u"a.txt"_s);
        c->creer_fichier(u"b.txt"_s);
        c->creer_fichier(u"c.txt"_s);
        auto f = charger();
        f->Fichier_srce->setListIndex(2);
        etat_commande().commande_courante = u"COPIER"_s;
        etat_commande().commande_en_cours = true;
        c->creer_fichier(u"0.txt"_s); // la liste relue gagne une entrée
        QFile::remove(c->hote(u"b.txt"_s));
        QFile::remove(c->hote(u"c.txt"_s));
        f->Rafraichir_affichage();
        QCOMPARE(f->Fichier_srce->listIndex(), 1); // borné à la dernière entrée
        QCOMPARE(etat_commande().fichier_courant, u"a.txt"_s);
        QCOMPARE(etat_commande().chemin_source, u"C:\\a.txt"_s);
        QVERIFY(etat_commande().commande_courante.isEmpty());
        QVERIFY(!etat_commande().commande_en_cours);
    }

    void iconisee_puis_restauree_data() {
        QTest::addColumn<bool>("au_depart");
        QTest::newRow("après le démarrage") << false;
        QTest::newRow("dès le démarrage") << true;
    }
    void iconisee_puis_restauree() {
        QFETCH(bool, au_depart);
        if (au_depart)
            reglages().iconisé = u"Oui"_s; // lu par l'écran d'accueil
        auto f = charger();
        f->show();
        if (!au_depart)
            f->setWindowState(Qt::WindowMinimized);
        QVERIFY(f->windowState() & Qt::WindowMinimized);
        QCOMPARE(f->windowTitle(), u"KALDRON"_s);
        f->setWindowState(Qt::WindowNoState);
        QCOMPARE(f->windowTitle(), u"Gestionnaire de fichiers  (Mode fichier)   "_s);
    }

    void taille_et_place_fixes() {
        auto f = charger();
        f->show();
        const QSize taille = f->size();
        const QPoint place((f->screen()->geometry().width() - taille.width()) / 2 +
                               plateforme::twips_vers_pixels_x(8),
                           plateforme::twips_vers_pixels_y(100));
        f->resize(taille.width() + 100, taille.height() + 50);
        f->move(place + QPoint(40, 40));
        QTRY_COMPARE(f->pos(), place);
        QCOMPARE(f->size(), taille);
    }

    void seconde_copie_refusee() {
        d->repondre(1);
        QVERIFY(refuser_seconde_copie(true));
        QCOMPARE(d->dernier().texte, u"Le gestionnaire de fichiers est déjà chargé."_s);
        QCOMPARE(d->dernier().style, 0);
        QCOMPARE(d->bips(), 1);
        QVERIFY(!refuser_seconde_copie(false));

        // Un verrou impossible à prendre n'est pas une copie déjà chargée.
        using Acquisition = plateforme::InstanceUnique::Acquisition;
        const QString raison = u"Le verrou kaldron-1000.lock ne peut être pris dans le "
                               u"répertoire /run/user/1000 : Disque plein."_s;
        d->repondre(1);
        QVERIFY(refuser_demarrage(Acquisition::Impossible, raison));
        QCOMPARE(d->dernier().texte,
                 u"Le gestionnaire de fichiers ne peut pas démarrer."_s + QChar(13) + raison);
        QCOMPARE(d->dernier().style, plateforme::MB_STOP);
        QCOMPARE(d->bips(), 2);
        d->repondre(1);
        QVERIFY(refuser_demarrage(Acquisition::AutreCopie, {}));
        QCOMPARE(d->dernier().texte, u"Le gestionnaire de fichiers est déjà chargé."_s);
        QVERIFY(!refuser_demarrage(Acquisition::Premiere, {}));
        QCOMPARE(d->questions().size(), 3);
    }
};

QTEST_MAIN(TestDemarrage)
#include "test_demarrage.moc"
