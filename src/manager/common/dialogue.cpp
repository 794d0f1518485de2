#include "manager/common/dialogue.h"
#include "manager/common/fenetre_principale.h"
#include "platform/chemins.h"
#include "platform/erreurs.h"
#include "platform/formats.h"
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QStyle>

using namespace Qt::StringLiterals;
using plateforme::pixels_vers_twips_x;
using plateforme::pixels_vers_twips_y;
using plateforme::twips_vers_pixels_x;
using plateforme::twips_vers_pixels_y;

namespace {
constexpr double HAUT_MESSAGE = 240;
constexpr double GAUCHE_MESSAGE = 960;
constexpr double HAUTEUR_BOUTON = 375;

QPixmap image_standard(QStyle::StandardPixmap quoi) {
    return QApplication::style()->standardIcon(quoi).pixmap(32, 32);
}

// Plus longue ligne du texte (les retours chariot séparent les lignes).
QStringList lignes(const QString& t) {
    QString s = t;
    s.replace(u"\r\n"_s, u"\r"_s);
    s.replace(QChar(10), QChar(13));
    return s.split(QChar(13));
}
} // namespace

Dialogue& Dialogue::instance() {
    static Dialogue* d = new Dialogue;
    return *d;
}

Dialogue::Dialogue()
    : Bouton1(new QPushButton(this)), Bouton2(new QPushButton(this)),
      Bouton3(new QPushButton(this)), Icône(new QLabel(this)), Message(new QLabel(this)) {
    setModal(true);
    IcôneInformation = image_standard(QStyle::SP_MessageBoxInformation);
    IcôneExclamation = image_standard(QStyle::SP_MessageBoxWarning);
    IcôneInterrogation = image_standard(QStyle::SP_MessageBoxQuestion);
    IcôneStop = image_standard(QStyle::SP_MessageBoxCritical);
    Message->setWordWrap(true);
    Message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Icône->setGeometry(twips_vers_pixels_x(240), twips_vers_pixels_y(HAUT_MESSAGE),
                       twips_vers_pixels_x(480), twips_vers_pixels_y(480));
    Icône->setScaledContents(true);
    QPushButton* boutons[3] = {Bouton1, Bouton2, Bouton3};
    for (int i = 0; i < 3; ++i) {
        boutons[i]->setAutoDefault(false);
        connect(boutons[i], &QPushButton::clicked, this, [this, i] { Bouton_Click(i + 1); });
    }
}

MesuresDialogue Dialogue::mesures() const {
    MesuresDialogue m;
    m.largeur_dialogue = LARGEUR;
    m.largeur_message = LARGEUR_MESSAGE;
    m.haut_message = HAUT_MESSAGE;
    m.hauteur_bouton = HAUTEUR_BOUTON;
    const QFontMetrics fm(font());
    m.largeur_texte = [fm](const QString& t) {
        int w = 0;
        for (const QString& l : lignes(t))
            w = std::max(w, fm.horizontalAdvance(l));
        return pixels_vers_twips_x(w);
    };
    m.hauteur_texte = [fm](const QString& t) {
        return pixels_vers_twips_y(fm.height() * static_cast<int>(lignes(t).size()));
    };
    return m;
}

void Dialogue::appliquer(const DispositionDialogue& d) {
    Message->setGeometry(twips_vers_pixels_x(GAUCHE_MESSAGE), twips_vers_pixels_y(HAUT_MESSAGE),
                         twips_vers_pixels_x(LARGEUR_MESSAGE),
                         twips_vers_pixels_y(d.hauteur_message));
    QPushButton* boutons[3] = {Bouton1, Bouton2, Bouton3};
    for (int i = 0; i < 3; ++i) {
        const QRectF& r = d.boutons[i];
        boutons[i]->setText(d.legendes[i]);
        boutons[i]->setGeometry(twips_vers_pixels_x(r.left()), twips_vers_pixels_y(r.top()),
                                twips_vers_pixels_x(r.width()), twips_vers_pixels_y(r.height()));
        boutons[i]->setVisible(d.masque & (1 << i));
    }
    tag = QString::number(d.bouton_defaut);
    setFixedSize(twips_vers_pixels_x(LARGEUR), twips_vers_pixels_y(d.hauteur_dialogue));
}

void Dialogue::montrer_icone(const QString& icone) {
    Icône->setVisible(!icone.isEmpty());
    if (icone == u"16"_s)
        Icône->setPixmap(IcôneStop);
    else if (icone == u"32"_s)
        Icône->setPixmap(IcôneInterrogation);
    else if (icone == u"48"_s)
        Icône->setPixmap(IcôneExclamation);
    else if (icone == u"64"_s)
        Icône->setPixmap(IcôneInformation);
    else if (!icone.isEmpty()) {
        // Un fichier d'image : son absence revient à l'appelant.
        const QString hote = icone.startsWith(u'/') ? icone : plateforme::dos_vers_hote(icone);
        QPixmap image(hote);
        if (image.isNull())
            plateforme::lever(plateforme::ERR_FICHIER_INTROUVABLE);
        Icône->setPixmap(image);
    }
}

int Dialogue::poser(const QString& texte, const QString& legende1, const QString& legende2,
                    const QString& legende3, const QString& icone, const QString& titre) {
    appliquer(disposer_dialogue(mesures(), texte, legende1, legende2, legende3));
    montrer_icone(icone);
    QString affiche = texte;
    affiche.replace(QChar(13), QChar(10));
    Message->setText(affiche);
    setWindowTitle(titre);
    exec();
    return tag.toInt();
}

void Dialogue::Bouton_Click(int numero) {
    tag = QString::number(numero);
    hide();
}

void Dialogue::Form_Paint() {
    move(position_dialogue(1300, 1900));
    QPushButton* boutons[3] = {Bouton1, Bouton2, Bouton3};
    const int n = tag.toInt();
    for (int i = 0; i < 3; ++i)
        boutons[i]->setDefault(i == n - 1);
    if (n >= 1 && n <= 3)
        boutons[n - 1]->setFocus();
}

void Dialogue::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Form_Paint();
}

void Dialogue::keyPressEvent(QKeyEvent* e) {
    // Échap vaut le troisième bouton, même caché.
    if (e->key() == Qt::Key_Escape) {
        Bouton_Click(3);
        return;
    }
    QDialog::keyPressEvent(e);
}

void Dialogue::closeEvent(QCloseEvent* e) {
    // Fermer la fenêtre revient à renoncer, comme Échap.
    e->ignore();
    Bouton_Click(3);
}
