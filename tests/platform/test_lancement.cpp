// Lancement : découpage de la ligne, recherche du programme, noms hostiles
// transmis tels quels sans shell.
#include "platform/chemins.h"
#include "platform/erreurs.h"
#include "platform/lancement.h"
#include "support/erreur_de.h"
#include "support/unite_temporaire.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    }
    void cleanup() {
        installer_demarreur({});
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
};

QTEST_GUILESS_MAIN(TestLancement)
#include "test_lancement.moc"
