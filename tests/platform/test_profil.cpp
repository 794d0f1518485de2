// Fichiers de profil : règles de lecture, liste des clés, écriture qui ne
// touche qu'une ligne, refus des injections, Windows-1252.
#include "platform/profil.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace plateforme;
using namespace Qt::StringLiterals;

namespace {

// Littéral d'octets, NUL compris.
template <std::size_t N> QByteArray b(const char (&texte)[N]) {
    return QByteArray(texte, N - 1);
}

// Une colonne nulle désigne un pointeur nul.
const char* ou_nul(const QByteArray& octets) {
    return octets.isNull() ? nullptr : octets.constData();
}

std::optional<QString> opt(const QByteArray& octets) {
    return octets.isNull() ? std::nullopt : std::optional<QString>(QString::fromLatin1(octets));
}

const char* const k_fichier = "T.INI";

} // namespace

class TestProfil : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_windows;
    QString chemin(const QString& nom = QString::fromLatin1(k_fichier)) const {
        return m_windows->filePath(nom);
    }
    void poser(const QByteArray& octets, const QString& nom = QString::fromLatin1(k_fichier));
    QByteArray contenu(const QString& nom = QString::fromLatin1(k_fichier)) const;

private slots:
    void init();
    void lecture_data();
    void lecture();
    void troncature_data();
    void troncature();
    void liste_cles_data();
    void liste_cles();
    void liste_de_250();
    void ecriture_data();
    void ecriture();
    void injection_refusee_data();
    void injection_refusee();
    void windows_1252_data();
    void windows_1252();
    void noms_accentues();
    void relecture_apres_ecritures();
    void repertoire_windows_et_win_ini();
    void repertoire_par_defaut();
    void nom_sans_egard_a_la_casse();
    void droits_conserves();
    void lecture_seule_refusee();
    void echec_entree_sortie();
};

void TestProfil::poser(const QByteArray& octets, const QString& nom) {
    QFile fichier(chemin(nom));
    QVERIFY(fichier.open(QIODevice::WriteOnly));
    QCOMPARE(fichier.write(octets), octets.size());
}

QByteArray TestProfil::contenu(const QString& nom) const {
    QFile fichier(chemin(nom));
    return fichier.open(QIODevice::ReadOnly) ? fichier.readAll() : QByteArray();
}

void TestProfil::init() {
    m_windows = std::make_unique<QTemporaryDir>();
    QVERIFY(m_windows->isValid());
    qputenv("KALDRON_WINDOWS", QFile::encodeName(m_windows->path()));
}

void TestProfil::lecture_data() {
    QTest::addColumn<QByteArray>("texte"); // nul : pas de fichier
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("cle");
    QTest::addColumn<QByteArray>("defaut");
    QTest::addColumn<QByteArray>("attendu");

    const QByteArray d = "def";
    QTest::newRow("simple") << b("[S]\r\nk=v\r\n") << b("S") << b("k") << d << b("v");
    QTest::newRow("casse") << b("[Options]\r\nEditeur=x\r\n") << b("OPTIONS") << b("eDITEUR") << d
                           << b("x");
    QTest::newRow("casse accentuée") << b("[S\xE9lections]\r\nR\xE9pertoire=x\r\n")
                                     << b("S\xC9LECTIONS") << b("R\xC9PERTOIRE") << d << b("x");
    QTest::newRow("casse Œ Š Ÿ") << b("[\x8C\x8A\x9F]\r\nk=x\r\n") << b("\x9C\x9A\xFF") << b("K")
                                 << d << b("x");
    QTest::newRow("blancs et tabulations")
        << b("[ S ]\r\n \t k \t= \t v w \t\r\n") << b("S") << b("k") << d << b("v w");
    QTest::newRow("noms demandés avec blancs")
        << b("[S]\r\nk=v\r\n") << b(" S ") << b("\tk ") << d << b("v");
    QTest::newRow("guillemets doubles")
        << b("[S]\r\nk= \" a b \" \r\n") << b("S") << b("k") << d << b(" a b ");
    QTest::newRow("guillemets simples") << b("[S]\r\nk='x'\r\n") << b("S") << b("k") << d << b("x");
    QTest::newRow("une paire seulement")
        << b("[S]\r\nk=\"\"x\"\"\r\n") << b("S") << b("k") << d << b("\"x\"");
    QTest::newRow("guillemets dépareillés")
        << b("[S]\r\nk=\"x'\r\n") << b("S") << b("k") << d << b("\"x'");
    QTest::newRow("guillemet seul") << b("[S]\r\nk=\"\r\n") << b("S") << b("k") << d << b("\"");
    QTest::newRow("premier égal") << b("[S]\r\nk = a=b\r\n") << b("S") << b("k") << d << b("a=b");
    QTest::newRow("première clé") << b("[S]\r\nk=1\r\nK=2\r\n") << b("S") << b("k") << d << b("1");
    QTest::newRow("première section")
        << b("[S]\r\na=1\r\n[T]\r\n[s]\r\na=3\r\nb=4\r\n") << b("S") << b("b") << d << b("def");
    QTest::newRow("ligne sans égal") << b("[S]\r\nk\r\n") << b("S") << b("k") << d << b("def");
    QTest::newRow("commentaire") << b("[S]\r\n;k=1\r\n") << b("S") << b("k") << d << b("def");
    QTest::newRow("commentaire indenté")
        << b("[S]\r\n \t;k=1\r\n") << b("S") << b("k") << d << b("def");
    QTest::newRow("texte après crochet")
        << b("[ S ] suite ; x\r\nk=v") << b("S") << b("k") << d << b("v");
    QTest::newRow("crochet non fermé")
        << b("[S]\r\n[T\r\nk=v\r\n") << b("S") << b("k") << d << b("v");
    QTest::newRow("fins LF") << b("[S]\nk=v\nj=w\n") << b("S") << b("j") << d << b("w");
    QTest::newRow("fins CR") << b("[S]\rk=v\rj=w\r") << b("S") << b("j") << d << b("w");
    QTest::newRow("fins mêlées") << b("[S]\r\na=1\nb=2\rc=3\r\n") << b("S") << b("b") << d
                                 << b("2");
    QTest::newRow("sans fin de ligne") << b("[S]\r\nk=v") << b("S") << b("k") << d << b("v");
    QTest::newRow("clé d'une autre section")
        << b("[S]\r\na=1\r\n[T]\r\nk=v\r\n") << b("S") << b("k") << d << b("def");
    QTest::newRow("clé hors section") << b("k=v\r\n[S]\r\n") << b("S") << b("k") << d << b("def");
    QTest::newRow("section absente") << b("[S]\r\nk=v\r\n") << b("X") << b("k") << d << b("def");
    QTest::newRow("fichier absent") << QByteArray() << b("S") << b("k") << d << b("def");
    QTest::newRow("section nulle")
        << b("[S]\r\nk=v\r\n") << QByteArray() << b("k") << d << b("def");
    QTest::newRow("défaut sans blancs de fin")
        << b("") << b("S") << b("k") << b(" d \t ") << b(" d");
    QTest::newRow("défaut nul") << b("") << b("S") << b("k") << QByteArray() << b("");
    QTest::newRow("valeur vide") << b("[S]\r\nk=\r\n") << b("S") << b("k") << d << b("");
    QTest::newRow("valeur de blancs") << b("[S]\r\nk= \t \r\n") << b("S") << b("k") << d << b("");
}

void TestProfil::lecture() {
    QFETCH(QByteArray, texte);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, cle);
    QFETCH(QByteArray, defaut);
    QFETCH(QByteArray, attendu);
    if (!texte.isNull())
        poser(texte);

    char tampon[64];
    const unsigned n = GetPrivateProfileStringA(ou_nul(section), cle.constData(), ou_nul(defaut),
                                                tampon, sizeof tampon, k_fichier);
    QCOMPARE(QByteArray(tampon, n), attendu);
    QCOMPARE(tampon[n], '\0');
}

void TestProfil::troncature_data() {
    QTest::addColumn<QByteArray>("cle");
    QTest::addColumn<unsigned>("taille");
    QTest::addColumn<QByteArray>("attendu");

    QTest::newRow("tampon nul") << b("k") << 0u << b("");
    QTest::newRow("un octet") << b("k") << 1u << b("");
    QTest::newRow("coupée") << b("k") << 4u << b("abc");
    QTest::newRow("un de moins") << b("k") << 6u << b("abcde");
    QTest::newRow("juste") << b("k") << 7u << b("abcdef");
    QTest::newRow("large") << b("k") << 12u << b("abcdef");
    QTest::newRow("défaut coupé") << b("absente") << 3u << b("uv");
}

// La valeur rendue tient dans le tampon, NUL compris, et rien n'est écrit au-delà.
void TestProfil::troncature() {
    QFETCH(QByteArray, cle);
    QFETCH(unsigned, taille);
    QFETCH(QByteArray, attendu);
    poser("[S]\r\nk=abcdef\r\n");

    QByteArray tampon(16, '#');
    const unsigned n =
        GetPrivateProfileStringA("S", cle.constData(), "uvwxyz", tampon.data(), taille, k_fichier);
    QCOMPARE(n, unsigned(attendu.size()));
    QCOMPARE(tampon.first(n), attendu);
    if (taille > 0)
        QCOMPARE(tampon[n], '\0');
    QCOMPARE(tampon.sliced(taille), QByteArray(16 - taille, '#'));
    QCOMPARE(lire_profil(u"s"_s, QString::fromLatin1(cle), u"uvwxyz"_s, taille,
                         QString::fromLatin1(k_fichier)),
             QString::fromLatin1(attendu));
}

void TestProfil::liste_cles_data() {
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<unsigned>("taille");
    QTest::addColumn<QByteArray>("attendu"); // le tampon jusqu'à son dernier NUL
    QTest::addColumn<unsigned>("retour");
    QTest::addColumn<QStringList>("noms");

    const QStringList tous = {u"un"_s, u"deux"_s, u"trois"_s};
    QTest::newRow("large") << b("S") << 64u << b("un\0deux\0trois\0\0") << 14u << tous;
    QTest::newRow("juste") << b("S") << 15u << b("un\0deux\0trois\0\0") << 14u << tous;
    QTest::newRow("dernier nom coupé") << b("S") << 14u << b("un\0deux\0troi\0\0") << 12u
                                       << QStringList{u"un"_s, u"deux"_s, u"troi"_s};
    QTest::newRow("coupe entre deux noms")
        << b("S") << 10u << b("un\0deux\0\0\0") << 8u << QStringList{u"un"_s, u"deux"_s};
    QTest::newRow("un seul nom") << b("S") << 5u << b("un\0\0\0") << 3u << QStringList{u"un"_s};
    QTest::newRow("deux octets") << b("S") << 2u << b("\0\0") << 0u << QStringList();
    QTest::newRow("un octet") << b("S") << 1u << b("\0") << 0u << QStringList();
    QTest::newRow("section vide") << b("V") << 64u << b("\0\0") << 0u << QStringList();
    QTest::newRow("section absente") << b("X") << 64u << b("\0\0") << 0u << QStringList();
}

// Ordre du fichier, doublures et commentaires écartés, coupe en fin de tampon.
void TestProfil::liste_cles() {
    QFETCH(QByteArray, section);
    QFETCH(unsigned, taille);
    QFETCH(QByteArray, attendu);
    QFETCH(unsigned, retour);
    QFETCH(QStringList, noms);
    poser("[S]\r\nun=1\r\n; zero=0\r\n\r\ndeux=2\r\nUN=3\r\ntrois\r\ntrois=3\r\n[V]\r\n"
          "[T]\r\nx=1\r\n");

    QByteArray tampon(80, '#');
    QCOMPARE(GetPrivateProfileStringA(section.constData(), nullptr, "def", tampon.data(), taille,
                                      k_fichier),
             retour);
    QCOMPARE(tampon.first(attendu.size()), attendu);
    QCOMPARE(tampon.sliced(taille), QByteArray(80 - taille, '#'));
    QCOMPARE(cles_profil(QString::fromLatin1(section), taille, QString::fromLatin1(k_fichier)),
             noms);
}

// Une lecture des clés dans un tampon de 250 : les noms tant qu'ils tiennent.
void TestProfil::liste_de_250() {
    QByteArray texte = "[Boutons]\r\n";
    for (int i = 0; i < 40; ++i)
        texte += QByteArray("Bouton_") + QByteArray::number(100 + i) + "=x\r\n";
    poser(texte);

    QByteArray tampon(260, '#');
    QCOMPARE(GetPrivateProfileStringA("Boutons", nullptr, "", tampon.data(), 250, k_fichier), 248u);
    QCOMPARE(tampon.sliced(248, 2), b("\0\0"));
    QCOMPARE(tampon.sliced(250), QByteArray(10, '#'));
    const QStringList noms = cles_profil(u"Boutons"_s, 250, QString::fromLatin1(k_fichier));
    QCOMPARE(noms.size(), 23); // 22 noms de 10 caractères, puis 6 du suivant
    QCOMPARE(noms[21], u"Bouton_121"_s);
    QCOMPARE(noms[22], u"Bouton"_s);
}

void TestProfil::ecriture_data() {
    QTest::addColumn<QByteArray>("avant"); // nul : pas de fichier
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("cle");    // nulle : suppression de la section
    QTest::addColumn<QByteArray>("valeur"); // nulle : suppression de la clé
    QTest::addColumn<QByteArray>("apres");  // nul : toujours pas de fichier

    const QByteArray nul;
    const QByteArray main_ =
        b("; R\xE9glages\n\n[Options]\r\n  Editeur =  NOTEPAD.EXE  \n"
          "\tConfirme\t=\tOui\r\n; fin\r\n\r\n[Boutons]\rB1=CALC.EXE\r\r[V]\n");
    QTest::newRow("réécriture sur place") << b("[S]\r\nCle = 1 ; x\r\nb=2\r\n") << b("S")
                                          << b("CLE") << b("9") << b("[S]\r\nCle=9\r\nb=2\r\n");
    QTest::newRow("réécriture d'une ligne LF")
        << b("[S]\nk=1\nj=2\n") << b("S") << b("k") << b("3") << b("[S]\nk=3\r\nj=2\n");
    QTest::newRow("ajout après la dernière clé")
        << b("[A]\r\na=1\r\n\r\n; B suit\r\n[B]\r\nb=1\r\n") << b("a") << b("n") << b("v")
        << b("[A]\r\na=1\r\nn=v\r\n\r\n; B suit\r\n[B]\r\nb=1\r\n");
    QTest::newRow("section sans clé")
        << b("[A]\r\n\r\n[B]\r\n") << b("A") << b("n") << b("v") << b("[A]\r\nn=v\r\n\r\n[B]\r\n");
    QTest::newRow("dernière ligne sans fin")
        << b("[A]\r\na=1") << b("A") << b("n") << b("v") << b("[A]\r\na=1\r\nn=v\r\n");
    QTest::newRow("nouvelle section")
        << b("[A]\r\na=1\r\n") << b("N") << b("n") << b("v") << b("[A]\r\na=1\r\n[N]\r\nn=v\r\n");
    QTest::newRow("nouvelle section, fin sans saut")
        << b("[A]\r\na=1") << b("N") << b("n") << b("v") << b("[A]\r\na=1\r\n[N]\r\nn=v\r\n");
    QTest::newRow("fichier vide") << b("") << b("N") << b("n") << b("v") << b("[N]\r\nn=v\r\n");
    QTest::newRow("fichier absent") << nul << b("N") << b("n") << b("v") << b("[N]\r\nn=v\r\n");
    QTest::newRow("noms écrits sans blancs")
        << nul << b(" N\t") << b(" n ") << b("v") << b("[N]\r\nn=v\r\n");
    QTest::newRow("valeur vide") << nul << b("N") << b("n") << b("") << b("[N]\r\nn=\r\n");
    QTest::newRow("première des sections doublées")
        << b("[A]\r\na=1\r\n[B]\r\n[A]\r\nb=1\r\n") << b("A") << b("b") << b("2")
        << b("[A]\r\na=1\r\nb=2\r\n[B]\r\n[A]\r\nb=1\r\n");
    QTest::newRow("suppression de clé")
        << b("[A]\na=1\nb=2\nc=3\n") << b("A") << b("B") << nul << b("[A]\na=1\nc=3\n");
    QTest::newRow("suppression de clé doublée")
        << b("[A]\r\nb=1\r\nb=2\r\nc=3\r\n") << b("A") << b("b") << nul << b("[A]\r\nc=3\r\n");
    QTest::newRow("suppression de clé absente")
        << b("[A]\na=1\n") << b("A") << b("x") << nul << b("[A]\na=1\n");
    QTest::newRow("suppression dans section absente")
        << b("[A]\na=1\n") << b("X") << b("a") << nul << b("[A]\na=1\n");
    QTest::newRow("suppression, fichier absent") << nul << b("A") << b("a") << nul << nul;
    QTest::newRow("suppression de section") << b("[A]\r\na=1\r\n;note\r\n\r\n[B]\r\nb=2\r\n")
                                            << b("a") << nul << nul << b("\r\n[B]\r\nb=2\r\n");
    QTest::newRow("suppression de section doublée") << b("[A]\r\na=1\r\n[B]\r\nb=1\r\n[a]\r\nc=1")
                                                    << b("A") << nul << nul << b("[B]\r\nb=1\r\n");
    QTest::newRow("suppression de section absente")
        << b("[A]\na=1\n") << b("X") << nul << nul << b("[A]\na=1\n");
    QTest::newRow("suppression de section, fichier absent") << nul << b("A") << nul << nul << nul;
    QTest::newRow("fait main : réécriture")
        << main_ << b("options") << b("confirme") << b("Non")
        << b("; R\xE9glages\n\n[Options]\r\n  Editeur =  NOTEPAD.EXE  \nConfirme=Non\r\n"
             "; fin\r\n\r\n[Boutons]\rB1=CALC.EXE\r\r[V]\n");
    QTest::newRow("fait main : ajout")
        << main_ << b("Boutons") << b("B2") << b("X")
        << b("; R\xE9glages\n\n[Options]\r\n  Editeur =  NOTEPAD.EXE  \n"
             "\tConfirme\t=\tOui\r\n; fin\r\n\r\n[Boutons]\rB1=CALC.EXE\rB2=X\r\n\r[V]\n");
    QTest::newRow("fait main : suppression")
        << main_ << b("Options") << b("Editeur") << nul
        << b("; R\xE9glages\n\n[Options]\r\n\tConfirme\t=\tOui\r\n; fin\r\n\r\n[Boutons]\r"
             "B1=CALC.EXE\r\r[V]\n");
    QTest::newRow("fait main : section vide")
        << main_ << b("V") << b("k") << b("1")
        << b("; R\xE9glages\n\n[Options]\r\n  Editeur =  NOTEPAD.EXE  \n\tConfirme\t=\tOui\r\n"
             "; fin\r\n\r\n[Boutons]\rB1=CALC.EXE\r\r[V]\nk=1\r\n");
}

// Seule la ligne visée change ; aucun fichier temporaire ne reste.
void TestProfil::ecriture() {
    QFETCH(QByteArray, avant);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, cle);
    QFETCH(QByteArray, valeur);
    QFETCH(QByteArray, apres);
    if (!avant.isNull())
        poser(avant);

    QVERIFY(
        WritePrivateProfileStringA(section.constData(), ou_nul(cle), ou_nul(valeur), k_fichier));
    QCOMPARE(QFile::exists(chemin()), !apres.isNull());
    QCOMPARE(contenu(), apres);
    const QStringList restants = QDir(m_windows->path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(restants,
             apres.isNull() ? QStringList() : QStringList{QString::fromLatin1(k_fichier)});

    // La couche QString suit les mêmes règles.
    if (!avant.isNull())
        poser(avant);
    else
        QFile::remove(chemin());
    QVERIFY(ecrire_profil(QString::fromLatin1(section), opt(cle), opt(valeur),
                          QString::fromLatin1(k_fichier)));
    QCOMPARE(contenu(), apres);
}

void TestProfil::injection_refusee_data() {
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("cle");
    QTest::addColumn<QByteArray>("valeur");

    QTest::newRow("valeur LF") << b("S") << b("k") << b("a\n[X]\nb=c");
    QTest::newRow("valeur CR") << b("S") << b("k") << b("a\rb=c");
    QTest::newRow("valeur CR LF") << b("S") << b("n") << b("a\r\nb=c");
    QTest::newRow("clé LF") << b("S") << b("a\nb") << b("1");
    QTest::newRow("clé LF, suppression") << b("S") << b("k\n") << QByteArray();
    QTest::newRow("clé CR") << b("S") << b("a\rb") << b("1");
    QTest::newRow("clé crochet") << b("S") << b("[X]") << b("1");
    QTest::newRow("clé point-virgule") << b("S") << b(" ;x") << b("1");
    QTest::newRow("clé avec égal") << b("S") << b("k=2") << b("1");
    QTest::newRow("clé vide") << b("S") << b("") << b("1");
    QTest::newRow("clé de blancs") << b("S") << b(" \t") << b("1");
    QTest::newRow("section crochet") << b("S]\r\n[T") << b("k") << b("1");
    QTest::newRow("section crochet seul") << b("a]b") << b("k") << b("1");
    QTest::newRow("section LF") << b("a\nb") << b("k") << b("1");
    QTest::newRow("section LF, suppression") << b("S\n") << QByteArray() << QByteArray();
    QTest::newRow("section vide") << b("") << b("k") << b("1");
}

void TestProfil::injection_refusee() {
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, cle);
    QFETCH(QByteArray, valeur);
    const QByteArray avant = b("[S]\r\nk=1\r\n");
    poser(avant);

    QVERIFY(
        !WritePrivateProfileStringA(section.constData(), ou_nul(cle), ou_nul(valeur), k_fichier));
    QCOMPARE(contenu(), avant);
    QVERIFY(!ecrire_profil(QString::fromLatin1(section), opt(cle), opt(valeur),
                           QString::fromLatin1(k_fichier)));
    QCOMPARE(contenu(), avant);
}

void TestProfil::windows_1252_data() {
    QTest::addColumn<QString>("valeur");
    QTest::addColumn<QByteArray>("octets");
    QTest::addColumn<QString>("relue");

    QTest::newRow("accents") << u"Iconisé à l'été"_s << b("Iconis\xE9 \xE0 l'\xE9t\xE9")
                             << u"Iconisé à l'été"_s;
    QTest::newRow("euro et ligatures")
        << u"5 € Œœ Ÿ “x”"_s << b("5 \x80 \x8C\x9C \x9F \x93x\x94") << u"5 € Œœ Ÿ “x”"_s;
    QTest::newRow("octets non attribués")
        << u"\u0081\u008D"_s << b("\x81\x8D") << u"\u0081\u008D"_s;
    QTest::newRow("hors jeu") << u"日本"_s << b("??") << u"??"_s;
    QTest::newRow("paire de substitution") << u"a😀b"_s << b("a?b") << u"a?b"_s;
    QTest::newRow("NUL refusé") << QString::fromUtf16(u"a\0b", 3) << QByteArray() << QString();
}

void TestProfil::windows_1252() {
    QFETCH(QString, valeur);
    QFETCH(QByteArray, octets);
    QFETCH(QString, relue);

    const QString fichier = QString::fromLatin1(k_fichier);
    QCOMPARE(ecrire_profil(u"S"_s, u"k"_s, valeur, fichier), !octets.isNull());
    if (octets.isNull()) {
        QVERIFY(!QFile::exists(chemin()));
    } else {
        QCOMPARE(contenu(), b("[S]\r\nk=") + octets + b("\r\n"));
        QCOMPARE(lire_profil(u"S"_s, u"k"_s, {}, 128, fichier), relue);
    }
}

// Noms de section et de clé accentués : octets 0xE9 sur disque, casse ignorée.
void TestProfil::noms_accentues() {
    const QString fichier = QString::fromLatin1(k_fichier);
    QVERIFY(ecrire_profil(u"Sélections"_s, u"Répertoire"_s, u"C:\\"_s, fichier));
    QVERIFY(ecrire_profil(u"Options"_s, u"Iconisé"_s, u"Non"_s, fichier));
    QVERIFY(ecrire_profil(u"SÉLECTIONS"_s, u"répertoire"_s, u"D:\\"_s, fichier));
    QCOMPARE(contenu(),
             b("[S\xE9lections]\r\nR\xE9pertoire=D:\\\r\n[Options]\r\nIconis\xE9=Non\r\n"));
    QCOMPARE(lire_profil(u"sélections"_s, u"RÉPERTOIRE"_s, {}, 128, fichier), u"D:\\"_s);
    QCOMPARE(cles_profil(u"OPTIONS"_s, 250, fichier), QStringList{u"Iconisé"_s});
}

// Suite d'écritures mêlées : chaque clé relue vaut la dernière valeur écrite,
// et la liste des clés garde l'ordre des premières écritures.
void TestProfil::relecture_apres_ecritures() {
    const QString fichier = QString::fromLatin1(k_fichier);
    QMap<QString, QMap<QString, QString>> attendu;
    QMap<QString, QStringList> ordre;
    for (int i = 0; i < 60; ++i) {
        const QString section = u"S"_s + QString::number(i % 3);
        const QString cle = u"cle"_s + QString::number((i * 7) % 25);
        const QString valeur = u"v"_s + QString::number(i);
        QVERIFY(ecrire_profil(section, cle, valeur, fichier));
        if (!attendu[section].contains(cle))
            ordre[section].append(cle);
        attendu[section][cle] = valeur;
        if (i % 9 == 8) { // de temps en temps, une suppression
            const QString ote = ordre[section].takeFirst();
            attendu[section].remove(ote);
            QVERIFY(ecrire_profil(section, ote, std::nullopt, fichier));
        }
    }
    for (auto s = attendu.cbegin(); s != attendu.cend(); ++s) {
        QCOMPARE(cles_profil(s.key(), 4096, fichier), ordre[s.key()]);
        for (auto c = s->cbegin(); c != s->cend(); ++c)
            QCOMPARE(lire_profil(s.key(), c.key(), u"absente"_s, 128, fichier), c.value());
    }
}

// Nom nu : répertoire Windows, créé au besoin ; WIN.INI y vit aussi.
void TestProfil::repertoire_windows_et_win_ini() {
    const QString sous = m_windows->filePath(u"a/b"_s);
    qputenv("KALDRON_WINDOWS", QFile::encodeName(sous));
    QCOMPARE(repertoire_windows(), sous);
    QVERIFY(QFileInfo(sous).isDir());

    QVERIFY(WriteProfileStringA("Windows", "BorderWidth", "4"));
    QCOMPARE(lire_win_ini(u"windows"_s, u"borderwidth"_s, u"3"_s, 3), u"4"_s);
    QVERIFY(ecrire_win_ini(u"Extensions"_s, u"txt"_s, u"NOTEPAD.EXE ^.txt"_s));
    QCOMPARE(cles_win_ini(u"Extensions"_s, 250), QStringList{u"txt"_s});
    char tampon[8];
    QCOMPARE(GetProfileStringA("Extensions", "doc", "", tampon, sizeof tampon), 0u);
    QFile win(sous + u"/WIN.INI"_s);
    QVERIFY(win.open(QIODevice::ReadOnly));
    QCOMPARE(win.readAll(),
             b("[Windows]\r\nBorderWidth=4\r\n[Extensions]\r\ntxt=NOTEPAD.EXE ^.txt\r\n"));

    // Un chemin de l'hôte est pris tel quel.
    const QString ailleurs = m_windows->filePath(u"X.INI"_s);
    QCOMPARE(chemin_profil(ailleurs), ailleurs);
    QVERIFY(ecrire_profil(u"S"_s, u"k"_s, u"v"_s, ailleurs));
    QVERIFY(QFile::exists(ailleurs));
    QVERIFY(!QFile::exists(sous + u"/X.INI"_s));
}

void TestProfil::repertoire_par_defaut() {
    qunsetenv("KALDRON_WINDOWS");
    const QByteArray ancien = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_windows->path()));
    const QString repertoire = repertoire_windows();
    if (ancien.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", ancien);
    QCOMPARE(repertoire, m_windows->filePath(u"kaldron"_s));
    QVERIFY(QFileInfo(repertoire).isDir());
}

// Un nom DOS ignore la casse : KALDRON.INI désigne un kaldron.ini existant.
void TestProfil::nom_sans_egard_a_la_casse() {
    poser("[S]\r\nk=1\r\n", u"kaldron.ini"_s);
    char tampon[8];
    QCOMPARE(GetPrivateProfileStringA("S", "k", "", tampon, sizeof tampon, "KALDRON.INI"), 1u);
    QVERIFY(WritePrivateProfileStringA("S", "k", "2", "Kaldron.Ini"));
    QCOMPARE(contenu(u"kaldron.ini"_s), b("[S]\r\nk=2\r\n"));
    QCOMPARE(QDir(m_windows->path()).entryList(QDir::Files), QStringList{u"kaldron.ini"_s});
}

void TestProfil::droits_conserves() {
    poser("[S]\r\nk=1\r\n");
    const auto droits = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(chemin(), droits));
    QVERIFY(WritePrivateProfileStringA("S", "k", "2", k_fichier));
    QCOMPARE(contenu(), b("[S]\r\nk=2\r\n"));
    const int sans_utilisateur = 0x7077; // les bits « utilisateur » doublent ceux du propriétaire
    QCOMPARE(int(QFile::permissions(chemin()) & sans_utilisateur), int(droits & sans_utilisateur));
}

// Lecture seule : l'écriture échoue, même quand le répertoire permettrait
// de remplacer le fichier.
void TestProfil::lecture_seule_refusee() {
    poser("[S]\r\nk=1\r\n");
    QVERIFY(QFile::setPermissions(chemin(), QFile::ReadOwner | QFile::ReadGroup));
    QVERIFY(!WritePrivateProfileStringA("S", "k", "2", k_fichier));
    QVERIFY(!WritePrivateProfileStringA("S", "k", nullptr, k_fichier));
    QVERIFY(!ecrire_profil(u"S"_s, u"n"_s, u"3"_s, QString::fromLatin1(k_fichier)));
    QCOMPARE(contenu(), b("[S]\r\nk=1\r\n"));
}

void TestProfil::echec_entree_sortie() {
    poser("x");
    const QString sous_fichier = chemin() + u"/X.INI"_s;
    QVERIFY(!ecrire_profil(u"S"_s, u"k"_s, u"v"_s, sous_fichier));
    QVERIFY(!ecrire_profil(u"S"_s, u"k"_s, u"v"_s, m_windows->filePath(u"absent/X.INI"_s)));
    QVERIFY(!QFile::exists(m_windows->filePath(u"absent"_s)));
    QVERIFY(!ecrire_profil(u"S"_s, u"k"_s, u"v"_s, m_windows->path()));
    QVERIFY(!WritePrivateProfileStringA("S", "k", "v", nullptr));
    QVERIFY(!WritePrivateProfileStringA(nullptr, "k", "v", k_fichier));
    QCOMPARE(lire_profil(u"S"_s, u"k"_s, u"d"_s, 8, m_windows->path()), u"d"_s);
}

QTEST_GUILESS_MAIN(TestProfil)
#include "test_profil.moc"
