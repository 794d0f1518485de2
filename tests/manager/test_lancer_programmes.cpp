// VISUALISER, EDITER, EXECUTER et double clic : lignes lancées, lots de
// moins de 126 caractères, associations, échecs ; un vrai lancement final.
#include "essai_fenetre.h"
#include "platform/chemins.h"
#include "platform/lancement.h"
#include "platform/profil.h"
#include <QFile>
#include <QFileInfo>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
const QString CR = QString(QChar(13));
} // namespace

class TestLancerProgrammes : public EssaiFenetre {
    Q_OBJECT

    QStringList lances; // lignes reçues par le démarreur
    bool trouve = true; // faux : tout programme est introuvable (53)

    // SOURCE sur C:\doc, qui contient 'fichiers'.
    void charger(const QStringList& fichiers) {
        c->creer_repertoire(u"doc"_s);
        for (const QString& nom : fichiers)
            c->creer_fichier(u"doc/"_s + nom, "x");
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        f->Répertoire_srce->setPath(c->dos(u"doc"_s));
        f->Fichier_srce->setPath(c->dos(u"doc"_s));
        etat_commande().liste_parcourue = f->Fichier_srce;
    }

    void choisir(const QStringList& noms) {
        f->Fichier_srce->clearSelection();
        for (int i = 0; i < f->Fichier_srce->listCount(); ++i)
            if (noms.contains(f->Fichier_srce->list(i)))
                f->Fichier_srce->setSelected(i, true);
        f->Ligne_message->setText(u"   %1 fichier(s) sélectionné(s)"_s.arg(noms.size()));
        etat_commande().curseur = 0;
    }

    QString source(const QString& nom) const { return f->Fichier_srce->path() + u'\\' + nom; }

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
        qunsetenv("ECRIRE_ARGV_SORTIE");
        qunsetenv("KALDRON_TERMINAL");
        QVERIFY(demonter());
    }

    void visualiser_par_lots() {
        QStringList noms;
        for (int i = 0; i < 10; ++i)
            noms << u"f%1.txt"_s.arg(i); // C:\doc\f0.txt : 13 caractères, 9 par ligne
        charger(noms);
        choisir(noms);
        f->Visualiser->click();
        QCOMPARE(lances.size(), 2);
        QStringList recus;
        for (const QString& ligne : lances) {
            QVERIFY(ligne.startsWith(u"MORVINE.EXE ovl "_s));
            QVERIFY(ligne.size() - u"MORVINE.EXE ovl"_s.size() <= 126);
            recus << plateforme::decouper_ligne_commande(ligne).mid(2);
        }
        QStringList attendus;
        for (const QString& nom : noms)
            attendus << source(nom);
        QCOMPARE(recus, attendus);
        QCOMPARE(plateforme::repertoire_courant().toUpper(), u"C:\\DOC"_s);
        QVERIFY(!etat_commande().commande_en_cours);
    }

    void visualiser_data() {
        QTest::addColumn<QString>("visualiseur");
        QTest::addColumn<QString>("ligne");
        QTest::newRow("MORVINE") << u"MORVINE.EXE"_s << u"MORVINE.EXE ovl %1 \"%2\""_s;
        QTest::newRow("autre") << u"C:\\VUE\\VUE.EXE"_s << u"C:\\VUE\\VUE.EXE  %1 \"%2\""_s;
        QTest::newRow("MORVINE ailleurs")
            << u"C:\\MORVINE.EXE"_s << u"C:\\MORVINE.EXE  %1 \"%2\""_s;
    }
    void visualiser() {
        QFETCH(QString, visualiseur);
        QFETCH(QString, ligne);
        charger({u"a.txt"_s, u"mon doc.txt"_s});
        reglages().visualiseur = visualiseur;
        choisir({u"a.txt"_s, u"mon doc.txt"_s});
        f->Visualiser_Click();
        QCOMPARE(lances, QStringList{ligne.arg(source(u"a.txt"_s), source(u"mon doc.txt"_s))});
    }

    void editer_data() {
        QTest::addColumn<QString>("editeur");
        QTest::addColumn<QStringList>("lignes");
        QTest::newRow("NOTEPAD") << u"NOTEPAD.EXE"_s
                                 << QStringList{u"NOTEPAD.EXE a.txt"_s, u"NOTEPAD.EXE b.txt"_s,
                                                u"NOTEPAD.EXE \"mon doc.txt\""_s};
        QTest::newRow("MORVINE") << u"MORVINE.EXE"_s
                                 << QStringList{
                                        u"MORVINE.EXE --editer a.txt b.txt \"mon doc.txt\""_s};
    }
    void editer() {
        QFETCH(QString, editeur);
        QFETCH(QStringList, lignes);
        charger({u"a.txt"_s, u"b.txt"_s, u"mon doc.txt"_s});
        reglages().éditeur = editeur;
        choisir({u"a.txt"_s, u"b.txt"_s, u"mon doc.txt"_s});
        f->Editer->click();
        QCOMPARE(lances, lignes);
        // Les noms sont relatifs au répertoire de travail : la SOURCE.
        QCOMPARE(plateforme::repertoire_courant().toUpper(), u"C:\\DOC"_s);
    }

    // Lots : un refus arrête tout ; un éditeur par fichier : Non passe au suivant.
    void confirmation_data() {
        QTest::addColumn<bool>("visualiser");
        QTest::addColumn<QList<int>>("reponses");
        QTest::addColumn<QStringList>("lignes");
        QTest::newRow("lot, non") << true << QList<int>{6, 7} << QStringList{};
        QTest::newRow("lot, annuler") << true << QList<int>{6, 2} << QStringList{};
        QTest::newRow("éditeur, non")
            << false << QList<int>{7, 6} << QStringList{u"NOTEPAD.EXE b.txt"_s};
        QTest::newRow("éditeur, annuler") << false << QList<int>{2} << QStringList{};
    }
    void confirmation() {
        QFETCH(bool, visualiser);
        QFETCH(QList<int>, reponses);
        QFETCH(QStringList, lignes);
        charger({u"a.txt"_s, u"b.txt"_s});
        reglages().confirme = true;
        choisir({u"a.txt"_s, u"b.txt"_s});
        for (int r : reponses)
            d->repondre(r);
        visualiser ? f->Visualiser_Click() : f->Editer_Click();
        QCOMPARE(lances, lignes);
        QCOMPARE(d->questions().first().texte,
                 u"Vous allez "_s + (visualiser ? u"VISUALISER"_s : u"EDITER"_s) + CR +
                     u"le fichier 'a.txt' du répertoire"_s + CR + u"C:\\doc"_s + CR + CR +
                     u"Confirmez-vous cette commande ?"_s);
    }

    void executer_non_executable() {
        charger({u"a.txt"_s});
        choisir({u"a.txt"_s});
        d->repondre(1);
        f->Exécuter->click();
        QVERIFY(lances.isEmpty());
        QCOMPARE(d->bips(), 1);
        QCOMPARE(d->dernier().texte, u"Fichier non exécutable."_s);
        QCOMPARE(d->dernier().style, int(plateforme::MB_OK + plateforme::MB_EXCLAMATION));
        QCOMPARE(d->dernier().titre, u"Gestionnaire de fichiers"_s);
    }

    // Sur Linux, c'est le droit d'exécution d'un vrai programme qui compte,
    // pas l'extension ; un .BAT ne s'exécute pas et l'usager lit pourquoi.
    void executer_selon_le_fichier_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<bool>("executable");
        QTest::addColumn<QString>("message"); // vide : lancé
        QTest::newRow("script exécutable")
            << u"outil.sh"_s << QByteArray("#!/bin/sh\n") << true << QString();
        QTest::newRow("script sans le droit")
            << u"outil.sh"_s << QByteArray("#!/bin/sh\n") << false << u"Fichier non exécutable."_s;
        QTest::newRow("texte marqué exécutable")
            << u"notes.txt"_s << QByteArray("abc\n") << true << u"Fichier non exécutable."_s;
        QTest::newRow("BAT") << u"lance.bat"_s << QByteArray("@echo off\r\n") << false
                             << plateforme::texte_fichier_de_commandes(u"lance.bat"_s);
    }
    void executer_selon_le_fichier() {
        QFETCH(QString, nom);
        QFETCH(QByteArray, contenu);
        QFETCH(bool, executable);
        QFETCH(QString, message);
        charger({});
        const QString hote = c->creer_fichier(u"doc/"_s + nom, contenu);
        if (executable)
            QFile::setPermissions(hote, QFile::permissions(hote) | QFile::ExeOwner);
        f->Fichier_srce->rafraichir();
        choisir({nom});
        message.isEmpty() ? d->repondre_saisie(u" "_s) : d->repondre(1);
        f->Exécuter_Click();
        QCOMPARE(lances, message.isEmpty() ? QStringList{source(nom)} : QStringList{});
        if (!message.isEmpty()) {
            QCOMPARE(d->dernier().texte, message);
            QCOMPARE(d->dernier().style, int(plateforme::MB_OK + plateforme::MB_EXCLAMATION));
        }
    }

    // Double clic sans association : un script de l'hôte se lit ou
    // s'exécute, comme un .BAT ; un document qui n'est pas du texte va à
    // l'application du bureau, un texte à l'éditeur.
    void double_clic_linux() {
        const QString xdg = c->creer_repertoire(u"xdg"_s);
        c->creer_repertoire(u"xdg/applications"_s);
        c->creer_fichier(u"xdg/applications/lecteur.desktop"_s,
                         "[Desktop Entry]\nType=Application\nName=Lecteur\nExec=lecteur-pdf %f\n");
        c->creer_fichier(u"xdg/applications/mimeinfo.cache"_s,
                         "[MIME Cache]\napplication/pdf=lecteur.desktop;\n");
        charger({});
        const QString script = c->creer_fichier(u"doc/outil.sh"_s, "#!/bin/sh\n");
        QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
        const QString pdf = c->creer_fichier(u"doc/facture.pdf"_s, "%PDF-1.4\n%\xe2\xe3\n");
        c->creer_fichier(u"doc/lisez-moi"_s, "Bonjour\n");
        f->Fichier_srce->rafraichir();
        const auto double_clic = [&](const QString& nom) {
            lances.clear();
            choisir({nom});
            // Le type se lit avec la vraie base MIME, l'application dans le faux bureau.
            for (const char* v : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
                qputenv(v, QFile::encodeName(xdg));
            f->Fichier_srce_DblClick();
            for (const char* v : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
                qunsetenv(v);
            return lances;
        };
        d->repondre(2);
        d->repondre_saisie(u" "_s);
        QCOMPARE(double_clic(u"outil.sh"_s), QStringList{source(u"outil.sh"_s)});
        QCOMPARE(d->questions().value(0).texte,
                 u"Voulez-vous EDITER ou EXECUTER le fichier 'outil.sh' ?"_s);
        QCOMPARE(double_clic(u"facture.pdf"_s), QStringList{u"lecteur-pdf "_s + pdf});
        QCOMPARE(etat_commande().commande_courante, u"lecteur-pdf "_s + pdf);
        QCOMPARE(double_clic(u"lisez-moi"_s), QStringList{u"NOTEPAD.EXE lisez-moi"_s});
    }

    void executer_data() {
        QTest::addColumn<QString>("reponse");
        QTest::addColumn<QStringList>("lignes");
        QTest::newRow("blanc accepté") << u" "_s << QStringList{u"%1"_s};
        QTest::newRow("annuler") << QString() << QStringList{};
        QTest::newRow("paramètres") << u"  -x a.txt "_s << QStringList{u"%1 \"-x a.txt\""_s};
        QTest::newRow("guillemets de l'usager") << u"\"a b\" c"_s << QStringList{u"%1 \"a b\" c"_s};
    }
    void executer() {
        QFETCH(QString, reponse);
        QFETCH(QStringList, lignes);
        charger({u"prog.exe"_s});
        choisir({u"prog.exe"_s});
        d->repondre_saisie(reponse);
        f->Exécuter_Click();
        for (QString& l : lignes)
            l = l.arg(source(u"prog.exe"_s));
        QCOMPARE(lances, lignes);
        const essai::Question q = d->dernier();
        QCOMPARE(q.texte, u"Entrez le(s) paramètre(s) (si nécessaire) pour prog.exe"_s + CR + CR +
                              u"Répertoire actuel :"_s + CR + u"C:\\doc"_s);
        QCOMPARE(q.titre, u"EXECUTER"_s);
        QCOMPARE(q.defaut, u" "_s);
        QVERIFY(!etat_commande().commande_en_cours);
    }

    // Un programme dont le chemin a un blanc reste un seul morceau.
    void executer_chemin_a_blanc() {
        charger({});
        c->creer_fichier(u"mes progs/prog.com"_s);
        f->Répertoire_srce->setPath(c->dos(u"mes progs"_s));
        f->Fichier_srce->setPath(c->dos(u"mes progs"_s));
        choisir({u"prog.com"_s});
        d->repondre_saisie(u" "_s);
        f->Exécuter_Click();
        QCOMPARE(lances, QStringList{u"\""_s + source(u"prog.com"_s) + u"\""_s});
    }

    void double_clic_data() {
        QTest::addColumn<QString>("fichier");
        QTest::addColumn<QString>("association"); // ext=valeur dans [Extensions]
        QTest::addColumn<int>("choix");           // Message_dialogue (BAT), 0 sinon
        QTest::addColumn<QString>("ligne");       // %1 : chemin du fichier
        QTest::newRow("document associé")
            << u"LETTRE.DOC"_s << u"doc=winword.exe ^.doc"_s << 0 << u"winword.exe %1"_s;
        QTest::newRow("association sans marque")
            << u"mon doc.wri"_s << u"wri=C:\\OUTILS\\WRITE.EXE"_s << 0
            << u"C:\\OUTILS\\WRITE.EXE \"%1\""_s;
        QTest::newRow("aide jamais entre guillemets")
            << u"mon aide.hlp"_s << u"hlp=winhelp.exe ^.hlp"_s << 0 << u"winhelp.exe %1"_s;
        QTest::newRow("sans association") << u"x.zzz"_s << QString() << 0 << u"NOTEPAD.EXE x.zzz"_s;
        QTest::newRow("programme") << u"prog.pif"_s << QString() << 0 << u"%1"_s;
        QTest::newRow("BAT éditer")
            << u"lance.bat"_s << QString() << 1 << u"NOTEPAD.EXE lance.bat"_s;
        // Linux ne sait pas exécuter un .BAT : le choix EXECUTER l'explique.
        QTest::newRow("BAT exécuter") << u"lance.bat"_s << QString() << 2 << QString();
        QTest::newRow("BAT annuler") << u"lance.bat"_s << QString() << 3 << QString();
    }
    void double_clic() {
        QFETCH(QString, fichier);
        QFETCH(QString, association);
        QFETCH(int, choix);
        QFETCH(QString, ligne);
        if (!association.isEmpty())
            plateforme::ecrire_win_ini(u"Extensions"_s, association.section(u'=', 0, 0),
                                       association.section(u'=', 1));
        charger({fichier, u"autre.txt"_s});
        choisir({fichier});
        if (choix)
            d->repondre(choix);
        const bool programme = ligne == u"%1"_s;
        if (programme)
            d->repondre_saisie(u" "_s);
        else if (choix == 2)
            d->repondre(1);
        // Le double clic de la souris sur l'entrée choisie.
        const QListWidgetItem* entree = f->Fichier_srce->selectedItems().value(0);
        QVERIFY(entree);
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.get()));
        const QRect rect = f->Fichier_srce->visualItemRect(entree);
        QTest::mouseClick(f->Fichier_srce->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(f->Fichier_srce->viewport(), Qt::LeftButton, {}, rect.center());
        if (ligne.contains(u"%1"_s))
            ligne = ligne.arg(source(fichier));
        QCOMPARE(lances, ligne.isEmpty() ? QStringList{} : QStringList{ligne});
        if (choix)
            QCOMPARE(d->questions().value(0).texte,
                     u"Voulez-vous EDITER ou EXECUTER le fichier 'lance.bat' ?"_s);
        if (!association.isEmpty())
            QCOMPARE(etat_commande().commande_courante, lances.value(0));
        QCOMPARE(plateforme::repertoire_courant().toUpper(), u"C:\\DOC"_s);
        QVERIFY(f->Croiser->isEnabled());
    }

    void double_clic_pendant_une_recherche() {
        charger({u"a.txt"_s});
        choisir({u"a.txt"_s});
        etat_commande().commande_courante = u"CHERCHER"_s;
        f->Fichier_srce_DblClick();
        QVERIFY(lances.isEmpty());
    }

    // Le rapport nomme le programme introuvable et, pour une association,
    // toute la ligne en titre.
    void echec_du_lancement_data() {
        QTest::addColumn<bool>("association");
        QTest::addColumn<QString>("titre");
        QTest::addColumn<QString>("programme");
        QTest::newRow("visualiseur") << false << u"VISUALISER"_s << u"MORVINE.EXE"_s;
        QTest::newRow("association") << true << u"winword.exe %1"_s << u"WINWORD.EXE"_s;
    }
    void echec_du_lancement() {
        QFETCH(bool, association);
        QFETCH(QString, titre);
        QFETCH(QString, programme);
        plateforme::ecrire_win_ini(u"Extensions"_s, u"doc"_s, u"winword.exe ^.doc"_s);
        charger({u"lettre.doc"_s});
        choisir({u"lettre.doc"_s});
        trouve = false;
        d->repondre(1);
        association ? f->Fichier_srce_DblClick() : f->Visualiser_Click();
        QCOMPARE(lances.size(), 1);
        const essai::Question q = d->dernier();
        QCOMPARE(q.titre, association ? titre.arg(source(u"lettre.doc"_s)) : titre);
        QCOMPARE(q.texte,
                 u"Un nom de fichier comporte un caractère invalide ou bien le fichier "_s +
                     programme +
                     u" est introuvable ou les attributs 'Système/Caché' sont présents."_s);
        QCOMPARE(q.style, 48);
        QVERIFY(!etat_commande().commande_en_cours);
    }

    // Le vrai lancement : chaque nom hostile arrive en un seul argument, sans
    // shell, dans le répertoire SOURCE.
    void visualiser_pour_de_vrai() {
        plateforme::installer_demarreur({});
        // Le témoin, en mode texte, part dans le terminal des essais.
        qputenv("KALDRON_TERMINAL", TERMINAL_ESSAI);
        const QStringList noms{u"l'été.txt"_s, u"$(touch PWNED)"_s, u"`touch PWNED`"_s,
                               u"a & b;c"_s,   u"%PATH% ^!"_s,      u"deux  blancs.txt"_s};
        charger(noms);
        QVERIFY(QFile::copy(QStringLiteral(ECRIRE_ARGV),
                            c->creer_repertoire(u"bin"_s) + u"/ecrire_argv"_s));
        reglages().visualiseur = u"C:\\BIN\\ECRIRE_ARGV.EXE"_s;
        qputenv("ECRIRE_ARGV_SORTIE", QFile::encodeName(c->hote(u"sortie"_s)));
        choisir(noms);
        f->Visualiser_Click();
        QTRY_VERIFY(QFile::exists(c->hote(u"sortie"_s)));
        QStringList recus = QString::fromUtf8(c->contenu(u"sortie"_s)).split(QChar(0));
        recus.removeLast();
        QCOMPARE(QFileInfo(recus.takeFirst()).canonicalFilePath(),
                 QFileInfo(c->hote(u"doc"_s)).canonicalFilePath());
        QStringList attendus;
        for (int i = 0; i < f->Fichier_srce->listCount(); ++i)
            attendus << c->hote(u"doc/"_s + f->Fichier_srce->list(i));
        QCOMPARE(recus, attendus);
        QVERIFY(!QFile::exists(c->hote(u"doc/PWNED"_s)));
    }
};

QTEST_MAIN(TestLancerProgrammes)
#include "test_lancer_programmes.moc"
