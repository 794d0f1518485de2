// Lancement : découpage de la ligne, recherche du programme, noms hostiles
// transmis tels quels sans shell.
#include "platform/applications_bureau.h"
#include "platform/chemins.h"
#include "platform/erreurs.h"
#include "platform/genre_programme.h"
#include "platform/lancement.h"
#include "support/erreur_de.h"
#include "support/unite_temporaire.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QtTest>
#include <memory>

using namespace plateforme;
using namespace Qt::StringLiterals;
using essai::erreur_de;

namespace {

void rendre_executable(const QString& chemin) {
    QFile::setPermissions(chemin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Répertoire de travail puis arguments, tels qu'écrits par ecrire_argv.
QStringList lire_sortie(const QByteArray& brut) {
    QStringList morceaux;
    for (const QByteArray& m : brut.split('\0'))
        morceaux << QString::fromUtf8(m);
    if (!morceaux.isEmpty())
        morceaux.removeLast();
    return morceaux;
}

QString canonique(const QString& chemin) {
    return QFileInfo(chemin).canonicalFilePath();
}

} // namespace

class TestLancement : public QObject {
    Q_OBJECT

    std::unique_ptr<essai::UniteTemporaire> c;
    QByteArray ancien_path;

    // "%C/x" : chemin de l'unité ; "%W/x" : répertoire Windows.
    QString chemin_attendu(const QString& modele) const {
        if (modele.isEmpty())
            return {};
        QString texte = modele;
        return texte.replace(u"%C"_s, c->hote({})).replace(u"%W"_s, c->repertoire_windows());
    }

private slots:
    void init() {
        c = std::make_unique<essai::UniteTemporaire>();
        ancien_path = qgetenv("PATH");
        // Le PATH de l'essai ne voit que ses propres programmes.
        qputenv("PATH", QFile::encodeName(c->creer_repertoire(u"bin"_s)));
        qputenv("KALDRON_PROGRAMME", QFile::encodeName(c->creer_repertoire(u"prog"_s)));
        changer_unite(u'C');
        installer_demarreur({});
        // Les programmes en mode texte (ecrire_argv) passent par ce terminal.
        qputenv("KALDRON_TERMINAL", TERMINAL_ESSAI);
        qputenv("TERMINAL_ESSAI_TEMOIN", QFile::encodeName(c->hote(u"terminal"_s)));
    }
    void cleanup() {
        installer_demarreur({});
        qunsetenv("KALDRON_TERMINAL");
        qunsetenv("TERMINAL_ESSAI_TEMOIN");
        for (const char* v : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME",
                              "XDG_CONFIG_DIRS", "XDG_CURRENT_DESKTOP"})
            qunsetenv(v);
        qputenv("PATH", ancien_path);
        qunsetenv("KALDRON_PROGRAMME");
        qunsetenv("ECRIRE_ARGV_SORTIE");
        c.reset();
    }

    void decouper_data() {
        QTest::addColumn<QString>("ligne");
        QTest::addColumn<QStringList>("morceaux");
        QTest::newRow("vide") << u"   "_s << QStringList{};
        QTest::newRow("blancs") << u"  A.EXE \t b  c "_s << QStringList{u"A.EXE"_s, u"b"_s, u"c"_s};
        QTest::newRow("guillemets")
            << u"MORVINE.EXE ovl C:\\A.TXT \"C:\\MES DOCS\\B.TXT\""_s
            << QStringList{u"MORVINE.EXE"_s, u"ovl"_s, u"C:\\A.TXT"_s, u"C:\\MES DOCS\\B.TXT"_s};
        QTest::newRow("collés") << u"a\"b c\"d"_s << QStringList{u"ab cd"_s};
        QTest::newRow("argument vide") << u"x \"\" y"_s << QStringList{u"x"_s, {}, u"y"_s};
        QTest::newRow("non fermé") << u"x \"a  b"_s << QStringList{u"x"_s, u"a  b"_s};
        QTest::newRow("rien de spécial") << u"$(touch X) 'a b' ;|&`id` %P% ^!"_s
                                         << QStringList{u"$(touch"_s, u"X)"_s,  u"'a"_s, u"b'"_s,
                                                        u";|&`id`"_s, u"%P%"_s, u"^!"_s};
    }
    void decouper() {
        QFETCH(QString, ligne);
        QFETCH(QStringList, morceaux);
        QCOMPARE(decouper_ligne_commande(ligne), morceaux);
    }

    void trouver_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("suffixe retiré") << u"MORVINE.EXE"_s << u"%C/bin/morvine"_s;
        QTest::newRow("nom de l'hôte") << u"morvine"_s << u"%C/bin/morvine"_s;
        QTest::newRow("casse quelconque") << u"outil.com"_s << u"%C/bin/OuTil"_s;
        QTest::newRow("avec son suffixe") << u"LANCE.BAT"_s << u"%C/bin/lance.bat"_s;
        QTest::newRow("chemin DOS") << u"C:\\BIN\\ZIP.EXE"_s << u"%C/bin/Zip"_s;
        QTest::newRow("chemin de l'hôte") << u"%C/bin/Zip"_s << u"%C/bin/Zip"_s;
        QTest::newRow("programme") << u"AIDE.EXE"_s << u"%C/prog/aide"_s;
        QTest::newRow("windows") << u"WINPROG"_s << u"%W/winprog"_s;
        QTest::newRow("bloc-notes") << u"NOTEPAD.EXE"_s << u"%C/bin/morvine"_s;
        QTest::newRow("non exécutable") << u"TEXTE.EXE"_s << QString();
        QTest::newRow("répertoire") << u"REP.EXE"_s << QString();
        QTest::newRow("absent") << u"ABSENT.EXE"_s << QString();
        QTest::newRow("chemin absent") << u"C:\\AUCUN\\ZIP.EXE"_s << QString();
        QTest::newRow("unité inconnue") << u"Q:\\ZIP.EXE"_s << QString();
        QTest::newRow("nom invalide") << u"C:\\BIN\\Z\x01P.EXE"_s << QString();
    }
    void trouver() {
        QFETCH(QString, nom);
        QFETCH(QString, attendu);
        for (const QString& p :
             {u"bin/morvine"_s, u"bin/OuTil"_s, u"bin/lance.bat"_s, u"bin/Zip"_s, u"prog/aide"_s})
            rendre_executable(c->creer_fichier(p, "#!/bin/sh\n"));
        c->creer_fichier(u"bin/texte"_s, "x");
        c->creer_repertoire(u"bin/rep"_s);
        QFile w(c->repertoire_windows() + u"/winprog"_s);
        QVERIFY(w.open(QIODevice::WriteOnly));
        w.close();
        rendre_executable(w.fileName());
        QCOMPARE(trouver_programme(chemin_attendu(nom)), chemin_attendu(attendu));
    }

    void preparer() {
        rendre_executable(c->creer_fichier(u"bin/zip"_s, "#!/bin/sh\n"));
        c->creer_fichier(u"Mes Docs/a.txt"_s);
        c->creer_repertoire(u"doc"_s);
        changer_repertoire(u"C:\\DOC"_s);
        const Lancement l =
            preparer_lancement(u"ZIP.EXE \"C:\\MES DOCS\\A.TXT\" -x Q:\\Z C:\\NEUF"_s);
        QCOMPARE(l.programme, c->hote(u"bin/zip"_s));
        QCOMPARE(l.arguments, (QStringList{c->hote(u"Mes Docs/a.txt"_s), u"-x"_s, u"Q:\\Z"_s,
                                           c->hote(u"NEUF"_s)}));
        QCOMPARE(l.repertoire, c->hote(u"doc"_s));
        // Le bloc-notes absent : MORVINE, qui reçoit le commutateur d'édition.
        rendre_executable(c->creer_fichier(u"bin/morvine"_s, "#!/bin/sh\n"));
        const Lancement n = preparer_lancement(u"NOTEPAD.EXE \"C:\\MES DOCS\\A.TXT\""_s);
        QCOMPARE(n.programme, c->hote(u"bin/morvine"_s));
        QCOMPARE(n.arguments, (QStringList{u"--editer"_s, c->hote(u"Mes Docs/a.txt"_s)}));
        const Lancement m = preparer_lancement(u"MORVINE.EXE \"C:\\MES DOCS\\A.TXT\""_s);
        QCOMPARE(m.arguments, QStringList{c->hote(u"Mes Docs/a.txt"_s)});
        QCOMPARE(erreur_de([] { preparer_lancement(u"  "_s); }), int(ERR_FICHIER_INTROUVABLE));
        QCOMPARE(erreur_de([] { lancer(u"ABSENT.EXE a"_s); }), int(ERR_FICHIER_INTROUVABLE));
    }

    void demarreur() {
        QStringList lignes;
        bool accepte = true;
        installer_demarreur([&](const QString& l) {
            lignes << l;
            return accepte;
        });
        lancer(u"ABSENT.EXE \"a b\""_s);
        accepte = false;
        QCOMPARE(erreur_de([] { lancer(u"X"_s); }), int(ERR_FICHIER_INTROUVABLE));
        QCOMPARE(lignes, (QStringList{u"ABSENT.EXE \"a b\""_s, u"X"_s}));
    }

    void demarrage_impossible() {
        // Exécutable sans format reconnu : le noyau refuse de le charger.
        rendre_executable(c->creer_fichier(u"bin/casse"_s, QByteArray(64, '\x7f')));
        QCOMPARE(erreur_de([] { lancer(u"CASSE.EXE"_s); }), int(ERR_APPEL_INCORRECT));
        // Présent mais sans droit d'exécution (programme DOS copié tel quel).
        c->creer_fichier(u"bin/DOS.EXE"_s, "MZ");
        QCOMPARE(erreur_de([this] { lancer(c->dos(u"bin/dos.exe"_s)); }), int(ERR_APPEL_INCORRECT));
    }

    void noms_hostiles_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<bool>("fichier"); // le nom est exprimable en DOS
        QTest::newRow("blancs") << u"mon  doc.txt"_s << true;
        QTest::newRow("apostrophe") << u"l'été.txt"_s << true;
        QTest::newRow("point-virgule") << u"a;rm -rf x"_s << true;
        QTest::newRow("substitution") << u"$(touch PWNED)"_s << true;
        QTest::newRow("accents graves") << u"`touch PWNED`"_s << true;
        QTest::newRow("esperluette") << u"a & touch PWNED"_s << true;
        QTest::newRow("pourcent") << u"%PATH%"_s << true;
        QTest::newRow("circonflexe") << u"a^b!c"_s << true;
        QTest::newRow("barre") << u"x | touch PWNED"_s << false;
    }
    void noms_hostiles() {
        QFETCH(QString, nom);
        QFETCH(bool, fichier);
        QFile::copy(QStringLiteral(ECRIRE_ARGV), c->hote(u"bin/ecrire_argv"_s));
        c->creer_repertoire(u"doc"_s);
        changer_repertoire(u"C:\\DOC"_s);
        qputenv("ECRIRE_ARGV_SORTIE", QFile::encodeName(c->hote(u"sortie"_s)));
        QStringList attendu{canonique(c->hote(u"doc"_s)), nom};
        QString ligne = u"C:\\BIN\\ECRIRE_ARGV.EXE \""_s + nom + u'"';
        if (fichier) {
            c->creer_fichier(u"doc/"_s + nom);
            ligne += u" \"C:\\DOC\\"_s + nom + u'"';
            attendu << c->hote(u"doc/"_s + nom);
        }
        lancer(ligne);
        QTRY_VERIFY(QFile::exists(c->hote(u"sortie"_s)));
        QStringList recu = lire_sortie(c->contenu(u"sortie"_s));
        if (!recu.isEmpty())
            recu.first() = canonique(recu.first());
        QCOMPARE(recu, attendu);
        QVERIFY(!QFile::exists(c->hote(u"doc/PWNED"_s)));
        QVERIFY(!QFile::exists(c->hote(u"PWNED"_s)));
        // Programme en mode texte : parti dans le terminal, le nom en un seul argument.
        const QStringList terminal = QString::fromUtf8(c->contenu(u"terminal"_s)).split(u'\n');
        QCOMPARE(terminal.value(0), u"-e"_s);
        QVERIFY(terminal.contains(nom));
    }

    void nom_inexprimable_refuse() {
        QFile::copy(QStringLiteral(ECRIRE_ARGV), c->hote(u"bin/ecrire_argv"_s));
        c->creer_fichier(u"a\x01"_s
                         "b");
        qputenv("ECRIRE_ARGV_SORTIE", QFile::encodeName(c->hote(u"sortie"_s)));
        QCOMPARE(erreur_de([] {
                     lancer(u"ECRIRE_ARGV \"C:\\A\x01"_s
                            "B\"");
                 }),
                 int(ERR_NOM_INCORRECT));
        // Refusé avant tout démarrage : le témoin n'a rien pu écrire.
        QVERIFY(!QFile::exists(c->hote(u"sortie"_s)));
    }

    // Mode texte, script ou fenêtres : lu dans l'en-tête, jamais exécuté.
    void genre_des_programmes() {
        using G = GenreProgramme;
        QCOMPARE(genre_programme(QStringLiteral(ECRIRE_ARGV)), G::Texte);
        // Ce programme d'essai est lié à Qt Gui.
        QCOMPARE(genre_programme(QCoreApplication::applicationFilePath()), G::Graphique);
        const auto ecrire = [this](const QString& nom, const QByteArray& octets) {
            const QString chemin = c->creer_fichier(nom, octets);
            rendre_executable(chemin);
            return genre_programme(chemin);
        };
        QCOMPARE(ecrire(u"a.sh"_s, "#!/bin/sh\necho oui\n"), G::Script);
        QCOMPARE(ecrire(u"b"_s, "#!/usr/bin/env python3\n"), G::Script);
        QCOMPARE(ecrire(u"c"_s, "#!/usr/bin/env wish\n"), G::Graphique);
        QCOMPARE(ecrire(u"d.txt"_s, "texte marqué exécutable\n"), G::Inconnu);
        QCOMPARE(genre_programme(c->hote(u"absent"_s)), G::Inconnu);
        QCOMPARE(genre_programme(c->hote({})), G::Inconnu);
        // Un ELF tronqué ou aux sections hors du fichier : inconnu, sans lecture hors bornes.
        QFile elf(QStringLiteral(ECRIRE_ARGV));
        QVERIFY(elf.open(QIODevice::ReadOnly));
        const QByteArray entier = elf.readAll();
        QCOMPARE(ecrire(u"tronque"_s, entier.left(200)), G::Inconnu);
        QByteArray faux = entier;
        faux[0x28] = char(0xff); // e_shoff (ELF 64 bits) bien au-delà de la fin
        faux[0x2f] = char(0x7f);
        QCOMPARE(ecrire(u"faux"_s, faux), G::Inconnu);
    }

    void ligne_terminal_data() {
        QTest::addColumn<QString>("terminal");
        QTest::addColumn<QString>("marque");
        QTest::newRow("xterm") << u"/usr/bin/xterm"_s << u"-e"_s;
        QTest::newRow("debian") << u"/usr/bin/x-terminal-emulator"_s << u"-e"_s;
        QTest::newRow("gnome") << u"/usr/bin/gnome-terminal"_s << u"--"_s;
        QTest::newRow("xfce") << u"/usr/bin/xfce4-terminal"_s << u"-x"_s;
    }
    void ligne_terminal() {
        QFETCH(QString, terminal);
        QFETCH(QString, marque);
        const QStringList l =
            ligne_dans_terminal(terminal, u"/d d"_s, u"/p/prog"_s, {u"$(x)"_s, u"a b"_s});
        QCOMPARE(l.mid(0, 4), (QStringList{terminal, marque, u"/bin/sh"_s, u"-c"_s}));
        // Le script est fixe ; tout ce qui vient de l'usager le suit en arguments.
        QVERIFY(!l.at(4).contains(u"prog"_s) && l.at(4).contains(u"read"_s));
        QCOMPARE(l.mid(6), (QStringList{u"/d d"_s, u"/p/prog"_s, u"$(x)"_s, u"a b"_s}));
    }

    // Sans terminal, un programme en mode texte ne part pas dans le vide ;
    // un .BAT n'est pas un programme de Linux. L'usager lit pourquoi.
    void lancements_impossibles() {
        QFile::copy(QStringLiteral(ECRIRE_ARGV), c->hote(u"bin/ecrire_argv"_s));
        qputenv("ECRIRE_ARGV_SORTIE", QFile::encodeName(c->hote(u"sortie"_s)));
        qputenv("KALDRON_TERMINAL", QFile::encodeName(c->hote(u"absent"_s)));
        ErreurExecution refus = essai::erreur_levee([] { lancer(u"ECRIRE_ARGV x"_s); });
        QCOMPARE(refus.numero(), int(ERR_LANCEMENT_IMPOSSIBLE));
        QVERIFY2(refus.description().contains(u"ecrire_argv s'utilise dans un terminal"_s),
                 qPrintable(refus.description()));
        QVERIFY(!QFile::exists(c->hote(u"sortie"_s)));

        c->creer_fichier(u"lance.bat"_s, "@echo off\r\n");
        refus = essai::erreur_levee([] { lancer(u"C:\\LANCE.BAT"_s); });
        QCOMPARE(refus.numero(), int(ERR_LANCEMENT_IMPOSSIBLE));
        // Tapé LANCE.BAT, nommé tel qu'il est sur le disque.
        QCOMPARE(refus.description(), texte_fichier_de_commandes(u"lance.bat"_s));
        QVERIFY(refus.description().startsWith(
            u"Le fichier lance.bat est un fichier de commandes DOS"_s));
    }

    void commande_exec_data() {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QStringList>("commande");
        const QString d = u"/m d/x.pdf"_s;
        QTest::newRow("%f") << u"evince %f"_s << QStringList{u"evince"_s, d};
        QTest::newRow("%U une fois") << u"app %U --x %F"_s << QStringList{u"app"_s, d, u"--x"_s};
        QTest::newRow("sans code") << u"lecteur -n"_s << QStringList{u"lecteur"_s, u"-n"_s, d};
        QTest::newRow("guillemets") << u"\"/opt/mon app/bin\" --titre=\"a \\\"b\\\"\" %u"_s
                                    << QStringList{u"/opt/mon app/bin"_s, u"--titre=a \"b\""_s, d};
        QTest::newRow("%i %c %k %%")
            << u"app %i --nom %c %k 100%% %f"_s
            << QStringList{u"app"_s,     u"--icon"_s,     u"ic"_s,   u"--nom"_s,
                           u"Mon App"_s, u"/e.desktop"_s, u"100%"_s, d};
        QTest::newRow("codes obsolètes")
            << u"app %d %n %f"_s << QStringList{u"app"_s, u""_s, u""_s, d};
        QTest::newRow("guillemet ouvert") << u"app \"%f"_s << QStringList{};
        QTest::newRow("vide") << u"   "_s << QStringList{};
    }
    void commande_exec() {
        QFETCH(QString, exec);
        QFETCH(QStringList, commande);
        QCOMPARE(plateforme::commande_exec(exec, u"/m d/x.pdf"_s, u"Mon App"_s, u"ic"_s,
                                           u"/e.desktop"_s),
                 commande);
    }

    // Application du bureau : liste de l'usager d'abord, puis celles du
    // système, puis les entrées qui déclarent le type ; une association
    // retirée ou une entrée cachée ne sert pas.
    void application_du_bureau() {
        // Le type vient du contenu quand le nom ne dit rien.
        QCOMPARE(
            QMimeDatabase().mimeTypeForFile(c->creer_fichier(u"sans_nom"_s, "%PDF-1.4\n")).name(),
            u"application/pdf"_s);
        QVERIFY(!application_par_defaut(c->creer_fichier(u"x.bin"_s, QByteArray("\0\1\2\3", 4))));
        const QString config = c->creer_repertoire(u"xdg/config"_s);
        const QString maison = c->creer_repertoire(u"xdg/share"_s);
        const QString systeme = c->creer_repertoire(u"xdg/usr"_s);
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(c->creer_repertoire(u"xdg/etc"_s)));
        qputenv("XDG_DATA_HOME", QFile::encodeName(maison));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(systeme));
        const auto entree = [this](const QString& relatif, const QByteArray& corps) {
            c->creer_repertoire(QFileInfo(relatif).path());
            c->creer_fichier(relatif, "[Desktop Entry]\nType=Application\nName=X\n" + corps);
        };
        entree(u"xdg/usr/applications/lecteur.desktop"_s, "Exec=lecteur-pdf %f\n");
        entree(u"xdg/usr/applications/cache.desktop"_s, "Exec=cache %f\nHidden=true\n");
        entree(u"xdg/usr/applications/kde/okular.desktop"_s, "Exec=okular %U\nTerminal=false\n");
        entree(u"xdg/share/applications/vue.desktop"_s, "Exec=vue-console %f\nTerminal=true\n");
        c->creer_fichier(u"xdg/usr/applications/mimeinfo.cache"_s,
                         "[MIME Cache]\napplication/pdf=cache.desktop;lecteur.desktop;\n");
        const QString pdf = c->creer_fichier(u"doc.pdf"_s, "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
        // Rien de choisi : la première entrée déclarée et visible.
        auto a = application_pour_type(u"application/pdf"_s, pdf);
        QVERIFY(a);
        QCOMPARE(a->commande, (QStringList{u"lecteur-pdf"_s, pdf}));
        QVERIFY(!a->terminal);
        // Le système choisit okular (sous-répertoire kde/) ; l'usager, la sienne.
        c->creer_repertoire(u"xdg/etc"_s);
        c->creer_fichier(
            u"xdg/etc/mimeapps.list"_s,
            "[Default Applications]\napplication/pdf=absente.desktop;kde-okular.desktop\n");
        a = application_pour_type(u"application/pdf"_s, pdf);
        QVERIFY(a);
        QCOMPARE(a->commande.value(0), u"okular"_s);
        c->creer_fichier(u"xdg/config/mimeapps.list"_s,
                         "[Default Applications]\napplication/pdf=vue.desktop\n");
        a = application_pour_type(u"application/pdf"_s, pdf);
        QVERIFY(a);
        QCOMPARE(a->commande, (QStringList{u"vue-console"_s, pdf}));
        QVERIFY(a->terminal);
        // Sans défaut, une association retirée par l'usager ne revient pas.
        c->creer_fichier(u"xdg/config/mimeapps.list"_s,
                         "[Removed Associations]\napplication/pdf=lecteur.desktop;\n");
        QFile::remove(c->hote(u"xdg/etc/mimeapps.list"_s));
        QVERIFY(!application_pour_type(u"application/pdf"_s, pdf));
        // Un binaire sans type connu n'est confié à personne.
        c->creer_fichier(u"xdg/usr/applications/mimeinfo.cache"_s,
                         "[MIME Cache]\napplication/octet-stream=lecteur.desktop;\n");
        QVERIFY(!application_pour_type(u"application/octet-stream"_s, pdf));
    }
};

QTEST_GUILESS_MAIN(TestLancement)
#include "test_lancement.moc"
