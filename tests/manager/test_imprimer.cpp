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
#include <QRegularExpression>
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

    // Page et mots du premier feuillet du travail, en points.
    struct Mot {
        QString texte;
        QRectF boite;
    };
    QList<Mot> mots(const QString& pdf, QSizeF& page) const {
        QProcess p;
        p.start(pdftotext, {u"-bbox"_s, u"-l"_s, u"1"_s, pdf, u"-"_s});
        if (!p.waitForFinished(60000))
            return {};
        const QString html = QString::fromUtf8(p.readAllStandardOutput());
        static const QRegularExpression re_page(
            u"<page width=\"([\\d.]+)\" height=\"([\\d.]+)\""_s);
        static const QRegularExpression re_mot(
            u"<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"_s);
        const QRegularExpressionMatch m = re_page.match(html);
        page = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
        QList<Mot> liste;
        for (const QRegularExpressionMatch& w : re_mot.globalMatch(html))
            liste.append({w.captured(5),
                          QRectF(QPointF(w.captured(1).toDouble(), w.captured(2).toDouble()),
                                 QPointF(w.captured(3).toDouble(), w.captured(4).toDouble()))});
        return liste;
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

    // Police à la mesure de la plus longue ligne : 10 points pour 40 colonnes,
    // réduite juste assez pour 160 ; marges de 15 mm ; aucune ligne ne sort
    // de la page (une tabulation qui mènerait au-delà perd la fin de sa ligne).
    void police_et_marges_data() {
        QTest::addColumn<QByteArray>("ligne");
        QTest::addColumn<QString>("imprimee");
        QTest::addColumn<bool>("dix_points");
        QTest::newRow("40 colonnes") << QByteArray(40, 'a') << QString(40, u'a') << true;
        QTest::newRow("160 colonnes") << QByteArray(160, 'b') << QString(160, u'b') << false;
        QTest::newRow("200 caractères") << QByteArray(200, 'c') << QString(160, u'c') << false;
        QTest::newRow("tabulations")
            << QByteArray(19, '\t') + "e" + QByteArray(30, '\t') + "f" << u"e"_s << false;
    }
    void police_et_marges() {
        QFETCH(QByteArray, ligne);
        QFETCH(QString, imprimee);
        QFETCH(bool, dix_points);
        charger({{u"a.txt"_s, "un\r\n" + ligne + "\r\ntrois\r\n"}});
        f->Imprimer_Click();
        QSizeF page;
        const QList<Mot> m = mots(travaux().first(), page);
        QStringList textes;
        for (const Mot& x : m)
            textes << x.texte;
        QCOMPARE(textes, (QStringList{u"un"_s, imprimee, u"trois"_s}));
        const qreal marge = 15 / 25.4 * 72;
        const qreal largeur = page.width() - 2 * marge;
        for (const Mot& x : m) {
            QVERIFY2(x.boite.left() >= marge && x.boite.top() >= marge, qPrintable(x.texte));
            QVERIFY2(x.boite.right() <= page.width() - marge, qPrintable(x.texte));
        }
        const QRectF longue = m[1].boite;
        if (dix_points) {
            // Hauteur des caractères d'une police de 10 points, en points.
            QImage points(1, 1, QImage::Format_RGB32);
            points.setDotsPerMeterX(qRound(72 / 0.0254));
            points.setDotsPerMeterY(qRound(72 / 0.0254));
            QFont police(u"monospace"_s);
            police.setStyleHint(QFont::TypeWriter);
            police.setPointSizeF(10);
            QVERIFY(qAbs(longue.height() - QFontMetricsF(police, &points).height()) < 0.5);
        } else {
            // Plus petite, la police laisserait la page à moitié vide.
            QVERIFY(longue.right() - marge >= 0.9 * largeur);
        }
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
        QCOMPARE(titre, u"Kaldron - long.txt"_s);
        QCOMPARE(en_cours, u" IMPRIME le fichier long.txt "_s);
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

    // Le titre de l'application est la légende que le bureau montre ; iconisée
    // pendant l'impression, la fenêtre retrouve ensuite sa légende normale.
    void titre_dans_la_legende() {
        QByteArray long_texte;
        for (int i = 1; i <= 3000; ++i)
            long_texte += "ligne\r\n";
        charger({{u"long.txt"_s, long_texte}});
        f->show();
        const QString normale = f->windowTitle();
        QStringList vues;
        connect(f->Jauge, &QProgressBar::valueChanged, this, [&](int valeur) {
            if (valeur % 25 != 0 || vues.size() >= 3)
                return;
            vues << f->windowTitle();
            f->setWindowState(vues.size() == 2 ? Qt::WindowNoState : Qt::WindowMinimized);
        });
        f->Imprimer_Click();
        QCOMPARE(vues,
                 (QStringList{u"Kaldron - long.txt"_s, u"KALDRON"_s, u"Kaldron - long.txt"_s}));
        QCOMPARE(f->windowTitle(), u"KALDRON"_s);
        f->setWindowState(Qt::WindowNoState);
        QCOMPARE(f->windowTitle(), normale);
        f->move(f->pos() + QPoint(5, 5));
        QCOMPARE(f->windowTitle(), normale);
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
