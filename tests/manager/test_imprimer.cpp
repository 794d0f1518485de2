// Impression des fichiers choisis : lignes lues et coupées, un travail par
// fichier, arrêt, titre de l'application, erreurs. Les travaux vont dans des
// fichiers PDF relus par pdftotext.
#include "essai_fenetre.h"
#include "manager/common/etat_commande.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/impression.h"
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {
const QString CR = QString(QChar(13));
} // namespace

class TestImprimer : public EssaiFenetre {
    Q_OBJECT

    QString pdftotext;

    // SOURCE sur C:\doc avec ces fichiers, tous choisis.
    void charger(const QList<std::pair<QString, QByteArray>>& fichiers) {
        for (const auto& [nom, contenu] : fichiers)
            c->creer_fichier(u"doc/"_s + nom, contenu);
        f = std::make_unique<Gestion_Fichiers>();
        f->Form_Load(true);
        f->Répertoire_srce->setPath(c->dos(u"doc"_s));
        f->Fichier_srce->setPath(c->dos(u"doc"_s));
        f->Fichier_srce->clearSelection();
        for (int i = 0; i < f->Fichier_srce->listCount(); ++i)
            f->Fichier_srce->setSelected(i, true);
        f->Ligne_message->setText(u"   %1 fichier(s) sélectionné(s)"_s.arg(fichiers.size()));
        etat_commande().liste_parcourue = f->Fichier_srce;
        etat_commande().curseur = 0;
    }

    QStringList travaux() const {
        QStringList noms;
        for (int n = 1; QFile::exists(c->hote(u"pdf/travail-%1.pdf"_s.arg(n))); ++n)
            noms << c->hote(u"pdf/travail-%1.pdf"_s.arg(n));
        return noms;
    }

    // Lignes non vides du travail, sans les blancs qui les entourent.
    QStringList lignes(const QString& pdf) const {
        QProcess p;
        p.start(pdftotext, {u"-layout"_s, pdf, u"-"_s});
        if (!p.waitForFinished(60000))
            return {u"pdftotext n'a pas fini"_s};
        QStringList sortie;
        for (const QString& l : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n')) {
            const QString propre = l.trimmed().remove(u'\f');
            if (!propre.isEmpty())
                sortie << propre;
        }
        return sortie;
    }

private slots:
    void initTestCase() {
        pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
        if (pdftotext.isEmpty())
            QSKIP("pdftotext (poppler-utils) est absent");
    }
    void init() {
        monter();
        qputenv("KALDRON_IMPRESSION_PDF", QFile::encodeName(c->creer_repertoire(u"pdf"_s)));
    }
    void cleanup() {
        qunsetenv("KALDRON_IMPRESSION_PDF");
        QVERIFY(demonter());
    }

    void lignes_imprimees_data() {
        QTest::addColumn<QByteArray>("contenu");
        QTest::addColumn<QStringList>("attendu");
        const QByteArray longue = QByteArray(160, 'x') + QByteArray(40, 'y');
        QTest::newRow("CR LF") << QByteArray("un\r\ndeux\r\n") << QStringList{u"un"_s, u"deux"_s};
        QTest::newRow("LF, fin sans retour")
            << QByteArray("un\ndeux") << QStringList{u"un"_s, u"deux"_s};
        QTest::newRow("CR seul") << QByteArray("un\rdeux\r") << QStringList{u"un"_s, u"deux"_s};
        QTest::newRow("200 caractères") << QByteArray("un\r\n" + longue + "\r\ntrois")
                                        << QStringList{u"un"_s, QString(160, u'x'), u"trois"_s};
        QTest::newRow("Windows-1252")
            << QByteArray("\xe9t\xe9 \x80\r\n") << QStringList{u"été €"_s};
        QTest::newRow("UTF-8") << QByteArray("été €\n") << QStringList{u"été €"_s};
        QTest::newRow("UTF-8, 400 caractères")
            << (u"a"_s + u"é"_s.repeated(400)).toUtf8() << QStringList{u"a"_s + QString(159, u'é')};
    }
    void lignes_imprimees() {
        QFETCH(QByteArray, contenu);
        QFETCH(QStringList, attendu);
        charger({{u"a.txt"_s, contenu}});
        f->Imprimer_Click();
        QCOMPARE(travaux().size(), 1);
        QCOMPARE(lignes(travaux().first()), attendu);
        QVERIFY(!etat_commande().commande_en_cours);
    }

    // Un fichier vide ne donne aucun travail ; les autres un chacun.
    void un_travail_par_fichier() {
        charger({{u"a.txt"_s, "premier\r\n"}, {u"b.txt"_s, ""}, {u"c.txt"_s, "second\r\n"}});
        f->Imprimer_Click();
        const QStringList t = travaux();
        QCOMPARE(t.size(), 2);
        QCOMPARE(lignes(t[0]), QStringList{u"premier"_s});
        QCOMPARE(lignes(t[1]), QStringList{u"second"_s});
    }

    // Arret à mi-fichier : la ligne en cours finit, ce qui est lu sort en un
    // travail, le fichier suivant n'est pas imprimé.
    void arret_pendant_un_fichier() {
        QByteArray long_texte;
        for (int i = 1; i <= 3000; ++i)
            long_texte += u"ligne %1\r\n"_s.arg(i, 4, 10, QChar(u'0')).toLatin1();
        charger({{u"long.txt"_s, long_texte}, {u"suite.txt"_s, "suite\r\n"}});
        QString titre, en_cours, legende;
        bool arret_visible = false;
        connect(f->Jauge, &QProgressBar::valueChanged, this, [&](int valeur) {
            if (valeur < 50 || !titre.isEmpty())
                return;
            titre = QCoreApplication::applicationName();
            en_cours = f->En_cours->text();
            legende = f->Jauge->format();
            arret_visible = !f->Arret->isHidden();
            f->Arret->click();
        });
        f->Imprimer_Click();
        QCOMPARE(titre, u"Kaldron - LONG.TXT"_s);
        QCOMPARE(en_cours, u" IMPRIME le fichier LONG.TXT "_s);
        QCOMPARE(legende, u"50%"_s);
        QVERIFY(arret_visible);
        const QStringList t = travaux();
        QCOMPARE(t.size(), 1);
        const QStringList l = lignes(t.first());
        // 12 octets par ligne : 50 % tombe à la fin de la ligne 1500.
        QCOMPARE(l.size(), 1500);
        QCOMPARE(l.first(), u"ligne 0001"_s);
        QCOMPARE(l.last(), u"ligne 1500"_s);
        QCOMPARE(QCoreApplication::applicationName(), u"KALDRON"_s);
        QVERIFY(f->Jauge->isHidden() && f->Arret->isHidden());
    }

    // Une sortie impossible va au rapport d'erreur ; la commande finit.
    void erreur_d_imprimante() {
        qputenv("KALDRON_IMPRESSION_PDF", QFile::encodeName(c->hote(u"absent/sortie.pdf"_s)));
        charger({{u"a.txt"_s, "un\r\n"}, {u"b.txt"_s, "deux\r\n"}});
        d->repondre(1);
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        f->Imprimer_Click();
        QCOMPARE(d->questions().size(), 1);
        QCOMPARE(d->dernier().titre, u"Erreur détectée par KALDRON"_s);
        QVERIFY(d->dernier().texte.contains(u"(code = 482)"_s + CR + u"Commande: IMPRIMER"_s));
        QVERIFY(!QFile::exists(c->hote(u"absent/sortie.pdf"_s)));
        QVERIFY(!etat_commande().commande_en_cours);
        QCOMPARE(QCoreApplication::applicationName(), u"KALDRON"_s);
    }

    // Sans imprimante ni variable : un PDF dans les documents de
    // l'utilisateur, et l'utilisateur apprend où.
    void sans_imprimante() {
        if (plateforme::imprimante_presente())
            QSKIP("une imprimante est installée");
        qunsetenv("KALDRON_IMPRESSION_PDF");
        const QByteArray maison = qgetenv("HOME"), config = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(c->creer_repertoire(u"maison"_s)));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(c->hote(u"maison/.config"_s)));
        charger({{u"a.txt"_s, "un\r\n"}});
        d->repondre(1);
        f->Imprimer_Click();
        qputenv("HOME", maison);
        config.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", config);
        const QString repertoire = c->hote(u"maison/Documents/Impressions"_s);
        QCOMPARE(lignes(repertoire + u"/travail-1.pdf"_s), QStringList{u"un"_s});
        QCOMPARE(d->dernier().texte, u"Aucune imprimante n'est installée : les impressions sont "
                                     u"enregistrées en PDF dans le répertoire"_s +
                                         CR + repertoire);
        QCOMPARE(d->dernier().style, 64);
        QCOMPARE(d->dernier().titre, u"IMPRIMER"_s);
    }
};

QTEST_MAIN(TestImprimer)
#include "test_imprimer.moc"
