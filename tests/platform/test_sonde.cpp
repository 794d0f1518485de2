// Sonde des essais de bout en bout : ce qu'elle décrit, ce qu'elle tait, et
// qu'elle répond pendant une boîte modale.
#include "platform/sonde.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QLocalSocket>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QJsonObject fenetre_de(const QJsonObject& arbre, const QString& nom) {
    for (const QJsonValue f : arbre.value(u"fenetres"_s).toArray()) {
        if (f.toObject().value(u"nom"_s).toString() == nom)
            return f.toObject();
    }
    return {};
}

QJsonObject widget_de(const QJsonObject& fenetre, const QString& nom) {
    for (const QJsonValue w : fenetre.value(u"widgets"_s).toArray()) {
        if (w.toObject().value(u"nom"_s).toString() == nom)
            return w.toObject();
    }
    return {};
}

// Client bloquant dans un autre fil : le fil principal garde sa boucle.
class Client : public QThread {
public:
    Client(const QString& prise, const QByteArray& lignes) : m_prise(prise), m_lignes(lignes) {}
    QList<QByteArray> reponses;

protected:
    void run() override {
        QLocalSocket s;
        s.connectToServer(m_prise);
        if (!s.waitForConnected(5000))
            return;
        s.write(m_lignes);
        s.flush();
        const int attendues = static_cast<int>(m_lignes.count('\n'));
        QByteArray tampon;
        while (reponses.size() < attendues && s.waitForReadyRead(5000)) {
            tampon += s.readAll();
            while (tampon.contains('\n')) {
                const qsizetype fin = tampon.indexOf('\n');
                reponses << tampon.left(fin);
                tampon.remove(0, fin + 1);
            }
        }
    }

private:
    QString m_prise;
    QByteArray m_lignes;
};

} // namespace

class EssaiSonde : public QObject {
    Q_OBJECT

private slots:
    void decrit_controles_montres_seulement();
    void decrit_listes_tables_et_textes();
    void repond_pendant_une_boite_modale();
    void capture_et_erreurs();
    void repertoire_donne_une_prise_par_processus();
};

void EssaiSonde::decrit_controles_montres_seulement() {
    QWidget f;
    f.setObjectName(u"Essai"_s);
    f.setWindowTitle(u"  Fenêtre d'essai  "_s);
    f.setGeometry(100, 200, 400, 300);
    auto* etiquette = new QLabel(u"Bonjour"_s, &f);
    etiquette->setObjectName(u"Etiquette"_s);
    etiquette->setGeometry(10, 20, 80, 20);
    auto* cache = new QLineEdit(u"secret"_s, &f);
    cache->setObjectName(u"Cache"_s);
    cache->hide();
    auto* bouton = new QPushButton(u"&COPIER"_s, &f);
    bouton->setObjectName(u"Copier"_s);
    bouton->setEnabled(false);
    auto* case_ = new QCheckBox(u"Cachés"_s, &f);
    case_->setObjectName(u"Cachés"_s);
    case_->setChecked(true);
    auto* jauge = new QProgressBar(&f);
    jauge->setObjectName(u"Jauge"_s);
    jauge->setValue(42);
    // Sous le bas de la fenêtre : pas à l'écran tant qu'elle n'a pas grandi.
    auto* dessous = new QLabel(u"aide"_s, &f);
    dessous->setObjectName(u"Dessous"_s);
    dessous->setGeometry(0, 310, 100, 20);
    QWidget invisible;
    invisible.setObjectName(u"Invisible"_s);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));

    const QJsonObject arbre = plateforme::decrire_fenetres();
    QVERIFY(fenetre_de(arbre, u"Invisible"_s).isEmpty());
    const QJsonObject o = fenetre_de(arbre, u"Essai"_s);
    QCOMPARE(o.value(u"titre"_s).toString(), u"  Fenêtre d'essai  "_s);
    QVERIFY(!o.value(u"wid"_s).toString().isEmpty());
    QVERIFY(widget_de(o, u"Cache"_s).isEmpty());
    const QJsonObject e = widget_de(o, u"Etiquette"_s);
    QCOMPARE(e.value(u"texte"_s).toString(), u"Bonjour"_s);
    // Géométrie globale : de quoi cliquer sans deviner.
    const QPoint attendu = etiquette->mapToGlobal(QPoint(0, 0));
    QCOMPARE(e.value(u"x"_s).toInt(), attendu.x());
    QCOMPARE(e.value(u"y"_s).toInt(), attendu.y());
    QCOMPARE(e.value(u"l"_s).toInt(), 80);
    QCOMPARE(e.value(u"parent"_s).toString(), u"Essai"_s);
    QCOMPARE(widget_de(o, u"Copier"_s).value(u"texte"_s).toString(), u"&COPIER"_s);
    QCOMPARE(widget_de(o, u"Copier"_s).value(u"actif"_s).toBool(), false);
    QCOMPARE(widget_de(o, u"Cachés"_s).value(u"coche"_s).toBool(), true);
    QCOMPARE(widget_de(o, u"Jauge"_s).value(u"valeur"_s).toInt(), 42);
    // Retrouvée par son nom ou par son titre sans ses blancs.
    QCOMPARE(plateforme::fenetre_nommee(u"Essai"_s), &f);
    QCOMPARE(plateforme::fenetre_nommee(u"Fenêtre d'essai"_s), &f);
    QCOMPARE(plateforme::fenetre_nommee(u"Invisible"_s), nullptr);

    QVERIFY(widget_de(o, u"Dessous"_s).isEmpty());
    f.resize(400, 340);
    const QJsonObject agrandie = fenetre_de(plateforme::decrire_fenetres(), u"Essai"_s);
    QCOMPARE(widget_de(agrandie, u"Dessous"_s).value(u"texte"_s).toString(), u"aide"_s);
}

void EssaiSonde::decrit_listes_tables_et_textes() {
    QWidget f;
    f.setObjectName(u"Listes"_s);
    f.resize(600, 600);
    auto* liste = new QListWidget(&f);
    liste->setObjectName(u"Fichier_srce"_s);
    liste->setGeometry(0, 0, 200, 100);
    liste->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (int i = 0; i < 40; ++i)
        liste->addItem(u"f%1.txt"_s.arg(i));
    liste->item(1)->setSelected(true);
    liste->item(39)->setSelected(true);
    auto* combo = new QComboBox(&f);
    combo->setObjectName(u"Sélection_fichiers"_s);
    combo->setGeometry(0, 110, 200, 30);
    combo->addItems({u"Textes"_s, u"Images"_s});
    combo->setCurrentIndex(1);
    auto* table = new QTableWidget(30, 2, &f);
    table->setObjectName(u"Grille1"_s);
    table->setGeometry(0, 150, 300, 200);
    table->setHorizontalHeaderLabels({u"NOM"_s, u"AGE"_s});
    table->setItem(2, 1, new QTableWidgetItem(u"77"_s));
    auto* texte = new QPlainTextEdit(&f);
    texte->setObjectName(u"Text1"_s);
    texte->setGeometry(300, 0, 300, 300);
    texte->setPlainText(QString(40000, u'x'));
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));

    const QJsonObject o = fenetre_de(plateforme::decrire_fenetres(), u"Listes"_s);
    const QJsonObject l = widget_de(o, u"Fichier_srce"_s);
    const QJsonArray elements = l.value(u"elements"_s).toArray();
    QCOMPARE(elements.size(), 40);
    QCOMPARE(l.value(u"nombre"_s).toInt(), 40);
    QCOMPARE(elements.at(1).toObject().value(u"choisi"_s).toBool(), true);
    QCOMPARE(elements.at(2).toObject().value(u"choisi"_s).toBool(), false);
    QCOMPARE(elements.at(39).toObject().value(u"choisi"_s).toBool(), true);
    // Seuls les éléments visibles ont une place où cliquer, dans la liste.
    const QJsonObject zone = elements.at(0).toObject().value(u"zone"_s).toObject();
    QVERIFY(!zone.isEmpty());
    const QRect global(liste->viewport()->mapToGlobal(QPoint(0, 0)), liste->viewport()->size());
    QVERIFY(global.contains(QPoint(zone.value(u"x"_s).toInt(), zone.value(u"y"_s).toInt())));
    QVERIFY(!elements.at(39).toObject().contains(u"zone"_s));

    const QJsonObject c = widget_de(o, u"Sélection_fichiers"_s);
    QCOMPARE(c.value(u"texte"_s).toString(), u"Images"_s);
    QCOMPARE(c.value(u"courant"_s).toInt(), 1);
    QCOMPARE(c.value(u"elements"_s).toArray().size(), 2);

    const QJsonObject t = widget_de(o, u"Grille1"_s);
    QCOMPARE(t.value(u"lignes"_s).toInt(), 30);
    QCOMPARE(t.value(u"entetes"_s).toArray().at(1).toString(), u"AGE"_s);
    QCOMPARE(t.value(u"cellules"_s).toArray().at(2).toArray().at(1).toString(), u"77"_s);
    QCOMPARE(t.value(u"premiere_ligne"_s).toInt(), 0);
    // Une vue à elle qui se dit grille est décrite comme une table.
    QStandardItemModel cases(3, 2);
    cases.setItem(1, 1, new QStandardItem(u"b2"_s));
    auto* grille = new QListView(&f);
    grille->setObjectName(u"Grille2"_s);
    grille->setGeometry(300, 300, 200, 100);
    grille->setModel(&cases);
    grille->setProperty("grille", true);
    grille->show();
    const QJsonObject g =
        widget_de(fenetre_de(plateforme::decrire_fenetres(), u"Listes"_s), u"Grille2"_s);
    QCOMPARE(g.value(u"lignes"_s).toInt(), 3);
    QCOMPARE(g.value(u"colonnes"_s).toInt(), 2);
    QCOMPARE(g.value(u"cellules"_s).toArray().at(1).toArray().at(1).toString(), u"b2"_s);
    QCOMPARE(g.value(u"premiere_ligne"_s).toInt(), 0);

    // Défilée vers le bas : ses en-têtes disent ce qu'ils montrent, et où.
    table->scrollToBottom();
    const QJsonObject d = fenetre_de(plateforme::decrire_fenetres(), u"Listes"_s);
    const int premiere = widget_de(d, u"Grille1"_s).value(u"premiere_ligne"_s).toInt();
    QVERIFY(premiere > 0);
    QCOMPARE(premiere, table->rowAt(0));
    QJsonObject horizontal, vertical;
    for (const QJsonValue w : d.value(u"widgets"_s).toArray()) {
        const QJsonObject e = w.toObject();
        if (e.value(u"classe"_s).toString() != u"QHeaderView"_s ||
            e.value(u"parent"_s).toString() != u"Grille1"_s)
            continue;
        (e.value(u"orientation"_s).toString() == u"horizontale"_s ? horizontal : vertical) = e;
    }
    const QJsonArray noms = horizontal.value(u"elements"_s).toArray();
    QCOMPARE(noms.size(), 2);
    QCOMPARE(noms.at(0).toObject().value(u"texte"_s).toString(), u"NOM"_s);
    const QJsonArray numeros = vertical.value(u"elements"_s).toArray();
    QCOMPARE(vertical.value(u"nombre"_s).toInt(), 30);
    QVERIFY(numeros.size() < 30);
    QCOMPARE(numeros.first().toObject().value(u"texte"_s).toString(),
             QString::number(premiere + 1));
    QCOMPARE(numeros.last().toObject().value(u"texte"_s).toString(), u"30"_s);
    const QJsonObject place = numeros.first().toObject().value(u"zone"_s).toObject();
    const QRect ligne = table->visualRect(table->model()->index(premiere, 0));
    QCOMPARE(place.value(u"y"_s).toInt(), table->viewport()->mapToGlobal(ligne.topLeft()).y());

    // Un long texte est tronqué, mais sa vraie longueur est dite.
    const QJsonObject x = widget_de(o, u"Text1"_s);
    QCOMPARE(x.value(u"taille_texte"_s).toInt(), 40000);
    QVERIFY(x.value(u"texte"_s).toString().size() < 40000);
}

void EssaiSonde::repond_pendant_une_boite_modale() {
    QTemporaryDir dir;
    plateforme::Sonde sonde;
    QVERIFY(sonde.ecouter(dir.filePath(u"prise"_s)));
    QMessageBox boite(QMessageBox::Question, u"EFFACER"_s, u"Confirmez-vous ?"_s,
                      QMessageBox::Yes | QMessageBox::No);
    boite.setObjectName(u"Boite"_s);
    // Deux demandes dans une seule écriture : deux réponses, dans l'ordre.
    Client client(sonde.chemin(), "arbre\nbidule\n");
    QTimer::singleShot(0, &client, [&client] { client.start(); });
    connect(&client, &QThread::finished, &boite, [&boite] { boite.done(QMessageBox::No); });
    QTimer::singleShot(10000, &boite, [&boite] { boite.done(0); }); // garde-fou
    QCOMPARE(boite.exec(), int(QMessageBox::No));
    client.wait();

    QCOMPARE(client.reponses.size(), 2);
    const QJsonObject arbre = QJsonDocument::fromJson(client.reponses.at(0)).object();
    const QJsonObject b = fenetre_de(arbre, u"Boite"_s);
    QVERIFY(!b.isEmpty());
    QCOMPARE(b.value(u"modale"_s).toBool(), true);
    QCOMPARE(arbre.value(u"modale"_s).toString(), u"Boite"_s);
    QStringList textes;
    for (const QJsonValue w : b.value(u"widgets"_s).toArray())
        textes << w.toObject().value(u"texte"_s).toString();
    QVERIFY(textes.contains(u"Confirmez-vous ?"_s));
    QVERIFY(textes.size() >= 3); // le texte et les deux boutons
    QVERIFY(client.reponses.at(1).startsWith("erreur"));
}

void EssaiSonde::capture_et_erreurs() {
    QTemporaryDir dir;
    QWidget f;
    f.setObjectName(u"Corbeille"_s);
    f.setWindowTitle(u"Corbeille de test"_s);
    f.resize(160, 120);
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    plateforme::Sonde sonde;
    const QString png = dir.filePath(u"sous dossier/corbeille.png"_s);
    // Tabulations : le chemin garde ses blancs.
    QCOMPARE(sonde.repondre(u"capture\tCorbeille\t"_s + png), u"ok"_s);
    QImage image(png);
    QCOMPARE(image.size(), f.grab().size());
    // Par le titre, chemin en dernier mot.
    const QString autre = dir.filePath(u"autre.png"_s);
    QCOMPARE(sonde.repondre(u"capture Corbeille de test "_s + autre), u"ok"_s);
    QVERIFY(QFileInfo::exists(autre));

    QVERIFY(sonde.repondre(u"capture Inconnue "_s + autre).startsWith(u"erreur"_s));
    QVERIFY(sonde.repondre(u"capture"_s).startsWith(u"erreur"_s));
    QVERIFY(sonde.repondre(u"capture Corbeille /proc/interdit/x.png"_s).startsWith(u"erreur"_s));
    QVERIFY(sonde.repondre(u"cliquer Corbeille"_s).startsWith(u"erreur"_s));
}

void EssaiSonde::repertoire_donne_une_prise_par_processus() {
    QTemporaryDir dir;
    plateforme::Sonde a;
    QVERIFY(a.ecouter(dir.path()));
    const QString attendu =
        dir.filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName() + u'-' +
                     QString::number(QCoreApplication::applicationPid()));
    QCOMPARE(a.chemin(), attendu);
    QLocalSocket s;
    s.connectToServer(attendu);
    QVERIFY(s.waitForConnected(2000));

    // Un fichier ordinaire au chemin donné n'est jamais effacé : pas de sonde.
    const QString fichier = dir.filePath(u"notes.txt"_s);
    QFile f(fichier);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("à garder");
    f.close();
    plateforme::Sonde b;
    QVERIFY(!b.ecouter(fichier));
    QFile relu(fichier);
    QVERIFY(relu.open(QIODevice::ReadOnly));
    QCOMPARE(relu.readAll(), QByteArray("à garder"));

    // Un répertoire ouvert aux autres (le temporaire partagé) : pas de sonde,
    // un autre utilisateur y remplacerait la prise ou la devancerait.
    const QString partage = dir.filePath(u"partage"_s);
    QVERIFY(QDir().mkdir(partage));
    QVERIFY(QFile::setPermissions(partage, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::WriteOther | QFile::ReadOther |
                                               QFile::ExeOther));
    plateforme::Sonde c;
    QVERIFY(!c.ecouter(partage));
    QVERIFY(!c.ecouter(partage + u"/prise"_s));
    QVERIFY(QDir(partage).isEmpty());
}

QTEST_MAIN(EssaiSonde)
#include "test_sonde.moc"
