// Fichiers gardés par le parcours des répertoires, et motif DOS préparé.
#include "platform/erreurs.h"
#include "platform/motifs.h"
#include "platform/parcours.h"
#include "support/unite_temporaire.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace plateforme;
using namespace Qt::StringLiterals;
using essai::UniteTemporaire;

namespace {

QStringList noms(const ContenuRepertoire& c) {
    QStringList liste;
    for (const FichierGarde& f : c.fichiers)
        liste << f.nom;
    liste.sort();
    return liste;
}

// Date de modification reculée d'une heure : la lecture devient sûre.
void vieillir(const QString& hote) {
    struct timespec temps[2];
    ::clock_gettime(CLOCK_REALTIME, &temps[0]);
    temps[0].tv_sec -= 3600;
    temps[1] = temps[0];
    QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(hote).constData(), temps, 0) == 0);
}

ResultatParcours parcourir(const QString& racine) {
    OptionsParcours o;
    o.avec_fichiers = true;
    return parcourir_repertoires(racine, o);
}

qsizetype index_de(const ResultatParcours& r, const QString& dos) {
    return r.repertoires.indexOf(dos);
}

} // namespace

class TestContenusGardes : public QObject {
    Q_OBJECT

private slots:
    // Le motif préparé juge comme motif_dos_correspond, nom par nom.
    void motif_prepare_data() {
        QTest::addColumn<QString>("motif");
        const QStringList motifs{u"*.*"_s,      u"*.txt"_s, u"a*.t?t"_s, u"*."_s,
                                 u"readme.*"_s, u"ms*.*"_s, u"*.BAT"_s,  u"?.*"_s,
                                 u"*.c;*.h"_s,  u"é*.*"_s,  u"x"_s,      u"*a*a*b"_s};
        for (const QString& m : motifs)
            QTest::newRow(m.toUtf8().constData()) << m;
    }
    void motif_prepare() {
        QFETCH(QString, motif);
        const QStringList noms{u"a.txt"_s,     u"A.TXT"_s,     u"abc.tst"_s,       u"readme"_s,
                               u"readme.md"_s, u"msdos.sys"_s, u"x.bat"_s,         u"b"_s,
                               u"f.c"_s,       u"f.h"_s,       u"École.doc"_s,     u"été.txt"_s,
                               u"aaab"_s,      u"x"_s,         u"\U0001F600.txt"_s};
        const MotifDos prepare(motif);
        for (const QString& nom : noms)
            QVERIFY2(prepare.correspond(nom) == motif_dos_correspond(nom, motif), qPrintable(nom));
    }
    void motif_prepare_invalide() { QVERIFY_THROWS_EXCEPTION(ErreurExecution, MotifDos(u"a|b"_s)); }

    // Une seule lecture : chaque répertoire garde ses fichiers (pas ses
    // sous-répertoires), un lien vers un répertoire n'en garde aucun.
    void fichiers_gardes_au_parcours() {
        UniteTemporaire c;
        c.creer_fichier(u"a.txt"_s);
        c.creer_fichier(u"doc/b.txt"_s);
        c.creer_fichier(u"doc/sous/c.txt"_s);
        QVERIFY(::symlink("doc", QFile::encodeName(c.hote(u"lien"_s)).constData()) == 0);
        QVERIFY(::symlink("a.txt", QFile::encodeName(c.hote(u"vers_a"_s)).constData()) == 0);
        ResultatParcours r = parcourir(c.racine());
        QCOMPARE(r.contenus.size(), size_t(r.repertoires.size()));
        QCOMPARE(noms(r.contenus[0]), (QStringList{u"a.txt"_s, u"vers_a"_s}));
        const qsizetype doc = index_de(r, c.dos(u"doc"_s));
        QVERIFY(doc > 0);
        QCOMPARE(noms(r.contenus[size_t(doc)]), QStringList{u"b.txt"_s});
        const qsizetype lien = index_de(r, c.dos(u"lien"_s));
        QVERIFY(lien > 0);
        QVERIFY(r.contenus[size_t(lien)].hote.isEmpty());
        QCOMPARE(actualiser_contenu(r.contenus[size_t(lien)]), EtatContenu::Illisible);
    }

    // Un répertoire inchangé depuis une lecture sûre n'est pas relu ; un
    // fichier ajouté ou ôté change sa date, et il est relu.
    void relu_seulement_s_il_a_change() {
        UniteTemporaire c;
        c.creer_fichier(u"doc/b.txt"_s);
        vieillir(c.hote(u"doc"_s));
        ResultatParcours r = parcourir(c.racine());
        ContenuRepertoire& doc = r.contenus[size_t(index_de(r, c.dos(u"doc"_s)))];
        QVERIFY(doc.sur);
        QCOMPARE(actualiser_contenu(doc), EtatContenu::Garde);
        c.creer_fichier(u"doc/n.txt"_s);
        QCOMPARE(actualiser_contenu(doc), EtatContenu::Relu);
        QCOMPARE(noms(doc), (QStringList{u"b.txt"_s, u"n.txt"_s}));
        // Lu juste après une modification : pas sûr, relu la fois suivante.
        QVERIFY(!doc.sur);
        QCOMPARE(actualiser_contenu(doc), EtatContenu::Relu);
        QFile::remove(c.hote(u"doc/b.txt"_s));
        vieillir(c.hote(u"doc"_s));
        QCOMPARE(actualiser_contenu(doc), EtatContenu::Relu);
        QCOMPARE(noms(doc), QStringList{u"n.txt"_s});
        QCOMPARE(actualiser_contenu(doc), EtatContenu::Garde);
    }

    // Remplacé par un lien ou disparu : sauté, et ses anciens noms oubliés.
    void repertoire_remplace_ou_disparu() {
        UniteTemporaire c;
        c.creer_fichier(u"doc/b.txt"_s);
        c.creer_fichier(u"ailleurs/secret.txt"_s);
        ResultatParcours r = parcourir(c.racine());
        ContenuRepertoire& doc = r.contenus[size_t(index_de(r, c.dos(u"doc"_s)))];
        QVERIFY(QDir(c.hote(u"doc"_s)).removeRecursively());
        QCOMPARE(actualiser_contenu(doc), EtatContenu::Illisible);
        QVERIFY(doc.fichiers.empty());
        QVERIFY(::symlink("ailleurs", QFile::encodeName(c.hote(u"doc"_s)).constData()) == 0);
        QCOMPARE(actualiser_contenu(doc), EtatContenu::Illisible);
        QVERIFY(doc.fichiers.empty());
    }
};

QTEST_GUILESS_MAIN(TestContenusGardes)
#include "test_contenus_gardes.moc"
