// Jokers DOS des listes de fichiers et langage des exclusions.
#include "platform/erreurs.h"
#include "platform/motifs.h"

#include <QTest>

using namespace plateforme;

class TestMotifs : public QObject {
    Q_OBJECT

private slots:
    void dos_data();
    void dos();
    void dos_liste_data();
    void dos_liste();
    void dos_interdit_data();
    void dos_interdit();
    void dos_verifier_seul();
    void dos_hostile();
    void like_data();
    void like();
    void like_casse_data();
    void like_casse();
    void like_hostile();
};

void TestMotifs::dos_data() {
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QString>("motif");
    QTest::addColumn<bool>("attendu");

    QTest::newRow("etoile point etoile, avec point") << "a.txt"
                                                     << "*.*" << true;
    QTest::newRow("etoile point etoile, sans point") << "readme"
                                                     << "*.*" << true;
    QTest::newRow("etoile point etoile, deux points") << "a.tar.gz"
                                                      << "*.*" << true;
    QTest::newRow("etoile seule") << "a.b.c"
                                  << "*" << true;
    QTest::newRow("etoile vide") << "txt"
                                 << "*txt" << true;
    QTest::newRow("extension") << "a.txt"
                               << "*.txt" << true;
    QTest::newRow("extension plus longue") << "a.txta"
                                           << "*.txt" << false;
    QTest::newRow("extension plus courte") << "a.tx"
                                           << "*.txt" << false;
    QTest::newRow("etoile prend les points") << "a.b.txt"
                                             << "*.txt" << true;
    QTest::newRow("casse du nom") << "LETTRE.TXT"
                                  << "*.txt" << true;
    QTest::newRow("casse du motif") << "lettre.txt"
                                    << "LET*.TXT" << true;
    QTest::newRow("casse accentuee") << "ÉTÉ.TXT"
                                     << "été.*" << true;
    QTest::newRow("point etoile final vide") << "readme"
                                             << "readme.*" << true;
    QTest::newRow("point etoile final plein") << "readme.md"
                                              << "readme.*" << true;
    QTest::newRow("point etoile final, autre nom") << "readmex"
                                                   << "readme.*" << false;
    QTest::newRow("prefixe point etoile") << "ms"
                                          << "ms*.*" << true;
    QTest::newRow("prefixe point etoile, long") << "msdos.sys"
                                                << "ms*.*" << true;
    QTest::newRow("sans extension, nom sans point") << "makefile"
                                                    << "*." << true;
    QTest::newRow("sans extension, nom avec point") << "a.txt"
                                                    << "*." << false;
    QTest::newRow("nom point final") << "abc"
                                     << "abc." << true;
    QTest::newRow("nom point final, autre nom") << "abcd"
                                                << "abc." << false;
    QTest::newRow("nom point final, avec extension") << "abc.d"
                                                     << "abc." << false;
    QTest::newRow("interrogation un caractere") << "a1.txt"
                                                << "a?.txt" << true;
    QTest::newRow("interrogation pas zero") << "a.txt"
                                            << "a?.txt" << false;
    QTest::newRow("interrogation pas deux") << "a12.txt"
                                            << "a?.txt" << false;
    QTest::newRow("interrogation prend un point") << "a.txt"
                                                  << "a?txt" << true;
    QTest::newRow("interrogation caractere large") << "a😀.txt"
                                                   << "a?.txt" << true;
    QTest::newRow("nom exact") << "config.sys"
                               << "CONFIG.SYS" << true;
    QTest::newRow("nom exact different") << "config.sy"
                                         << "config.sys" << false;
    QTest::newRow("crochet litteral") << "[a].txt"
                                      << "[a].txt" << true;
    QTest::newRow("crochet pas une classe") << "a.txt"
                                            << "[a].txt" << false;
    QTest::newRow("diese litteral") << "a#.txt"
                                    << "a#.txt" << true;
    QTest::newRow("diese pas un chiffre") << "a1.txt"
                                          << "a#.txt" << false;
}

void TestMotifs::dos() {
    QFETCH(QString, nom);
    QFETCH(QString, motif);
    QFETCH(bool, attendu);
    QCOMPARE(motif_dos_correspond(nom, motif), attendu);
}

void TestMotifs::dos_liste_data() {
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QString>("motif");
    QTest::addColumn<bool>("attendu");

    const QString programmes = QStringLiteral("*.exe; *.com; *.bat; *.pif");
    QTest::newRow("premier de la liste") << "a.exe" << programmes << true;
    QTest::newRow("dernier de la liste") << "a.PIF" << programmes << true;
    QTest::newRow("aucun de la liste") << "a.txt" << programmes << false;
    QTest::newRow("liste sans blancs") << "b.com"
                                       << "*.exe;*.com" << true;
    QTest::newRow("blancs autour") << "b.com"
                                   << "  *.exe  ;  *.com  " << true;
    QTest::newRow("parties vides ignorees") << "b.com"
                                            << ";;*.com;;" << true;
    QTest::newRow("parties vides, pas tout") << "b.doc"
                                             << ";;*.com;;" << false;
    QTest::newRow("motif vide = tout") << "b.doc"
                                       << "" << true;
    QTest::newRow("motif blanc = tout") << "b"
                                        << "   " << true;
    QTest::newRow("seulement des separateurs = tout") << "b.doc"
                                                      << " ; ; " << true;
    QTest::newRow("sans extension dans une liste") << "makefile"
                                                   << "*.txt;*." << true;
}

void TestMotifs::dos_liste() {
    dos();
}

void TestMotifs::dos_interdit_data() {
    QTest::addColumn<QString>("motif");

    for (const char* c : {"/", "\\", ":", "<", ">", "|", "\""})
        QTest::addRow("caractere %s", c) << QStringLiteral("*%1.txt").arg(QLatin1String(c));
    QTest::newRow("tabulation") << QStringLiteral("*\t.txt");
    QTest::newRow("retour chariot") << QStringLiteral("a\r");
    QTest::newRow("saut de ligne") << QStringLiteral("*.txt\n");
    QTest::newRow("nul") << QString(QChar(0)) + u'a';
    QTest::newRow("echappement") << QStringLiteral("\x1b*");
    QTest::newRow("suppression") << QStringLiteral("a\x7f");
    QTest::newRow("dans une autre partie") << QStringLiteral("*.txt;c:*.doc");
    QTest::newRow("chemin complet") << QStringLiteral("C:\\DOC\\*.TXT");
}

void TestMotifs::dos_interdit() {
    QFETCH(QString, motif);
    try {
        motif_dos_correspond(QStringLiteral("a.txt"), motif);
        QFAIL("motif accepté");
    } catch (const ErreurExecution& e) {
        QCOMPARE(e.numero(), 380);
    }
    QVERIFY_THROWS_EXCEPTION(ErreurExecution, verifier_motif_dos(motif));
}

void TestMotifs::dos_verifier_seul() {
    // Tout ce qu'un nom peut porter passe, jokers et séparateurs compris.
    verifier_motif_dos(QStringLiteral("*.*; a?b.[x]; #été+=,.txt;"));
    verifier_motif_dos(QString());
}

void TestMotifs::dos_hostile() {
    // Un comparateur à retour arrière naïf mettrait des heures ici.
    const QString nom = QString(200, u'a');
    QVERIFY(!motif_dos_correspond(nom, QStringLiteral("*a*a*a*a*a*a*a*a*a*a*a*a*a*b")));
    QVERIFY(motif_dos_correspond(nom + u'b', QStringLiteral("*a*a*a*a*a*a*a*a*a*a*a*a*a*b")));
    QVERIFY(!motif_dos_correspond(nom, QStringLiteral("*a*a*a*a*a*a*a*a*a*a*a*a*.*b")));
}

void TestMotifs::like_data() {
    QTest::addColumn<QString>("texte");
    QTest::addColumn<QString>("motif");
    QTest::addColumn<bool>("attendu");

    QTest::newRow("litteral") << "a.bat"
                              << "a.bat" << true;
    QTest::newRow("litteral different") << "a.bak"
                                        << "a.bat" << false;
    QTest::newRow("reconnaissance entiere") << "a.bat.old"
                                            << "a.bat" << false;
    QTest::newRow("etoile") << "lettre.bat"
                            << "*.bat" << true;
    QTest::newRow("etoile vide") << ".bat"
                                 << "*.bat" << true;
    QTest::newRow("etoile seule, texte vide") << ""
                                              << "*" << true;
    QTest::newRow("etoiles multiples") << "abcabc"
                                       << "*b*c" << true;
    QTest::newRow("interrogation") << "a1.txt"
                                   << "a?.txt" << true;
    QTest::newRow("interrogation pas zero") << "a.txt"
                                            << "a?.txt" << false;
    QTest::newRow("diese chiffre") << "f7.dat"
                                   << "f#.dat" << true;
    QTest::newRow("diese lettre") << "fx.dat"
                                  << "f#.dat" << false;
    QTest::newRow("diese multiple") << "2024"
                                    << "####" << true;
    QTest::newRow("liste") << "b.txt"
                           << "[abc].txt" << true;
    QTest::newRow("liste absent") << "d.txt"
                                  << "[abc].txt" << false;
    QTest::newRow("intervalle") << "m.txt"
                                << "[a-z].txt" << true;
    QTest::newRow("intervalle borne") << "z.txt"
                                      << "[a-z].txt" << true;
    QTest::newRow("intervalle hors") << "5.txt"
                                     << "[a-z].txt" << false;
    QTest::newRow("intervalle et liste") << "_x"
                                         << "[0-9_]x" << true;
    QTest::newRow("intervalle inverse") << "m"
                                        << "[z-a]" << true;
    QTest::newRow("negation") << "d.txt"
                              << "[!abc].txt" << true;
    QTest::newRow("negation exclut") << "a.txt"
                                     << "[!abc].txt" << false;
    QTest::newRow("negation intervalle") << "5"
                                         << "[!a-z]" << true;
    QTest::newRow("negation consomme un caractere") << ".txt"
                                                    << "[!abc].txt" << false;
    QTest::newRow("etoile entre crochets") << "a*"
                                           << "a[*]" << true;
    QTest::newRow("etoile entre crochets litterale") << "ab"
                                                     << "a[*]" << false;
    QTest::newRow("diese entre crochets") << "#1"
                                          << "[#]#" << true;
    QTest::newRow("crochet ouvrant entre crochets") << "["
                                                    << "[[]" << true;
    QTest::newRow("tiret en tete de liste") << "-"
                                            << "[-a]" << true;
    QTest::newRow("tiret en fin de liste") << "-"
                                           << "[a-]" << true;
    QTest::newRow("point d'exclamation seul") << "!"
                                              << "[!]" << true;
    QTest::newRow("liste vide ne consomme rien") << "ab"
                                                 << "a[]b" << true;
    QTest::newRow("crochet non ferme litteral") << "[ab"
                                                << "[ab" << true;
    QTest::newRow("crochet non ferme, pas une liste") << "a"
                                                      << "[a" << false;
    QTest::newRow("crochet non ferme puis joker") << "x[1"
                                                  << "?[#" << true;
    QTest::newRow("caractere large") << "😀.txt"
                                     << "?.txt" << true;
    QTest::newRow("accent litteral") << "été.doc"
                                     << "été.*" << true;
    QTest::newRow("point litteral") << "ab"
                                    << "a.b" << false;
}

void TestMotifs::like() {
    QFETCH(QString, texte);
    QFETCH(QString, motif);
    QFETCH(bool, attendu);
    QCOMPARE(motif_like_correspond(texte, motif, Qt::CaseSensitive), attendu);
    QCOMPARE(motif_like_correspond(texte, motif, Qt::CaseInsensitive), attendu);
}

void TestMotifs::like_casse_data() {
    QTest::addColumn<QString>("texte");
    QTest::addColumn<QString>("motif");
    QTest::addColumn<bool>("sensible");
    QTest::addColumn<bool>("insensible");

    QTest::newRow("extension") << "A.BAT"
                               << "*.bat" << false << true;
    QTest::newRow("meme casse") << "a.bat"
                                << "*.bat" << true << true;
    QTest::newRow("accent") << "ÉTÉ.TXT"
                            << "été.txt" << false << true;
    QTest::newRow("accent dans le motif") << "été"
                                          << "ÉTÉ" << false << true;
    QTest::newRow("liste majuscule") << "B"
                                     << "[abc]" << false << true;
    QTest::newRow("liste minuscule") << "b"
                                     << "[ABC]" << false << true;
    QTest::newRow("intervalle") << "Q"
                                << "[a-z]" << false << true;
    QTest::newRow("liste accentuee") << "é"
                                     << "[É]" << false << true;
    QTest::newRow("negation") << "B"
                              << "[!abc]" << true << false;
    QTest::newRow("negation intervalle") << "q"
                                         << "[!A-Z]" << true << false;
}

void TestMotifs::like_casse() {
    QFETCH(QString, texte);
    QFETCH(QString, motif);
    QFETCH(bool, sensible);
    QFETCH(bool, insensible);
    QCOMPARE(motif_like_correspond(texte, motif, Qt::CaseSensitive), sensible);
    QCOMPARE(motif_like_correspond(texte, motif, Qt::CaseInsensitive), insensible);
}

void TestMotifs::like_hostile() {
    const QString texte = QString(300, u'a');
    const QString motif = QStringLiteral("*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b");
    QVERIFY(!motif_like_correspond(texte, motif, Qt::CaseInsensitive));
    QVERIFY(!motif_like_correspond(texte, QStringLiteral("*[a]*#*?*[!a]"), Qt::CaseSensitive));
    QVERIFY(motif_like_correspond(texte + u'B', motif, Qt::CaseInsensitive));
}

QTEST_GUILESS_MAIN(TestMotifs)
#include "test_motifs.moc"
