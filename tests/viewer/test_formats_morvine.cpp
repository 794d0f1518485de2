// Types de fichier, Windows-1252, conversion DOS/Windows, recherche, et
// lecture/enregistrement des textes octet pour octet.
#include "platform/windows1252.h"
#include "viewer/core/conversion.h"
#include "viewer/core/recherche.h"
#include "viewer/core/texte.h"
#include "viewer/core/types_fichier.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <limits>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace morvine;
using namespace plateforme;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(morvine::Affichage)

namespace {

QByteArray tous_les_octets() {
    QByteArray octets(256, '\0');
    for (int i = 0; i < 256; ++i)
        octets[i] = char(i);
    return octets;
}

} // namespace

class TestFormatsMorvine : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dossier;
    QString poser(const QString& nom, const QByteArray& octets);
    QByteArray contenu(const QString& chemin) const;

private slots:
    void types_data();
    void types();
    void noms_data();
    void noms();
    void aller_retour_1252();
    void caracteres_1252_data();
    void caracteres_1252();
    void conversion_data();
    void conversion();
    void conversion_table_entiere();
    void recherche_data();
    void recherche();
    void message_non_trouve_data();
    void message_non_trouve();
    void lecture_texte();
    void ouverture_sans_creation();
    void fichiers_speciaux_refuses_data();
    void fichiers_speciaux_refuses();
    void texte_trop_grand_refuse();
    void enregistrement_data();
    void enregistrement();
    void enregistrement_garde_droits_et_attributs();
    void enregistrement_refuse_lecture_seule();
    void enregistrement_par_un_lien();
    void echantillon_dos();
};

QString TestFormatsMorvine::poser(const QString& nom, const QByteArray& octets) {
    QFile fichier(m_dossier.filePath(nom));
    if (!fichier.open(QIODevice::WriteOnly) || fichier.write(octets) != octets.size())
        qFatal("écriture impossible");
    return fichier.fileName();
}

QByteArray TestFormatsMorvine::contenu(const QString& chemin) const {
    QFile fichier(chemin);
    return fichier.open(QIODevice::ReadOnly) ? fichier.readAll() : QByteArray();
}

void TestFormatsMorvine::types_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<Affichage>("affichage");
    QTest::addColumn<int>("genre");
    QTest::newRow("NOTES sans extension") << u"NOTES"_s << Affichage::Vidage << 0;
    QTest::newRow("txt minuscules") << u"txt"_s << Affichage::Texte << 0;
    QTest::newRow("BAT") << u"BAT"_s << Affichage::Texte << 0;
    QTest::newRow("Ini") << u"Ini"_s << Affichage::Texte << 0;
    QTest::newRow("XXX forcé") << u"XXX"_s << Affichage::Vidage << 0;
    QTest::newRow("EXE") << u"EXE"_s << Affichage::Vidage << 0;
    QTest::newRow("DOC") << u"DOC"_s << Affichage::Word << 0;
    QTest::newRow("dot") << u"dot"_s << Affichage::Word << 0;
    QTest::newRow("WRI") << u"WRI"_s << Affichage::Write << 0;
    QTest::newRow("DBF") << u"dbf"_s << Affichage::Dbase << 0;
    QTest::newRow("ICO") << u"ico"_s << Affichage::Image << 1;
    QTest::newRow("BMP") << u"BMP"_s << Affichage::Image << 2;
    QTest::newRow("TIF") << u"TIF"_s << Affichage::Image << 2;
    QTest::newRow("WPG") << u"WPG"_s << Affichage::Image << 2;
    QTest::newRow("TIFF") << u"TIFF"_s << Affichage::Vidage << 0;
    QTest::newRow("vide") << QString() << Affichage::Vidage << 0;
}

void TestFormatsMorvine::types() {
    QFETCH(QString, type);
    QFETCH(Affichage, affichage);
    QFETCH(int, genre);
    QCOMPARE(affichage_pour(type), affichage);
    QCOMPARE(genre_image_pour(type), genre);
}

void TestFormatsMorvine::noms_data() {
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("titre");
    QTest::newRow("chemin DOS") << u"C:\\DOC\\Lettre.Txt"_s << u"Txt"_s << u"Lettre.Txt"_s;
    QTest::newRow("sans extension") << u"NOTES"_s << u"NOTES"_s << u"NOTES"_s;
    QTest::newRow("point dans un répertoire")
        << u"C:\\A.B\\NOTES"_s << u"C:\\A.B\\NOTES"_s << u"NOTES"_s;
    QTest::newRow("chemin de l'hôte") << u"/tmp/a.tar.gz"_s << u"gz"_s << u"a.tar.gz"_s;
    QTest::newRow("point final") << u"C:\\FICHIER."_s << QString() << u"FICHIER."_s;
}

void TestFormatsMorvine::noms() {
    QFETCH(QString, nom);
    QFETCH(QString, extension);
    QFETCH(QString, titre);
    QCOMPARE(extension_de(nom), extension);
    QCOMPARE(titre_de(nom), titre);
}

void TestFormatsMorvine::aller_retour_1252() {
    const QByteArray octets = tous_les_octets();
    const QString texte = depuis_1252(octets);
    QCOMPARE(texte.size(), 256);
    QCOMPARE(vers_1252(texte), octets);
    // Deux octets différents ne donnent jamais le même caractère.
    for (int i = 0; i < 256; ++i)
        QCOMPARE(texte.count(texte[i]), 1);
}

void TestFormatsMorvine::caracteres_1252_data() {
    QTest::addColumn<int>("octet");
    QTest::addColumn<QString>("caractere");
    QTest::newRow("euro") << 0x80 << u"€"_s;
    QTest::newRow("0x81 non attribué") << 0x81 << u"\u0081"_s;
    QTest::newRow("0x8D non attribué") << 0x8D << u"\u008D"_s;
    QTest::newRow("0x8F non attribué") << 0x8F << u"\u008F"_s;
    QTest::newRow("0x90 non attribué") << 0x90 << u"\u0090"_s;
    QTest::newRow("0x9D non attribué") << 0x9D << u"\u009D"_s;
    QTest::newRow("guillemet bas") << 0x82 << u"‚"_s;
    QTest::newRow("oe") << 0x9C << u"œ"_s;
    QTest::newRow("Y tréma") << 0x9F << u"Ÿ"_s;
    QTest::newRow("é") << 0xE9 << u"é"_s;
    QTest::newRow("espace insécable") << 0xA0 << u"\u00A0"_s;
}

void TestFormatsMorvine::caracteres_1252() {
    QFETCH(int, octet);
    QFETCH(QString, caractere);
    QCOMPARE(depuis_1252(QByteArray(1, char(octet))), caractere);
    QCOMPARE(vers_1252(caractere), QByteArray(1, char(octet)));
    QCOMPARE(vers_1252(u"中😀x"_s), QByteArray("??x"));
}

void TestFormatsMorvine::conversion_data() {
    QTest::addColumn<QByteArray>("dos");
    QTest::addColumn<QString>("windows");
    QTest::newRow("130 et 135 : é et ç") << QByteArray("\x82t\x87") << u"étç"_s;
    QTest::newRow("21 : paragraphe") << QByteArray("\x15 3") << u"§ 3"_s;
    QTest::newRow("sans caractère de la table") << QByteArray("abc\r\n") << u"abc\r\n"_s;
    QTest::newRow("145, 146, 155, 157, 173 inchangés")
        << QByteArray("\x91\x92\x9b\x9d\xad") << depuis_1252("\x91\x92\x9b\x9d\xad");
}

void TestFormatsMorvine::conversion() {
    QFETCH(QByteArray, dos);
    QFETCH(QString, windows);
    const QString texte = depuis_1252(dos);
    QCOMPARE(convertir_jeu_caracteres(true, texte), windows);
    QCOMPARE(vers_1252(convertir_jeu_caracteres(false, windows)), dos);
}

void TestFormatsMorvine::conversion_table_entiere() {
    const QByteArray dos("\x15\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8a\x8b\x8c\x8d\x8e\x8f"
                         "\x90\x93\x94\x95\x96\x97\x98\x99\x9a\x9c\xae\xaf\xe1\xe6");
    const QString ansi = u"§ÇüéâäàåçêëèïîìÄÅÉôöòûùÿÖÜ£«»ßµ"_s;
    QCOMPARE(convertir_jeu_caracteres(true, depuis_1252(dos)), ansi);
    QCOMPARE(vers_1252(convertir_jeu_caracteres(false, ansi)), dos);
    // Tout autre octet reste lui-même dans les deux sens.
    for (int i = 0; i < 256; ++i) {
        const QString c = depuis_1252(QByteArray(1, char(i)));
        if (dos.contains(char(i)) || ansi.contains(c))
            continue;
        QCOMPARE(convertir_jeu_caracteres(true, c), c);
        QCOMPARE(convertir_jeu_caracteres(false, c), c);
    }
}

void TestFormatsMorvine::recherche_data() {
    QTest::addColumn<QString>("texte");
    QTest::addColumn<QString>("chaine");
    QTest::addColumn<int>("direction");
    QTest::addColumn<bool>("maj_egal_min");
    QTest::addColumn<int>("curseur");
    QTest::addColumn<bool>("premiere");
    QTest::addColumn<QList<int>>("trouves");
    QTest::newRow("avant") << u"abcabc"_s << u"bc"_s << 1 << true << 0 << true
                           << QList<int>{1, 4, -1, -1};
    QTest::newRow("arrière depuis la fin")
        << u"abcabc"_s << u"bc"_s << 0 << true << 6 << true << QList<int>{4, 1, -1};
    QTest::newRow("arrière : occurrence juste avant le curseur")
        << u"abc"_s << u"c"_s << 0 << true << 3 << false << QList<int>{2, -1};
    QTest::newRow("arrière : occurrence à cheval sur le curseur")
        << u"abcabc"_s << u"bc"_s << 0 << true << 5 << true << QList<int>{1, -1};
    QTest::newRow("arrière : occurrences qui se chevauchent")
        << u"aaa"_s << u"aa"_s << 0 << true << 3 << true << QList<int>{1, -1};
    QTest::newRow("Maj. = Min. coché")
        << u"xxabc"_s << u"ABC"_s << 1 << true << 0 << true << QList<int>{2};
    QTest::newRow("Maj. = Min. décoché")
        << u"xxabc"_s << u"ABC"_s << 1 << false << 0 << true << QList<int>{-1};
    QTest::newRow("Maj. = Min. accents")
        << u"ÉTÉ été"_s << u"été"_s << 1 << true << 0 << true << QList<int>{0, 4, -1};
    QTest::newRow("texte changé : départ au curseur même")
        << u"aaa"_s << u"a"_s << 1 << true << 0 << true << QList<int>{0, 1, 2, -1};
    QTest::newRow("même position que la dernière : un caractère plus loin")
        << u"aaa"_s << u"a"_s << 1 << true << 0 << false << QList<int>{1, 2, -1};
    QTest::newRow("chaîne vide") << u"abc"_s << QString() << 1 << true << 0 << true
                                 << QList<int>{-1};
    QTest::newRow("curseur au-delà du texte")
        << u"abc"_s << u"c"_s << 0 << true << 99 << true << QList<int>{2};
}

void TestFormatsMorvine::recherche() {
    QFETCH(QString, texte);
    QFETCH(QString, chaine);
    QFETCH(int, direction);
    QFETCH(bool, maj_egal_min);
    QFETCH(int, curseur);
    QFETCH(bool, premiere);
    QFETCH(QList<int>, trouves);
    EtatRecherche etat;
    etat.chaine = chaine;
    etat.direction = direction;
    etat.premiere_recherche = premiere;
    qsizetype selection = curseur;
    for (int attendu : trouves) {
        const qsizetype trouve = chercher_texte(etat, texte, selection, maj_egal_min);
        QCOMPARE(trouve, qsizetype(attendu));
        if (trouve >= 0)
            selection = trouve;
        QCOMPARE(etat.derniere_position, std::min<qsizetype>(selection, texte.size()));
        QVERIFY(!etat.premiere_recherche);
    }
}

void TestFormatsMorvine::message_non_trouve_data() {
    QTest::addColumn<bool>("maj_egal_min");
    QTest::addColumn<QString>("message");
    QTest::newRow("coché") << true << u"La chaîne \"été x\" n'a pas été trouvée."_s;
    QTest::newRow("décoché") << false << u"La chaîne \"ÉTÉ x\" n'a pas été trouvée."_s;
}

void TestFormatsMorvine::message_non_trouve() {
    QFETCH(bool, maj_egal_min);
    QFETCH(QString, message);
    QCOMPARE(morvine::message_non_trouve(u"ÉTÉ x"_s, maj_egal_min), message);
}

void TestFormatsMorvine::lecture_texte() {
    const QString chemin = poser(u"TOUS.TXT"_s, tous_les_octets());
    QVERIFY(QFile::setPermissions(chemin, QFile::ReadOwner));
    QVERIFY(erreur_ouverture(chemin).isEmpty());
    const std::optional<QString> texte = lire_texte(chemin);
    QVERIFY(texte.has_value());
    QCOMPARE(*texte, depuis_1252(tous_les_octets()));
    QCOMPARE(lire_texte(poser(u"VIDE.TXT"_s, {})), std::optional<QString>(QString()));
}

void TestFormatsMorvine::ouverture_sans_creation() {
    const QString absent = m_dossier.filePath(u"ABSENT.TXT"_s);
    QVERIFY(!erreur_ouverture(absent).isEmpty());
    QVERIFY(!lire_texte(absent).has_value());
    QVERIFY(!QFile::exists(absent));
    QVERIFY(!erreur_ouverture(m_dossier.path()).isEmpty());
    QVERIFY(!lire_texte(m_dossier.path()).has_value());
}

// Ni tube, ni socket, ni périphérique : refusés sans attendre (un tube sans
// écrivain bloquerait l'ouverture pour toujours).
void TestFormatsMorvine::fichiers_speciaux_refuses_data() {
    QTest::addColumn<QString>("genre");
    QTest::newRow("tube") << u"tube"_s;
    QTest::newRow("socket") << u"socket"_s;
    QTest::newRow("périphérique") << u"/dev/zero"_s;
    QTest::newRow("lien vers un tube") << u"lien"_s;
}

void TestFormatsMorvine::fichiers_speciaux_refuses() {
    QFETCH(QString, genre);
    QString chemin = m_dossier.filePath(genre + u".TXT"_s);
    int prise = -1;
    if (genre == u"tube"_s || genre == u"lien"_s) {
        const QString tube = m_dossier.filePath(u"TUBE.TXT"_s);
        QFile::remove(tube);
        QCOMPARE(::mkfifo(QFile::encodeName(tube).constData(), 0600), 0);
        if (genre == u"lien"_s)
            QVERIFY(QFile::link(tube, chemin));
        else
            chemin = tube;
    } else if (genre == u"socket"_s) {
        prise = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un adresse{};
        adresse.sun_family = AF_UNIX;
        const QByteArray nom = QFile::encodeName(chemin);
        if (nom.size() >= qsizetype(sizeof adresse.sun_path))
            QSKIP("chemin trop long pour une socket");
        std::memcpy(adresse.sun_path, nom.constData(), size_t(nom.size()));
        QCOMPARE(::bind(prise, reinterpret_cast<sockaddr*>(&adresse), sizeof adresse), 0);
    } else {
        chemin = genre;
    }
    const QString erreur = erreur_ouverture(chemin);
    QCOMPARE(erreur, u"Erreur d'accès au chemin ou au fichier"_s);
    QString motif;
    QVERIFY(!lire_texte(chemin, 1 << 20, &motif).has_value());
    QCOMPARE(motif, erreur);
    QFile fichier;
    QVERIFY(!ouvrir_en_lecture(fichier, chemin));
    QVERIFY(!fichier.isOpen());
    if (prise >= 0)
        ::close(prise);
}

// Un texte plus grand que la limite est refusé avant toute lecture ; un
// fichier qui se dit vide mais ne finit pas s'arrête à la limite.
void TestFormatsMorvine::texte_trop_grand_refuse() {
    const QString chemin = m_dossier.filePath(u"CREUX.TXT"_s);
    QFile creux(chemin);
    QVERIFY(creux.open(QIODevice::WriteOnly));
    QVERIFY(creux.resize(qint64(3) << 20));
    creux.close();
    QString erreur;
    QVERIFY(!lire_texte(chemin, qint64(1) << 20, &erreur).has_value());
    QCOMPARE(erreur, u"Mémoire insuffisante : texte de 3 Mo, au plus 1 Mo"_s);
    QVERIFY(lire_texte(chemin, qint64(3) << 20, &erreur).has_value());
    // Taille 0 annoncée, contenu lu au fil de l'eau.
    QCOMPARE(QFileInfo(u"/proc/self/status"_s).size(), 0);
    QVERIFY(!lire_texte(u"/proc/self/status"_s, 100, &erreur).has_value());
    QVERIFY2(erreur.endsWith(u", au plus 100 octets"_s), qPrintable(erreur));
    QVERIFY(lire_texte(u"/proc/self/status"_s, 1 << 20, &erreur).value_or(QString()).size() > 100);

    // La limite d'origine : une part de la mémoire, jamais plus qu'un
    // document ne peut indicer ; un fichier creux plus grand que la mémoire
    // de la machine est refusé sans rien lire.
    qunsetenv("KALDRON_TEXTE_MAX");
    const qint64 memoire = qint64(::sysconf(_SC_PHYS_PAGES)) * ::sysconf(_SC_PAGESIZE);
    QVERIFY(limite_texte() > 0);
    QVERIFY(limite_texte() <= std::min<qint64>(memoire, std::numeric_limits<int>::max()));
    QVERIFY(creux.open(QIODevice::WriteOnly));
    if (!creux.resize(memoire + (qint64(1) << 30)))
        QSKIP("fichier creux de cette taille impossible ici");
    creux.close();
    QVERIFY(!lire_texte(chemin).has_value());
    qputenv("KALDRON_TEXTE_MAX", "1234");
    QCOMPARE(limite_texte(), qint64(1234));
    qunsetenv("KALDRON_TEXTE_MAX");
    QFile::remove(chemin);
}

void TestFormatsMorvine::enregistrement_data() {
    QTest::addColumn<QByteArray>("octets");
    QTest::newRow("CR LF gardés, pas de fin ajoutée") << QByteArray("a\r\nb");
    QTest::newRow("fin de ligne finale non doublée") << QByteArray("a\r\n");
    QTest::newRow("LF seul et CR seul") << QByteArray("a\nb\rc");
    QTest::newRow("les 256 octets") << tous_les_octets();
    QTest::newRow("vide") << QByteArray();
}

void TestFormatsMorvine::enregistrement() {
    QFETCH(QByteArray, octets);
    const QString chemin = poser(u"ENR.TXT"_s, "ancien contenu, plus long que le nouveau");
    QVERIFY(enregistrer_texte(chemin, depuis_1252(octets)));
    QCOMPARE(contenu(chemin), octets);
    // Un nouveau fichier aussi ; aucun fichier temporaire ne reste.
    const QString nouveau = m_dossier.filePath(u"NOUVEAU.TXT"_s);
    QFile::remove(nouveau);
    QVERIFY(enregistrer_texte(nouveau, depuis_1252(octets)));
    QCOMPARE(contenu(nouveau), octets);
    QCOMPARE(QDir(m_dossier.path()).entryList(QDir::Files | QDir::Hidden).filter(u"morvine"_s),
             QStringList());
}

void TestFormatsMorvine::enregistrement_garde_droits_et_attributs() {
    const QString chemin = poser(u"DROITS.TXT"_s, "x");
    const auto droits = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(chemin, droits));
    const QByteArray hote = QFile::encodeName(chemin);
    const bool xattr = ::setxattr(hote.constData(), "user.DOSATTRIB", "0x2", 3, 0) == 0;
    QVERIFY(enregistrer_texte(chemin, u"y"_s));
    QCOMPARE(contenu(chemin), QByteArray("y"));
    QCOMPARE(QFile::permissions(chemin) & 0x7077, droits);
    if (!xattr)
        QSKIP("attributs étendus non pris en charge ici");
    char valeur[8] = {};
    QCOMPARE(::getxattr(hote.constData(), "user.DOSATTRIB", valeur, sizeof valeur), ssize_t(3));
    QCOMPARE(QByteArray(valeur), QByteArray("0x2"));
}

void TestFormatsMorvine::enregistrement_refuse_lecture_seule() {
    const QString chemin = poser(u"LECTURE.TXT"_s, "intact");
    QVERIFY(QFile::setPermissions(chemin, QFile::ReadOwner | QFile::ReadGroup));
    QVERIFY(!enregistrer_texte(chemin, u"perdu"_s));
    QCOMPARE(contenu(chemin), QByteArray("intact"));
    QVERIFY(!enregistrer_texte(m_dossier.filePath(u"ABSENT/X.TXT"_s), u"x"_s));
    if (::geteuid() == 0)
        QSKIP("root écrit dans un répertoire sans droit d'écriture");
    QDir(m_dossier.path()).mkdir(u"FERME"_s);
    const QString ferme = m_dossier.filePath(u"FERME"_s);
    QVERIFY(QFile::setPermissions(ferme, QFile::ReadOwner | QFile::ExeOwner));
    QVERIFY(!enregistrer_texte(ferme + u"/X.TXT"_s, u"x"_s));
}

void TestFormatsMorvine::enregistrement_par_un_lien() {
    const QString cible = poser(u"CIBLE.TXT"_s, "a");
    const QString lien = m_dossier.filePath(u"LIEN.TXT"_s);
    QVERIFY(QFile::link(cible, lien));
    QVERIFY(enregistrer_texte(lien, u"b"_s));
    QVERIFY(QFileInfo(lien).isSymLink());
    QCOMPARE(contenu(cible), QByteArray("b"));
}

void TestFormatsMorvine::echantillon_dos() {
    const QString dossier = qEnvironmentVariable("KALDRON_ECHANTILLONS");
    if (dossier.isEmpty() || !QDir(dossier).exists())
        QSKIP("échantillons absents");
    const QString chemin = dossier + u"/txt/fdnls-vtest.fr"_s;
    const QByteArray octets = contenu(chemin);
    const std::optional<QString> texte = lire_texte(chemin);
    QVERIFY(texte.has_value());
    QCOMPARE(vers_1252(*texte), octets);
    // Le texte DOS converti n'a plus d'octet 130 (é) et revient à l'identique.
    const QString windows = convertir_jeu_caracteres(true, *texte);
    QVERIFY(!vers_1252(windows).contains('\x82'));
    QCOMPARE(vers_1252(convertir_jeu_caracteres(false, windows)), octets);
}

QTEST_GUILESS_MAIN(TestFormatsMorvine)
#include "test_formats_morvine.moc"
