// Corbeille : format de l'index, rangement, purge, restauration, refus.
#include "manager/common/etat_commande.h"
#include "manager/common/rapport_erreur.h"
#include "manager/configuration/fichier_configuration.h"
#include "manager/recycle_bin/corbeille.h"
#include "manager/recycle_bin/remplacement_atomique.h"
#include "platform/fichiers.h"
#include "platform/formats.h"
#include "platform/profil.h"
#include "support/dialogues_scriptes.h"
#include "support/erreur_de.h"
#include "support/unite_temporaire.h"
#include <QDate>
#include <QDir>
#include <QRegularExpression>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace plateforme;

Q_DECLARE_METATYPE(QList<qint64>)

namespace {
const QString CR = QString(QChar(13));

ino_t inode(const QString& chemin_hote) {
    struct stat st {};
    ::stat(QFile::encodeName(chemin_hote).constData(), &st);
    return st.st_ino;
}
} // namespace

class TestCorbeille : public QObject {
    Q_OBJECT

    std::unique_ptr<essai::UniteTemporaire> c;
    qint64 T = 0;

    static void taille_limite(int ko) {
        Reglages& r = reglages();
        r.taille_corbeille_texte = QString::number(ko);
        r.taille_corbeille = ko;
        r.temps_corbeille_texte.clear();
        r.temps_corbeille = 0;
        r.corbeille_active = true;
    }
    static void temps_limite(int jours) {
        Reglages& r = reglages();
        r.taille_corbeille_texte.clear();
        r.taille_corbeille = 0;
        r.temps_corbeille_texte = QString::number(jours);
        r.temps_corbeille = qint16(jours);
        r.corbeille_active = true;
    }

    QString index_hote() const { return c->hote(u"KALDRON.CRB"_s); }
    QList<QByteArray> lignes_index() const {
        QList<QByteArray> lignes = c->contenu(u"KALDRON.CRB"_s).split('\n');
        lignes.removeLast(); // après la dernière fin de ligne
        for (QByteArray& l : lignes)
            l.chop(l.endsWith('\r') ? 1 : 0);
        return lignes;
    }
    void ajouter_ligne_brute(const QByteArray& ligne) {
        QFile index(index_hote());
        QVERIFY(index.open(QIODevice::Append));
        index.write(ligne);
    }
    // Fichier déjà stocké (caché, lecture seule) et sa ligne, écrits à la main.
    EntreeCorbeille stocker(int numero, qint64 jour, qint64 taille, const QString& nom) {
        EntreeCorbeille e{corbeille::nom_stocke(jour, numero), jour, taille, nom,
                          c->dos(u"DOC\\"_s)};
        c->creer_fichier(u"DOC/"_s + e.nom_stocke, QByteArray(int(taille), 'x'));
        definir_attributs(e.chemin_stocke(), ATTR_CACHE | ATTR_LECTURE_SEULE);
        ajouter_ligne_brute(corbeille::ligne(e) + "\r\n");
        return e;
    }
    // Fichier de DOC mis à la corbeille comme le fait EFFACER.
    void effacer(const QString& nom, const QByteArray& contenu) {
        c->creer_fichier(u"DOC/"_s + nom, contenu);
        Mettre_en_corbeille(c->dos(u"DOC/"_s + nom), nom, c->dos(u"DOC"_s), contenu.size());
    }
    bool stocke_present(const EntreeCorbeille& e) const {
        return QFile::exists(c->hote(u"DOC/"_s + e.nom_stocke));
    }
    QByteArray ini() const { return c->contenu(u"PROG/KALDRON.INI"_s); }
    QStringList fichiers_doc() const {
        return QDir(c->hote(u"DOC"_s)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

private slots:
    void init() {
        etat_commande().reinitialiser();
        reglages().reinitialiser();
        etat_corbeille().reinitialiser();
        c = std::make_unique<essai::UniteTemporaire>();
        c->creer_repertoire(u"PROG"_s);
        c->creer_repertoire(u"DOC"_s);
        configuration::etablir_chemins(reglages(), c->dos(u"PROG"_s));
        T = numero_jour(QDate::currentDate());
    }
    void cleanup() {
        etat_corbeille().reinitialiser();
        c.reset();
    }

    // Écriture puis relecture d'une ligne : champs, largeur de la taille.
    void ligne_index_data() {
        QTest::addColumn<qint64>("taille");
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("repertoire");
        QTest::addColumn<QByteArray>("attendu");
        QTest::newRow("petite") << qint64(12) << u"LISEZMOI.TXT"_s << u"C:\\DOC\\"_s
                                << QByteArray("crb45123.007 00000012 LISEZMOI.TXT C:\\DOC\\");
        QTest::newRow("vide") << qint64(0) << u"a"_s << u"D:\\"_s
                              << QByteArray("crb45123.007 00000000 a D:\\");
        QTest::newRow("99 999 999") << qint64(99'999'999) << u"g.bin"_s << u"C:\\"_s
                                    << QByteArray("crb45123.007 99999999 g.bin C:\\");
        QTest::newRow("100 000 000 élargie") << qint64(100'000'000) << u"g.bin"_s << u"C:\\"_s
                                             << QByteArray("crb45123.007 100000000 g.bin C:\\");
        QTest::newRow("5 Gio") << qint64(5'368'709'120) << u"g.iso"_s << u"C:\\X\\"_s
                               << QByteArray("crb45123.007 5368709120 g.iso C:\\X\\");
        QTest::newRow("blancs dans le nom")
            << qint64(3) << u" mon  fichier .txt "_s << u"C:\\MES DOCS\\"_s
            << QByteArray("crb45123.007 00000003  mon  fichier .txt  C:\\MES DOCS\\");
        QTest::newRow("accents en UTF-8") << qint64(1) << u"été.txt"_s << u"C:\\ÇA\\"_s
                                          << u"crb45123.007 00000001 été.txt C:\\ÇA\\"_s.toUtf8();
    }
    void ligne_index() {
        QFETCH(qint64, taille);
        QFETCH(QString, nom);
        QFETCH(QString, repertoire);
        QFETCH(QByteArray, attendu);
        const EntreeCorbeille e{u"crb45123.007"_s, 45123, taille, nom, repertoire};
        QCOMPARE(corbeille::ligne(e), attendu);
        const auto lue = corbeille::lire_ligne(attendu);
        QVERIFY(lue);
        QCOMPARE(lue->nom_stocke, e.nom_stocke);
        QCOMPARE(lue->jour, 45123);
        QCOMPARE(lue->taille, taille);
        QCOMPARE(lue->nom, nom);
        QCOMPARE(lue->repertoire, repertoire);
    }

    // Lignes écrites à la main : forme d'avant, Windows-1252, lignes abîmées.
    void lecture_data() {
        QTest::addColumn<QByteArray>("ligne");
        QTest::addColumn<bool>("valide");
        QTest::addColumn<qint64>("taille");
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("repertoire");
        QTest::newRow("ancienne") << QByteArray("crb35000.042 00001234 LISEZMOI.TXT C:\\DOC\\")
                                  << true << qint64(1234) << u"LISEZMOI.TXT"_s << u"C:\\DOC\\"_s;
        QTest::newRow("ancienne en Windows-1252")
            << QByteArray("crb35000.042 00000010 \xe9t\xe9 \x80.txt C:\\R\xc9SUM\xc9\\") << true
            << qint64(10) << u"été €.txt"_s << u"C:\\RÉSUMÉ\\"_s;
        QTest::newRow("sans barre finale") << QByteArray("crb35000.042 00000001 a C:\\DOC") << true
                                           << qint64(1) << u"a"_s << u"C:\\DOC\\"_s;
        QTest::newRow("capitales") << QByteArray("CRB35000.042 00000001 a C:\\") << true
                                   << qint64(1) << u"a"_s << u"C:\\"_s;
        QTest::newRow("coupée") << QByteArray("crb35000.042 0000") << false << qint64(0)
                                << QString() << QString();
        QTest::newRow("nom stocké étranger") << QByteArray("LISEZMOI.TXT 00000001 a C:\\DOC\\")
                                             << false << qint64(0) << QString() << QString();
        QTest::newRow("nom stocké trop long") << QByteArray("crb350000.042 00000001 a C:\\")
                                              << false << qint64(0) << QString() << QString();
        QTest::newRow("taille illisible") << QByteArray("crb35000.042 -0000001 a C:\\") << false
                                          << qint64(0) << QString() << QString();
        QTest::newRow("sans répertoire") << QByteArray("crb35000.042 00000001 a") << false
                                         << qint64(0) << QString() << QString();
        QTest::newRow("nom vide") << QByteArray("crb35000.042 00000001  C:\\") << false << qint64(0)
                                  << QString() << QString();
        QTest::newRow("lettres après le point") << QByteArray("crb35000.z0k 00000001 a C:\\")
                                                << true << qint64(1) << u"a"_s << u"C:\\"_s;
        QTest::newRow("signe après le point") << QByteArray("crb35000.0_9 00000001 a C:\\") << false
                                              << qint64(0) << QString() << QString();
        QTest::newRow("jour non numérique") << QByteArray("crb3500a.042 00000001 a C:\\") << false
                                            << qint64(0) << QString() << QString();
    }
    void lecture() {
        QFETCH(QByteArray, ligne);
        QFETCH(bool, valide);
        const auto lue = corbeille::lire_ligne(ligne);
        QCOMPARE(bool(lue), valide);
        if (!valide)
            return;
        QTEST(lue->taille, "taille");
        QTEST(lue->nom, "nom");
        QTEST(lue->repertoire, "repertoire");
        QCOMPARE(lue->jour, 35000);
    }

    // Rangement : nom stocké du jour, caché et lecture seule, index à la
    // racine de l'unité du programme.
    void mettre_en_corbeille() {
        c->creer_fichier(u"DOC/Lisez moi.txt"_s, "contenu");
        definir_attributs(c->dos(u"DOC/Lisez moi.txt"_s), ATTR_ARCHIVE);
        Ouvrir_corbeille();
        Mettre_en_corbeille(c->dos(u"DOC/Lisez moi.txt"_s), u"Lisez moi.txt"_s, c->dos(u"DOC"_s),
                            7);
        QVERIFY(!QFile::exists(c->hote(u"DOC/Lisez moi.txt"_s)));
        const QList<QByteArray> lignes = lignes_index();
        QCOMPARE(lignes.size(), 1);
        QVERIFY(lignes[0].startsWith("crb" + QByteArray::number(T) + "."));
        QCOMPARE(lignes[0].mid(12), QByteArray(" 00000007 Lisez moi.txt C:\\DOC\\"));
        QVERIFY(c->contenu(u"KALDRON.CRB"_s).endsWith("\r\n"));
        const QList<EntreeCorbeille> entrees = entrees_corbeille();
        QCOMPARE(entrees.size(), 1);
        QVERIFY(corbeille::nom_stocke_valide(entrees[0].nom_stocke));
        QCOMPARE(entrees[0].jour, T);
        QCOMPARE(c->contenu(u"DOC/"_s + entrees[0].nom_stocke), QByteArray("contenu"));
        QCOMPARE(attributs(entrees[0].chemin_stocke()),
                 unsigned(ATTR_ARCHIVE | ATTR_CACHE | ATTR_LECTURE_SEULE));
        QVERIFY(lister_fichiers(c->dos(u"DOC"_s), u"*.*"_s).isEmpty());
        QVERIFY(attributs(corbeille::chemin_index()) & ATTR_CACHE);
        QVERIFY(!QFile::exists(c->hote(u"PROG/KALDRON.CRB"_s)));
        QCOMPARE(etat_corbeille().total_corbeille, 7);
    }

    // Fichiers creux de 100 000 000 octets et plus : champ élargi, total 64 bits.
    void gros_fichier_data() {
        QTest::addColumn<qint64>("taille");
        QTest::addColumn<QByteArray>("champ");
        QTest::newRow("99 999 999") << qint64(99'999'999) << QByteArray(" 99999999 ");
        QTest::newRow("100 000 000") << qint64(100'000'000) << QByteArray(" 100000000 ");
        QTest::newRow("5 000 000 000") << qint64(5'000'000'000) << QByteArray(" 5000000000 ");
    }
    void gros_fichier() {
        QFETCH(qint64, taille);
        QFETCH(QByteArray, champ);
        QFile creux(c->creer_fichier(u"DOC/gros.bin"_s));
        QVERIFY(creux.resize(taille));
        Ouvrir_corbeille();
        Mettre_en_corbeille(c->dos(u"DOC/gros.bin"_s), u"gros.bin"_s, c->dos(u"DOC"_s),
                            longueur(c->dos(u"DOC/gros.bin"_s)));
        QCOMPARE(lignes_index()[0].mid(12), champ + "gros.bin C:\\DOC\\");
        QCOMPARE(entrees_corbeille()[0].taille, taille);
        // Seule et plus grosse que la corbeille : gardée.
        taille_limite(1);
        Purger_corbeille();
        QCOMPARE(entrees_corbeille().size(), 1);
        QVERIFY(ini().contains("Total= " + QByteArray::number(taille) + "\r\n"));
    }

    // Purge par taille : les plus anciennes d'abord, la plus récente toujours
    // gardée ; "Total" écrit avec son blanc de tête.
    void purge_taille_data() {
        QTest::addColumn<QList<qint64>>("tailles");
        QTest::addColumn<int>("limite_ko");
        QTest::addColumn<QList<bool>>("gardees");
        QTest::addColumn<qint64>("total");
        QTest::newRow("dans la limite") << QList<qint64>{1000, 1000, 1000} << 3
                                        << QList<bool>{true, true, true} << qint64(3000);
        QTest::newRow("limite exacte")
            << QList<qint64>{1024, 1024} << 2 << QList<bool>{true, true} << qint64(2048);
        QTest::newRow("la plus ancienne part") << QList<qint64>{2000, 2000, 2000} << 5
                                               << QList<bool>{false, true, true} << qint64(4000);
        QTest::newRow("seule et trop grosse")
            << QList<qint64>{20000} << 1 << QList<bool>{true} << qint64(20000);
        QTest::newRow("la plus récente trop grosse")
            << QList<qint64>{1000, 1000, 20000} << 10 << QList<bool>{false, false, true}
            << qint64(20000);
    }
    void purge_taille() {
        QFETCH(QList<qint64>, tailles);
        QFETCH(int, limite_ko);
        QFETCH(QList<bool>, gardees);
        QFETCH(qint64, total);
        Ouvrir_corbeille();
        for (int i = 0; i < tailles.size(); ++i)
            effacer(u"f%1.txt"_s.arg(i), QByteArray(int(tailles[i]), char('a' + i)));
        const QList<EntreeCorbeille> avant = entrees_corbeille();
        const QList<QByteArray> lignes_avant = lignes_index();
        const ino_t inode_avant = inode(index_hote());
        taille_limite(limite_ko);
        Purger_corbeille();
        QList<QByteArray> attendues;
        for (int i = 0; i < avant.size(); ++i) {
            QCOMPARE(stocke_present(avant[i]), gardees[i]);
            if (gardees[i])
                attendues.append(lignes_avant[i]);
        }
        QCOMPARE(lignes_index(), attendues);
        if (!gardees.contains(false))
            QCOMPARE(inode(index_hote()), inode_avant); // index intact
        QCOMPARE(etat_corbeille().total_corbeille, total);
        QVERIFY(ini().contains("[Corbeille]\r\nTotal= " + QByteArray::number(total) + "\r\n"));
        QVERIFY(!QFile::exists(c->hote(u"KALDRON.NEW"_s)));
        QVERIFY(attributs(corbeille::chemin_index()) & ATTR_CACHE);
    }

    // Purge par âge : T-3 gardée et T-4 détruite avec 3 jours, sauf la dernière.
    void purge_temps_data() {
        QTest::addColumn<QList<int>>("ages");
        QTest::addColumn<int>("jours");
        QTest::addColumn<QList<bool>>("gardees");
        QTest::newRow("T-4 détruite, T-3 gardée")
            << QList<int>{4, 3, 0} << 3 << QList<bool>{false, true, true};
        QTest::newRow("la dernière gardée, même vieille")
            << QList<int>{10, 9} << 3 << QList<bool>{false, true};
        QTest::newRow("seule et vieille") << QList<int>{400} << 1 << QList<bool>{true};
        QTest::newRow("toutes récentes") << QList<int>{1, 0} << 1 << QList<bool>{true, true};
    }
    void purge_temps() {
        QFETCH(QList<int>, ages);
        QFETCH(int, jours);
        QFETCH(QList<bool>, gardees);
        QList<EntreeCorbeille> stockees;
        qint64 total = 0;
        for (int i = 0; i < ages.size(); ++i) {
            stockees.append(stocker(i, T - ages[i], 100 + i, u"f%1"_s.arg(i)));
            total += gardees[i] ? 100 + i : 0;
        }
        temps_limite(jours);
        Ouvrir_corbeille();
        Purger_corbeille();
        for (int i = 0; i < stockees.size(); ++i)
            QCOMPARE(stocke_present(stockees[i]), gardees[i]);
        QCOMPARE(entrees_corbeille().size(), int(gardees.count(true)));
        QCOMPARE(etat_corbeille().total_corbeille, total);
        QVERIFY(ini().contains("Total= " + QByteArray::number(total) + "\r\n"));
    }

    // "Total" de plus de huit caractères relu en entier, seulement si le
    // total en mémoire est nul.
    void total_relu() {
        ecrire_profil(u"Corbeille"_s, u"Total"_s, u" 123456789012"_s,
                      reglages().chemin_configuration);
        Ouvrir_corbeille();
        QCOMPARE(etat_corbeille().total_corbeille, 123'456'789'012);
        etat_corbeille().total_corbeille = 5;
        Ouvrir_corbeille();
        QCOMPARE(etat_corbeille().total_corbeille, 5);
    }

    // Tirage : un nom déjà porté par un fichier ou par l'index en fait tirer
    // un autre ; le nom garde ses 12 caractères ; tout pris => 58. Les noms
    // à trois chiffres épuisés, le tirage passe aux lettres.
    void collision_data() {
        QTest::addColumn<QList<int>>("libres");   // numéros que rien ne porte
        QTest::addColumn<QList<int>>("fichiers"); // numéros pris par un fichier seul
        QTest::addColumn<bool>("chiffres");       // les 1 000 noms à chiffres sur le disque
        QTest::addColumn<int>("attendu");         // -1 : erreur 58 ; -2 : un nom avec lettre
        QTest::newRow("voisins pris par des fichiers")
            << QList<int>{517} << QList<int>{3, 516, 518, 700} << false << 517;
        QTest::newRow("tout le reste indexé") << QList<int>{700} << QList<int>{} << false << 700;
        QTest::newRow("tout pris") << QList<int>{} << QList<int>{5, 40000} << false << -1;
        QTest::newRow("chiffres épuisés") << QList<int>{} << QList<int>{} << true << -2;
    }
    void collision() {
        QFETCH(QList<int>, libres);
        QFETCH(QList<int>, fichiers);
        QFETCH(bool, chiffres);
        QFETCH(int, attendu);
        QByteArray lignes;
        for (int n = 0; n < 36 * 36 * 36 && !chiffres; ++n) {
            if (libres.contains(n))
                continue;
            const QString nom = corbeille::nom_stocke(T, n);
            if (fichiers.contains(n))
                c->creer_fichier(u"DOC/"_s + nom);
            else
                lignes += corbeille::ligne({nom, T, 1, u"perdu"_s, c->dos(u"DOC\\"_s)}) + "\r\n";
        }
        for (int n = 0; n < 1000 && chiffres; ++n)
            c->creer_fichier(u"DOC/crb%1.%2"_s.arg(T).arg(n, 3, 10, QChar(u'0')));
        ajouter_ligne_brute(lignes);
        const QList<QByteArray> lignes_avant = lignes_index();
        Ouvrir_corbeille();
        c->creer_fichier(u"DOC/neuf.txt"_s, "neuf");
        const int erreur = essai::erreur_de([&] {
            Mettre_en_corbeille(c->dos(u"DOC/neuf.txt"_s), u"neuf.txt"_s, c->dos(u"DOC"_s), 4);
        });
        if (attendu == -1) {
            QCOMPARE(erreur, 58);
            QCOMPARE(c->contenu(u"DOC/neuf.txt"_s), QByteArray("neuf"));
            QCOMPARE(lignes_index(), lignes_avant);
            return;
        }
        QCOMPARE(erreur, 0);
        const EntreeCorbeille e = entrees_corbeille().constLast();
        if (attendu >= 0)
            QCOMPARE(e.nom_stocke, corbeille::nom_stocke(T, attendu));
        else
            QVERIFY(e.nom_stocke.mid(9).contains(QRegularExpression(u"[a-z]"_s)));
        QCOMPARE(e.nom_stocke.size(), 12);
        QVERIFY(corbeille::nom_stocke_valide(e.nom_stocke));
        QCOMPARE(c->contenu(u"DOC/"_s + e.nom_stocke), QByteArray("neuf"));
    }

    // Cinq mille fichiers d'un même répertoire le même jour : tous rangés
    // sous des noms distincts (sans égard à la casse), tous rendus possibles.
    void cinq_mille_le_meme_jour() {
        constexpr int N = 5000;
        for (int i = 0; i < N; ++i)
            c->creer_fichier(u"DOC/f%1.txt"_s.arg(i), QByteArray::number(i));
        Ouvrir_corbeille();
        for (int i = 0; i < N; ++i) {
            const QString nom = u"f%1.txt"_s.arg(i);
            Mettre_en_corbeille(c->dos(u"DOC/"_s + nom), nom, c->dos(u"DOC"_s), 0);
        }
        const QList<EntreeCorbeille> entrees = entrees_corbeille();
        QCOMPARE(entrees.size(), N);
        QSet<QString> noms;
        for (const EntreeCorbeille& e : entrees) {
            QCOMPARE(e.jour, T);
            noms.insert(e.nom_stocke.toUpper());
        }
        QCOMPARE(noms.size(), N);
        QCOMPARE(fichiers_doc().size(), N);
        restaurer_entree(entrees.constLast());
        QCOMPARE(c->contenu(u"DOC/f4999.txt"_s), QByteArray("4999"));
    }

    // Noms qui casseraient la ligne : refusés (64, "Nom incorrect."), rien ne change.
    void noms_hostiles_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("repertoire");
        QTest::newRow("deux-points") << u"a:b.txt"_s << u"C:\\DOC"_s;
        QTest::newRow("lettre et deux-points") << u"x C:\\y"_s << u"C:\\DOC"_s;
        QTest::newRow("retour chariot") << (u"a"_s + CR + u"b"_s) << u"C:\\DOC"_s;
        QTest::newRow("saut de ligne") << u"a\nb"_s << u"C:\\DOC"_s;
        QTest::newRow("vide") << QString() << u"C:\\DOC"_s;
        QTest::newRow("répertoire avec deux-points") << u"ok.txt"_s << u"C:\\DOC\\x:y"_s;
        QTest::newRow("répertoire avec saut de ligne") << u"ok.txt"_s << u"C:\\DO\nC"_s;
    }
    void noms_hostiles() {
        QFETCH(QString, nom);
        QFETCH(QString, repertoire);
        c->creer_fichier(u"DOC/ok.txt"_s, "garde");
        Ouvrir_corbeille();
        QCOMPARE(essai::erreur_de(
                     [&] { Mettre_en_corbeille(c->dos(u"DOC/ok.txt"_s), nom, repertoire, 5); }),
                 64);
        QCOMPARE(fichiers_doc(), QStringList{u"ok.txt"_s});
        QVERIFY(lignes_index().isEmpty());
        QCOMPARE(etat_corbeille().total_corbeille, 0);
    }

    // Noms permis mais délicats : aller et retour par l'index.
    void noms_acceptes_data() {
        QTest::addColumn<QString>("nom");
        QTest::newRow("blancs") << u"  deux  blancs .txt "_s;
        QTest::newRow("accents") << u"été 2024 – ça.txt"_s;
        QTest::newRow("hors Windows-1252") << u"日本語.txt"_s;
        QTest::newRow("ressemble à un nom stocké") << u"crb45000.001"_s;
    }
    void noms_acceptes() {
        QFETCH(QString, nom);
        Ouvrir_corbeille();
        effacer(nom, "données");
        const QList<EntreeCorbeille> entrees = entrees_corbeille();
        QCOMPARE(entrees.size(), 1);
        QCOMPARE(entrees[0].nom, nom);
        QCOMPARE(entrees[0].repertoire, c->dos(u"DOC\\"_s));
        restaurer_entree(entrees[0]);
        QCOMPARE(c->contenu(u"DOC/"_s + nom), QByteArray("données"));
        QVERIFY(entrees_corbeille().isEmpty());
    }

    // Fichier en lecture seule, corbeille en service : erreur 75 et son
    // message, rien ne change.
    void lecture_seule_refusee() {
        c->creer_fichier(u"DOC/notes.txt"_s, "protégé");
        definir_attributs(c->dos(u"DOC/notes.txt"_s), ATTR_LECTURE_SEULE);
        Ouvrir_corbeille();
        EtatCommande& etat = etat_commande();
        etat.commande_courante = u"EFFACER"_s;
        etat.fichier_courant = u"notes.txt"_s;
        try {
            Mettre_en_corbeille(c->dos(u"DOC/notes.txt"_s), u"notes.txt"_s, c->dos(u"DOC"_s), 7);
            QFAIL("fichier en lecture seule accepté");
        } catch (const ErreurExecution& e) {
            QCOMPARE(e.numero(), 75);
            essai::DialoguesScriptes d;
            d.repondre(1);
            Rapport_erreur(reglages().unité_programme, e);
            QVERIFY(d.verifier());
            QCOMPARE(d.dernier().texte, u"Le fichier notes.txt"_s + CR +
                                            u"est protégé contre l'écriture :"_s + CR +
                                            u"modifiez son attribut et relancez l'opération."_s);
            QCOMPARE(d.dernier().style, 16);
            QCOMPARE(d.dernier().titre, u"EFFACER"_s);
        }
        QCOMPARE(fichiers_doc(), QStringList{u"notes.txt"_s});
        QCOMPARE(attributs(c->dos(u"DOC/notes.txt"_s)), unsigned(ATTR_LECTURE_SEULE));
        QVERIFY(lignes_index().isEmpty());
        QCOMPARE(etat_corbeille().total_corbeille, 0);
    }

    // Deux entrées sur cinq rendues : trois lignes dans leur ordre, total
    // diminué, fichiers rendus sans caché ni lecture seule.
    void restaurer_deux_sur_cinq() {
        Ouvrir_corbeille();
        for (int i = 0; i < 5; ++i) {
            c->creer_fichier(u"DOC/f%1.txt"_s.arg(i), QByteArray(10 + i, 'a'));
            if (i == 1)
                definir_attributs(c->dos(u"DOC/f1.txt"_s), ATTR_CACHE | ATTR_ARCHIVE);
            Mettre_en_corbeille(c->dos(u"DOC/f%1.txt"_s.arg(i)), u"f%1.txt"_s.arg(i),
                                c->dos(u"DOC"_s), 10 + i);
        }
        const QList<EntreeCorbeille> entrees = entrees_corbeille();
        const QList<QByteArray> lignes = lignes_index();
        restaurer_entree(entrees[1]);
        restaurer_entree(entrees[3]);
        QCOMPARE(lignes_index(), (QList<QByteArray>{lignes[0], lignes[2], lignes[4]}));
        QCOMPARE(etat_corbeille().total_corbeille, 10 + 12 + 14);
        QCOMPARE(c->contenu(u"DOC/f1.txt"_s), QByteArray(11, 'a'));
        QCOMPARE(attributs(c->dos(u"DOC/f1.txt"_s)), unsigned(ATTR_ARCHIVE));
        QCOMPARE(attributs(c->dos(u"DOC/f3.txt"_s)), unsigned(ATTR_NORMAL));
        QVERIFY(!stocke_present(entrees[1]) && stocke_present(entrees[2]));
    }

    // Conflits : rien ne change, l'entrée reste ; un autre nom réussit.
    void restaurer_conflits_data() {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<int>("erreur");
        QTest::newRow("nom pris") << u"nom"_s << 58;
        QTest::newRow("fichier stocké disparu") << u"stocke"_s << 53;
        QTest::newRow("répertoire disparu") << u"repertoire"_s << 76;
    }
    void restaurer_conflits() {
        QFETCH(QString, cas);
        QFETCH(int, erreur);
        Ouvrir_corbeille();
        effacer(u"a.txt"_s, "ancien");
        const EntreeCorbeille e = entrees_corbeille().constFirst();
        const QList<QByteArray> lignes = lignes_index();
        if (cas == u"nom"_s)
            c->creer_fichier(u"DOC/a.txt"_s, "nouveau");
        else if (cas == u"stocke"_s)
            QVERIFY(QFile::remove(c->hote(u"DOC/"_s + e.nom_stocke)));
        else
            QVERIFY(QDir(c->hote(u"DOC"_s)).removeRecursively());
        QCOMPARE(essai::erreur_de([&] { restaurer_entree(e); }), erreur);
        QCOMPARE(lignes_index(), lignes);
        QCOMPARE(etat_corbeille().total_corbeille, 6);
        if (cas != u"nom"_s)
            return;
        QCOMPARE(c->contenu(u"DOC/a.txt"_s), QByteArray("nouveau"));
        restaurer_entree(e, u"a (2).txt"_s);
        QCOMPARE(c->contenu(u"DOC/a (2).txt"_s), QByteArray("ancien"));
        QVERIFY(lignes_index().isEmpty());
        QCOMPARE(etat_corbeille().total_corbeille, 0);
    }

    // Les lignes non touchées d'un ancien index restent octet pour octet.
    void ancien_index_garde() {
        const QByteArray ancienne =
            "crb35000.042 00000003 \xe9t\xe9.txt " + c->dos(u"DOC\\"_s).toLatin1();
        c->creer_fichier(u"DOC/crb35000.042"_s, "old");
        ajouter_ligne_brute(ancienne + "\r\n");
        Ouvrir_corbeille();
        effacer(u"b.txt"_s, "b");
        const QList<EntreeCorbeille> entrees = entrees_corbeille();
        QCOMPARE(entrees.size(), 2);
        QCOMPARE(entrees[0].nom, u"été.txt"_s);
        restaurer_entree(entrees[1]);
        QCOMPARE(lignes_index(), QList<QByteArray>{ancienne});
        restaurer_entree(entrees[0]);
        QCOMPARE(c->contenu(u"DOC/été.txt"_s), QByteArray("old"));
    }

    void oublier() {
        Ouvrir_corbeille();
        effacer(u"a.txt"_s, "aa");
        effacer(u"b.txt"_s, "bbb");
        const QList<EntreeCorbeille> entrees = entrees_corbeille();
        oublier_entree(entrees[0]);
        QCOMPARE(entrees_corbeille().size(), 1);
        QCOMPARE(entrees_corbeille()[0].nom, u"b.txt"_s);
        QCOMPARE(etat_corbeille().total_corbeille, 3);
        QVERIFY(stocke_present(entrees[0])); // le disque n'est pas touché
    }

    void vider() {
        taille_limite(100);
        Ouvrir_corbeille();
        effacer(u"a.txt"_s, "aa");
        effacer(u"b.txt"_s, "bbb");
        c->creer_fichier(u"DOC/garde.txt"_s, "usager");
        Purger_corbeille();
        QVERIFY(ini().contains("Total= 5"));
        vider_corbeille();
        QCOMPARE(fichiers_doc(), QStringList{u"garde.txt"_s});
        QVERIFY(!QFile::exists(index_hote()));
        QVERIFY(!ini().contains("Total"));
        QCOMPARE(etat_corbeille().total_corbeille, 0);
    }

    // Un fichier stocké ou son répertoire disparu : sa ligne part, la purge va
    // jusqu'au bout puis signale 53 ; le total est celui de l'index.
    void purge_fichier_disparu_data() {
        QTest::addColumn<bool>("repertoire");
        QTest::newRow("fichier stocké") << false;
        QTest::newRow("répertoire") << true;
    }
    void purge_fichier_disparu() {
        QFETCH(bool, repertoire);
        Ouvrir_corbeille();
        c->creer_fichier(u"AUTRE/a.txt"_s, QByteArray(2000, 'a'));
        Mettre_en_corbeille(c->dos(u"AUTRE/a.txt"_s), u"a.txt"_s, c->dos(u"AUTRE"_s), 2000);
        effacer(u"b.txt"_s, QByteArray(2000, 'b'));
        effacer(u"c.txt"_s, QByteArray(2000, 'c'));
        const QList<EntreeCorbeille> entrees = entrees_corbeille();
        if (repertoire)
            QVERIFY(QDir(c->hote(u"AUTRE"_s)).removeRecursively());
        else
            QVERIFY(QFile::remove(c->hote(u"AUTRE/"_s + entrees[0].nom_stocke)));
        etat_corbeille().total_corbeille = 1; // "Total" périmé
        taille_limite(2);
        QCOMPARE(essai::erreur_de([] { Purger_corbeille(); }), 53);
        QCOMPARE(entrees_corbeille().size(), 1);
        QVERIFY(!stocke_present(entrees[1]) && stocke_present(entrees[2]));
        QCOMPARE(etat_corbeille().total_corbeille, 2000);
        QVERIFY(ini().contains("Total= 2000\r\n"));
    }

    // Une ligne coupée en fin d'index ne se soude pas à la suivante.
    void ligne_coupee() {
        ajouter_ligne_brute("crb35000.042 0000");
        Ouvrir_corbeille();
        effacer(u"a.txt"_s, "aa");
        QCOMPARE(lignes_index().size(), 2);
        QCOMPARE(lignes_index()[0], QByteArray("crb35000.042 0000"));
        QCOMPARE(entrees_corbeille().size(), 1);
        QCOMPARE(entrees_corbeille()[0].nom, u"a.txt"_s);
    }

    // Une commande range plusieurs fichiers par l'index resté ouvert. Entre
    // deux fichiers, un autre programme peut couper une ligne (arrêt brutal),
    // remplacer l'index (purge, rendu) ou l'effacer (vidage) : chaque ligne
    // va dans l'index du moment, entière, et rien ne se perd.
    void lot_suit_l_index_du_moment() {
        Ouvrir_corbeille();
        const corbeille::Lot lot;
        effacer(u"a.txt"_s, "a");
        effacer(u"b.txt"_s, "bb"); // l'index est maintenant ouvert
        ajouter_ligne_brute("crb35000.042 0000");
        effacer(u"c.txt"_s, "ccc");
        QCOMPARE(lignes_index().size(), 4);
        QCOMPARE(lignes_index()[2], QByteArray("crb35000.042 0000"));
        // Un autre programme remplace l'index par un autre fichier.
        const QList<QByteArray> lignes = lignes_index();
        c->creer_fichier(u"KALDRON.NEW"_s, lignes[3] + "\r\n");
        QCOMPARE(::rename(QFile::encodeName(c->hote(u"KALDRON.NEW"_s)).constData(),
                          QFile::encodeName(index_hote()).constData()),
                 0);
        effacer(u"d.txt"_s, "dddd");
        QCOMPARE(lignes_index().size(), 2);
        QVERIFY(lignes_index()[1].contains(" d.txt "));
        QFile::remove(index_hote());
        etat_corbeille().noms_pris.reset();
        effacer(u"e.txt"_s, "eeeee");
        QVERIFY(attributs(corbeille::chemin_index()) & ATTR_CACHE);
        effacer(u"f.txt"_s, "ffffff");
        QStringList noms;
        for (const EntreeCorbeille& e : entrees_corbeille()) {
            QVERIFY(stocke_present(e));
            noms << e.nom;
        }
        QCOMPARE(noms, (QStringList{u"e.txt"_s, u"f.txt"_s}));
        QVERIFY(c->contenu(u"KALDRON.CRB"_s).endsWith("\r\n"));
    }

    // Écriture de la ligne refusée par l'index resté ouvert (fichier trop
    // gros pour la limite du processus) : pas de moitié de ligne, le fichier
    // reprend son nom, l'erreur est celle d'un disque plein.
    void lot_ecriture_refusee() {
        Ouvrir_corbeille();
        const corbeille::Lot lot;
        effacer(u"a.txt"_s, "a");
        const QByteArray avant = c->contenu(u"KALDRON.CRB"_s);
        c->creer_fichier(u"DOC/b.txt"_s, "bb");
        struct rlimit ancienne {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &ancienne), 0);
        const auto signal = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limite = ancienne;
        limite.rlim_cur = rlim_t(avant.size() + 10);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limite), 0);
        const int erreur = essai::erreur_de(
            [&] { Mettre_en_corbeille(c->dos(u"DOC/b.txt"_s), u"b.txt"_s, c->dos(u"DOC"_s), 2); });
        ::setrlimit(RLIMIT_FSIZE, &ancienne);
        std::signal(SIGXFSZ, signal);
        QCOMPARE(erreur, int(ERR_DISQUE_PLEIN));
        QCOMPARE(c->contenu(u"KALDRON.CRB"_s), avant);
        QCOMPARE(c->contenu(u"DOC/b.txt"_s), QByteArray("bb"));
        QCOMPARE(attributs(c->dos(u"DOC/b.txt"_s)), unsigned(ATTR_NORMAL));
        effacer(u"c.txt"_s, "ccc"); // l'index se rouvre
        QCOMPARE(entrees_corbeille().size(), 2);
    }

    // Remplacement d'un seul coup, même sur un reste de KALDRON.NEW protégé.
    void remplacement_atomique() {
        c->creer_fichier(u"KALDRON.CRB"_s, "ancien\r\n");
        c->creer_fichier(u"KALDRON.NEW"_s, "reste");
        definir_attributs(c->dos(u"KALDRON.NEW"_s), ATTR_LECTURE_SEULE);
        corbeille::remplacer_atomiquement(c->dos(u"KALDRON.NEW"_s), c->dos(u"KALDRON.CRB"_s),
                                          "nouveau\r\n", ATTR_CACHE);
        QCOMPARE(c->contenu(u"KALDRON.CRB"_s), QByteArray("nouveau\r\n"));
        QCOMPARE(attributs(c->dos(u"KALDRON.CRB"_s)), unsigned(ATTR_CACHE));
        QVERIFY(!QFile::exists(c->hote(u"KALDRON.NEW"_s)));
    }

    // Ligne douteuse : nom qui sort du répertoire de la ligne, ou fichier
    // stocké sans les marques que la corbeille lui donne. Rien n'est détruit
    // ni rendu par elle, la ligne reste, un seul message la signale.
    void lignes_douteuses_data() {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<bool>("marque");
        QTest::newRow("remonte") << u"..\\OUT\\evil.txt"_s << true;
        QTest::newRow("sous-répertoire") << u"SUB\\x.txt"_s << true;
        QTest::newRow("barre oblique") << u"SUB/x.txt"_s << true;
        QTest::newRow("point-point") << u".."_s << true;
        QTest::newRow("fichier sans marques") << u"usager.txt"_s << false;
    }
    void lignes_douteuses() {
        QFETCH(QString, nom);
        QFETCH(bool, marque);
        c->creer_repertoire(u"OUT"_s);
        c->creer_repertoire(u"DOC/SUB"_s);
        const QString stocke = corbeille::nom_stocke(T - 10, 1);
        c->creer_fichier(u"DOC/"_s + stocke, "usager");
        definir_attributs(c->dos(u"DOC/"_s + stocke),
                          marque ? ATTR_CACHE | ATTR_LECTURE_SEULE : ATTR_NORMAL);
        const QByteArray douteuse =
            (stocke + u" 00000006 "_s + nom + u' ' + c->dos(u"DOC\\"_s)).toUtf8();
        ajouter_ligne_brute(douteuse + "\r\n");
        const EntreeCorbeille vieille = stocker(2, T - 10, 3, u"b"_s);
        const EntreeCorbeille recente = stocker(3, T, 4, u"c"_s);
        temps_limite(3);
        Ouvrir_corbeille();
        Purger_corbeille();
        QCOMPARE(c->contenu(u"DOC/"_s + stocke), QByteArray("usager"));
        QVERIFY(!stocke_present(vieille) && stocke_present(recente));
        QCOMPARE(lignes_index(), (QList<QByteArray>{douteuse, corbeille::ligne(recente)}));
        QCOMPARE(etat_corbeille().total_corbeille, marque ? 4 : 10);
        const QList<EntreeCorbeille> entrees = entrees_corbeille();
        QCOMPARE(entrees.size(), marque ? 1 : 2);
        if (marque) {
            // Jamais rendu hors de son répertoire.
            QCOMPARE(essai::erreur_de([&] {
                         restaurer_entree({stocke, T - 10, 6, nom, c->dos(u"DOC\\"_s)});
                     }),
                     53);
            QVERIFY(!QFile::exists(c->hote(u"OUT/evil.txt"_s)));
            QVERIFY(!QFile::exists(c->hote(u"DOC/SUB/x.txt"_s)));
        }
        {
            essai::DialoguesScriptes d;
            d.repondre(REP_OK);
            signaler_lignes_douteuses();
            Purger_corbeille();
            signaler_lignes_douteuses();
            QVERIFY(d.verifier());
            QCOMPARE(d.questions().size(), 1);
            QVERIFY(d.dernier().texte.contains(c->dos(u"DOC\\"_s) + stocke));
            QVERIFY(d.dernier().texte.contains(u"aucun fichier n'est détruit"_s));
        }
        // Vider la corbeille ne détruit pas davantage par elle.
        vider_corbeille();
        QCOMPARE(c->contenu(u"DOC/"_s + stocke), QByteArray("usager"));
        QCOMPARE(lignes_index(), QList<QByteArray>{douteuse});
        if (!marque) {
            // Sans ses marques mais bien nommé : il se rend.
            restaurer_entree(entrees_corbeille().constFirst());
            QCOMPARE(c->contenu(u"DOC/usager.txt"_s), QByteArray("usager"));
            QVERIFY(lignes_index().isEmpty());
        }
    }

    // Limites hors des bornes (zéro, négatives, trop grandes) : aucune purge.
    void limites_hors_bornes_data() {
        QTest::addColumn<qint32>("taille");
        QTest::addColumn<int>("temps");
        QTest::addColumn<int>("mode");
        QTest::newRow("taille 0") << qint32(0) << 0 << int(CritereCorbeille::Aucun);
        QTest::newRow("taille -1") << qint32(-1) << 0 << int(CritereCorbeille::Aucun);
        QTest::newRow("taille 10000") << qint32(10000) << 0 << int(CritereCorbeille::Aucun);
        QTest::newRow("taille 9999") << qint32(9999) << 0 << int(CritereCorbeille::Taille);
        QTest::newRow("temps 0") << qint32(0) << 0 << int(CritereCorbeille::Aucun);
        QTest::newRow("temps -25536") << qint32(0) << -25536 << int(CritereCorbeille::Aucun);
        QTest::newRow("temps 1000") << qint32(0) << 1000 << int(CritereCorbeille::Aucun);
        QTest::newRow("temps 3") << qint32(0) << 3 << int(CritereCorbeille::Temps);
    }
    void limites_hors_bornes() {
        QFETCH(qint32, taille);
        QFETCH(int, temps);
        QFETCH(int, mode);
        const bool par_taille = QByteArray(QTest::currentDataTag()).startsWith("taille");
        if (par_taille)
            taille_limite(taille);
        else
            temps_limite(temps);
        QCOMPARE(int(critere_corbeille().mode), mode);
        stocker(1, T - 5, 3000, u"a"_s);
        const EntreeCorbeille b = stocker(2, T - 2, 3000, u"b"_s);
        stocker(3, T, 3000, u"c"_s);
        Ouvrir_corbeille();
        Purger_corbeille();
        if (mode == CritereCorbeille::Aucun)
            QCOMPARE(entrees_corbeille().size(), 3);
        QVERIFY(stocke_present(b));
    }

    // Critères : aucun mode, pas de destruction ; limite en Kio de 1 024.
    void entrees_a_detruire_sans_mode() {
        const QList<EntreeCorbeille> entrees{{u"crb00001.000"_s, 1, 5000, u"a"_s, u"C:\\"_s},
                                             {u"crb00001.001"_s, 1, 5000, u"b"_s, u"C:\\"_s}};
        QVERIFY(entrees_a_detruire(entrees, {}, 99999).isEmpty());
        CritereCorbeille taille{CritereCorbeille::Taille, qint64(9) * 1024, 0};
        QCOMPARE(entrees_a_detruire(entrees, taille, 1), QList<int>{0});
        taille.limite_octets = qint64(10) * 1024;
        QVERIFY(entrees_a_detruire(entrees, taille, 1).isEmpty());
    }
};

QTEST_MAIN(TestCorbeille)
#include "test_corbeille.moc"
