// Éditeur de configuration : boutons, sélections, associations.
#include "essai_fenetre.h"
#include "manager/common/fenetre_principale.h"
#include "manager/configuration/config_kaldron.h"
#include "platform/profil.h"
#include "platform/unites.h"
#include "platform/windows1252.h"
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
const QString CR = QString(QChar(13));
const QString BOUTONS = u"[Boutons]\nA=c:\\a.exe\nB=c:\\b.exe\nC=c:\\c.exe\n"_s;
} // namespace

class TestConfig : public EssaiFenetre {
    Q_OBJECT

    std::unique_ptr<Config_Kaldron> w;

    // KALDRON.INI donné en texte (sauts de ligne "\n"), écrit en Windows-1252.
    void charger(QString kaldron_ini = BOUTONS) {
        c->creer_fichier(u"kaldron/KALDRON.INI"_s,
                         plateforme::vers_1252(kaldron_ini.replace(u"\n"_s, u"\r\n"_s)));
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        w = std::make_unique<Config_Kaldron>(f.get());
        w->Form_Load();
    }
    QByteArray ini() const { return c->contenu(u"kaldron/KALDRON.INI"_s); }
    QString chemin_ini() const { return c->hote(u"kaldron/KALDRON.INI"_s); }
    QStringList cles() const { return plateforme::cles_profil(u"Boutons"_s, 999, chemin_ini()); }
    QString valeur(const QString& cle) const {
        return plateforme::lire_profil(u"Boutons"_s, cle, u"?"_s, 999, chemin_ini());
    }
    QStringList lignes() const {
        QStringList l;
        for (int i = 0; i < w->Liste_conf->count(); ++i)
            l << w->Liste_conf->item(i)->text();
        return l;
    }
    void choisir(int ligne) { w->Liste_conf->setCurrentRow(ligne); }
    void enregistrer(const QString& texte) {
        w->Ligne_conf->setText(texte);
        w->Enregistrer_Click();
    }
    void lecture_seule(bool oui) {
        QFile::setPermissions(chemin_ini(),
                              QFile::ReadOwner | (oui ? QFile::Permissions() : QFile::WriteOwner));
    }

private slots:
    void init() { monter(); }
    void cleanup() {
        w.reset();
        QVERIFY(demonter());
    }

    void trois_listes_data() {
        QTest::addColumn<int>("liste");
        QTest::addColumn<QString>("titre");
        QTest::addColumn<QStringList>("attendu");
        QTest::newRow("boutons") << 0 << u"Liste des Boutons"_s
                                 << QStringList{u"&Calc=c:\\calc.exe"_s};
        QTest::newRow("sélections")
            << 1 << u"Liste des Sélections"_s << QStringList{u"Textes=*.txt"_s, u"Écrits=*.wri"_s};
        QTest::newRow("associations")
            << 2 << u"Liste des Associations"_s << QStringList{u"doc=c:\\w\\winword.exe ^.doc"_s};
    }
    void trois_listes() {
        QFETCH(int, liste);
        QFETCH(QString, titre);
        QFETCH(QStringList, attendu);
        plateforme::ecrire_win_ini(u"Extensions"_s, u"doc"_s, u"c:\\w\\winword.exe ^.doc"_s);
        charger(u"[Boutons]\n&Calc=c:\\calc.exe\n[Sélections]\nTextes=*.txt\nÉcrits=*.wri\n"_s);
        QCOMPARE(w->pos(), position_dialogue(2000, 390));
        choisir(0);
        QVERIFY(w->Effacer->isEnabled());
        QCOMPARE(w->Ligne_conf->cursorPosition(), 0);
        const std::array<QPushButton*, 3> boutons{w->Boutons, w->Sélections, w->Associer};
        boutons[liste]->click();
        QCOMPARE(w->windowTitle(), titre);
        QCOMPARE(lignes(), attendu);
        QVERIFY(w->Ligne_conf->text().isEmpty() && !w->Effacer->isEnabled());
        QVERIFY(w->Liste_conf->selectedItems().isEmpty());
    }

    // Marche arrêtée à la première valeur vide ; valeurs coupées à 79
    // caractères ; noms de clés lus dans la limite de 250 caractères.
    void lecture_des_sections() {
        QString texte = u"[Sélections]\nA=*.a\nVide=\nB=*.b\n[Boutons]\n"_s;
        for (int i = 1; i <= 30; ++i)
            texte += u"cle_%1=%2\n"_s.arg(i, 6, 10, QChar(u'0')).arg(QString(100, u'x'));
        charger(texte);
        // 22 noms de 10 caractères et leur NUL tiennent dans 250 ; le 23e est coupé.
        QCOMPARE(lignes().size(), 22);
        QCOMPARE(lignes().first(), u"cle_000001="_s + QString(79, u'x'));
        w->Sélections_Click();
        QCOMPARE(lignes(), QStringList{u"A=*.a"_s});
    }

    // Parcourir et Enregistrer selon la saisie ; un enregistrement demandé
    // malgré le bouton éteint n'écrit rien.
    void boutons_selon_la_saisie_data() {
        QTest::addColumn<int>("liste");
        QTest::addColumn<QString>("texte");
        QTest::addColumn<bool>("parcourir");
        QTest::addColumn<bool>("enregistrer");
        QTest::newRow("bouton sans égal") << 0 << u"Bloc"_s << false << false;
        QTest::newRow("bouton clé vide") << 0 << u"=c:\\a.exe"_s << false << false;
        QTest::newRow("bouton sans valeur") << 0 << u"Bloc="_s << true << false;
        QTest::newRow("bouton complet") << 0 << u"B=a=b"_s << true << true;
        QTest::newRow("sélection") << 1 << u"Textes=*.txt"_s << false << true;
        QTest::newRow("extension 3 lettres") << 2 << u"txt=x"_s << true << true;
        QTest::newRow("extension 4 lettres") << 2 << u"abcd=c:\\a.exe"_s << false << false;
    }
    void boutons_selon_la_saisie() {
        QFETCH(int, liste);
        QFETCH(QString, texte);
        QFETCH(bool, parcourir);
        QFETCH(bool, enregistrer);
        charger();
        const std::array<QPushButton*, 3> boutons{w->Boutons, w->Sélections, w->Associer};
        boutons[liste]->click();
        w->Ligne_conf->setText(u"Z=z"_s); // part d'un état où tout est actif
        w->Ligne_conf->setText(texte);
        QCOMPARE(w->Parcourir->isEnabled(), parcourir);
        QCOMPARE(w->Enregistrer->isEnabled(), enregistrer);
        if (enregistrer)
            return;
        const QByteArray avant = ini();
        w->Enregistrer_Click();
        QCOMPARE(ini(), avant);
        QVERIFY(plateforme::cles_win_ini(u"Extensions"_s, 250).isEmpty());
        QCOMPARE(lignes().size(), liste == 0 ? 3 : 0);
    }

    // Modifier un bouton l'efface puis l'écrit : il passe en dernier, dans
    // la liste comme dans le fichier ; le reste du fichier ne bouge pas.
    void changer_un_bouton_le_met_en_dernier() {
        charger(BOUTONS + u"[Options]\nEditeur=ED.EXE\n"_s);
        choisir(0);
        enregistrer(u"  A =c:\\z.exe "_s);
        QCOMPARE(lignes(), QStringList({u"B=c:\\b.exe"_s, u"C=c:\\c.exe"_s, u"A=c:\\z.exe"_s}));
        QCOMPARE(cles(), QStringList({u"B"_s, u"C"_s, u"A"_s}));
        QCOMPARE(valeur(u"A"_s), u"c:\\z.exe"_s);
        QVERIFY(ini().contains("[Options]\r\nEditeur=ED.EXE\r\n"));
        QVERIFY(w->Ligne_conf->text().isEmpty() && !w->Effacer->isEnabled());
        // Plus rien n'est choisi : l'enregistrement suivant n'efface rien.
        enregistrer(u"D=c:\\d.exe"_s);
        QCOMPARE(cles(), QStringList({u"B"_s, u"C"_s, u"A"_s, u"D"_s}));
        choisir(0);
        w->Effacer->click();
        QCOMPARE(cles(), QStringList({u"C"_s, u"A"_s, u"D"_s}));
        QCOMPARE(lignes().size(), 3);
    }

    // Sans ligne choisie, une clé existante : la valeur est remplacée dans le
    // fichier, mais la liste garde les deux lignes jusqu'à la relecture.
    void cle_en_double_sans_choix() {
        charger(u"[Boutons]\nBloc=c:\\a.exe\nZip=c:\\zip.exe\n"_s);
        enregistrer(u"Bloc=c:\\b.exe"_s);
        QCOMPARE(lignes(),
                 QStringList({u"Bloc=c:\\a.exe"_s, u"Zip=c:\\zip.exe"_s, u"Bloc=c:\\b.exe"_s}));
        QCOMPARE(ini().count("Bloc="), 1);
        QCOMPARE(valeur(u"Bloc"_s), u"c:\\b.exe"_s);
    }

    // Une valeur montrée coupée : renommer sa clé sans toucher la valeur ne
    // la tronque pas dans le fichier ; une valeur retapée s'écrit telle quelle.
    void valeur_longue_gardee_entiere() {
        const QString longue = u"c:\\"_s + QString(120, u'p') + u".exe"_s;
        charger(u"[Boutons]\nLong="_s + longue + u"\nZip=c:\\zip.exe\n"_s);
        choisir(0);
        enregistrer(u"Court"_s + w->Ligne_conf->text().mid(4));
        QCOMPARE(valeur(u"Court"_s), longue);
        QCOMPARE(lignes().last(), u"Court="_s + longue.left(79));
        choisir(1);
        enregistrer(u"Court="_s + longue.left(60));
        QCOMPARE(valeur(u"Court"_s), longue.left(60));
    }

    // Une ligne qui abîmerait le fichier est refusée avant que l'ancienne
    // ligne choisie ne soit effacée.
    void lignes_dangereuses_refusees_data() {
        QTest::addColumn<QString>("texte");
        QTest::addColumn<QString>("motif");
        QTest::newRow("saut de ligne")
            << u"A=x.exe\r\n[Options]\r\nEditeur=virus.exe"_s << u"saut de ligne"_s;
        QTest::newRow("valeur de blancs") << u"A=   "_s << u"valeur"_s;
        QTest::newRow("clé de blancs") << u"   =x.exe"_s << u"clé"_s;
        QTest::newRow("clé en section") << u"[A]=x.exe"_s << u"'['"_s;
        QTest::newRow("clé en commentaire") << u";A=x.exe"_s << u"';'"_s;
        QTest::newRow("hors Windows-1252") << u"A=c:\\日本.exe"_s << u"'日'"_s;
    }
    void lignes_dangereuses_refusees() {
        QFETCH(QString, texte);
        QFETCH(QString, motif);
        charger();
        const QByteArray avant = ini();
        choisir(0);
        d->repondre(1);
        enregistrer(texte);
        QCOMPARE(d->bips(), 1);
        QCOMPARE(d->dernier().titre, u"CONFIG-Enregistrer"_s);
        QCOMPARE(d->dernier().style, plateforme::MB_OK + plateforme::MB_EXCLAMATION);
        QVERIFY(d->dernier().texte.startsWith(u"Ligne non enregistrée :"_s + CR));
        QVERIFY2(d->dernier().texte.contains(motif), qPrintable(d->dernier().texte));
        QCOMPARE(ini(), avant);
        QCOMPARE(lignes().size(), 3);
        QVERIFY(!w->modifié);
    }

    // Fichier protégé : le rapport d'erreur propose de recommencer ; sur
    // Annuler, rien n'est perdu ni montré comme enregistré.
    void ecriture_impossible() {
        charger();
        lecture_seule(true);
        d->repondre(plateforme::REP_REESSAYER);
        d->repondre(plateforme::REP_ANNULER);
        enregistrer(u"D=c:\\d.exe"_s);
        QCOMPARE(d->questions().size(), 2);
        QCOMPARE(d->dernier().titre, u"CONFIG-Enregistrer"_s);
        QCOMPARE(d->dernier().texte,
                 u"Disquette protégée en écriture"_s + CR + u"ou fichier verrouillé."_s);
        QCOMPARE(lignes().size(), 3);
        QCOMPARE(w->Ligne_conf->text(), u"D=c:\\d.exe"_s);
        choisir(0);
        d->repondre(plateforme::REP_ANNULER);
        w->Effacer_Click();
        QCOMPARE(d->dernier().titre, u"CONFIG-Effacer"_s);
        QCOMPARE(lignes().first(), u"A=c:\\a.exe"_s);
        QVERIFY(!w->modifié);
        lecture_seule(false);
        enregistrer(u"A=c:\\z.exe"_s);
        QCOMPARE(cles(), QStringList({u"B"_s, u"C"_s, u"A"_s}));
    }

    void parcourir_compose_la_ligne_data() {
        QTest::addColumn<bool>("associations");
        QTest::addColumn<QString>("saisie");
        QTest::addColumn<QString>("titre");
        QTest::addColumn<QString>("filtre");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("bouton")
            << false << u"Bloc=ancien"_s << u"Parcourir pour le bouton 'Bloc'"_s
            << u"Tous les fichiers (*.*)|*.*|Programmes|*.exe; *.com; *.bat; *.pif|Fichiers "
               u"texte|*.txt; *.doc; *.wri; *.bat; *.ini"_s
            << u"Bloc=c:\\windows\\notepad.exe"_s;
        QTest::newRow("association")
            << true << u"txt="_s << u"Parcourir pour les fichiers de type 'txt'"_s
            << u"Programmes|*.exe; *.com; *.bat; *.pif|Tous les fichiers (*.*)|*.*"_s
            << u"txt=c:\\windows\\notepad.exe ^.txt"_s;
    }
    void parcourir_compose_la_ligne() {
        QFETCH(bool, associations);
        QFETCH(QString, saisie);
        QFETCH(QString, titre);
        QFETCH(QString, filtre);
        QFETCH(QString, attendu);
        c->creer_fichier(u"WINDOWS/NOTEPAD.EXE"_s);
        charger();
        if (associations)
            w->Associer_Click();
        w->Ligne_conf->setText(saisie);
        d->repondre_fichier(c->hote(u"WINDOWS/NOTEPAD.EXE"_s));
        w->Parcourir->click();
        QCOMPARE(d->dernier().titre, titre);
        QCOMPARE(d->dernier().texte, filtre);
        QCOMPARE(w->Ligne_conf->text(), attendu);
        QVERIFY(w->Enregistrer->isEnabled());
        // Annulé : la ligne reste.
        d->repondre_fichier(QString());
        w->Parcourir_Click();
        QCOMPARE(w->Ligne_conf->text(), attendu);
    }

    // Un fichier qu'aucune unité ne couvre n'a pas de chemin DOS : refusé.
    void parcourir_hors_des_unites() {
        charger();
        w->Ligne_conf->setText(u"Bloc=c:\\a.exe"_s);
        auto& table = plateforme::TableUnites::instance();
        const std::optional<QString> z = table.repertoire(u'Z');
        table.retirer(u'Z');
        QTemporaryDir ailleurs;
        d->repondre_fichier(ailleurs.filePath(u"prog.exe"_s));
        d->repondre(1);
        w->Parcourir_Click();
        if (z)
            table.ajouter(u'Z', *z);
        QCOMPARE(d->bips(), 1);
        QVERIFY(d->dernier().texte.endsWith(CR + ailleurs.filePath(u"prog.exe"_s)));
        QCOMPARE(w->Ligne_conf->text(), u"Bloc=c:\\a.exe"_s);
    }

    // L'association va dans WIN.INI, là où le lancement des documents la
    // lit ; KALDRON.INI n'est pas touché et Fin ne demande pas de relance.
    void association_txt_sans_relance() {
        charger();
        const QByteArray avant = ini();
        w->Associer->click();
        enregistrer(u"txt=c:\\outils\\ed.exe ^.txt"_s);
        QCOMPARE(plateforme::lire_win_ini(u"Extensions"_s, u"txt"_s, QString(), 128),
                 u"c:\\outils\\ed.exe ^.txt"_s);
        QCOMPARE(lignes(), QStringList{u"txt=c:\\outils\\ed.exe ^.txt"_s});
        QCOMPARE(ini(), avant);
        w->Fin->click();
        QVERIFY(d->questions().isEmpty());
    }

    void relance_a_la_fermeture_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<bool>("relance");
        QTest::newRow("rien") << u"rien"_s << false;
        QTest::newRow("sélection effacée") << u"effacer"_s << true;
        // Choisir les associations efface le drapeau de relance.
        QTest::newRow("bouton puis associations") << u"puis associer"_s << false;
        QTest::newRow("associations puis bouton") << u"associer puis"_s << true;
    }
    void relance_a_la_fermeture() {
        QFETCH(QString, scenario);
        QFETCH(bool, relance);
        charger(BOUTONS + u"[Sélections]\nTextes=*.txt\n"_s);
        if (scenario == u"associer puis"_s)
            w->Associer_Click();
        if (scenario.contains(u"associer"_s)) {
            w->Boutons_Click();
            enregistrer(u"D=c:\\d.exe"_s);
        } else if (scenario == u"effacer"_s) {
            w->Sélections_Click();
            choisir(0);
            w->Effacer_Click();
        }
        if (scenario == u"puis associer"_s)
            w->Associer_Click();
        if (relance)
            d->repondre(1);
        w->Fin_Click();
        QCOMPARE(d->bips(), relance ? 1 : 0);
        if (relance) {
            QCOMPARE(d->dernier().texte, u"KALDRON doit être relancé pour prendre en compte les "
                                         u"modifications effectuées."_s);
            QCOMPARE(d->dernier().titre, u"Gestionnaire de fichiers"_s);
            QCOMPARE(d->dernier().style, plateforme::MB_OK + plateforme::MB_INFORMATION);
        }
    }

    // Par le bouton : fenêtre modale, Permuter éteint pendant, rendu après ;
    // refusée pendant une autre commande.
    void configurer_par_le_bouton() {
        charger();
        w.reset();
        bool ouverte = false;
        QTimer::singleShot(0, this, [&] {
            auto* fenetre = dynamic_cast<Config_Kaldron*>(QApplication::activeModalWidget());
            if (!fenetre)
                return;
            ouverte = fenetre->Liste_conf->count() == 3 && !f->Croiser->isEnabled() &&
                      etat_commande().commande_en_cours;
            fenetre->Fin->click();
            if (fenetre->isVisible())
                fenetre->done(0);
        });
        f->show();
        f->Configurer->click();
        QVERIFY(ouverte);
        QVERIFY(f->Croiser->isEnabled() && !etat_commande().commande_en_cours);

        etat_commande().commande_en_cours = true;
        etat_commande().commande_courante = u"COPIER"_s;
        ouverte = false;
        QTimer::singleShot(0, this, [&] {
            if (QWidget* fenetre = QApplication::activeModalWidget()) {
                ouverte = true;
                fenetre->close();
            }
        });
        f->Configurer_Click();
        QCoreApplication::processEvents();
        QVERIFY(!ouverte);
        QCOMPARE(d->bips(), 1);
        QCOMPARE(etat_commande().commande_courante, u"COPIER"_s);
    }
};

QTEST_MAIN(TestConfig)
#include "test_config.moc"
