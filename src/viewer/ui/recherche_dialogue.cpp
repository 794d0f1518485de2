// Recherche de texte : le dialogue et les éléments « Chercher », « Suivant ».
#include "viewer/ui/recherche_dialogue.h"

#include "platform/dialogues.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/texte_editeur.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

Recherche::Recherche(Editeur& editeur, QWidget* parent)
    : QDialog(parent, Qt::Tool), m_editeur(editeur) {
    setWindowTitle(u"Rechercher"_s);
    setObjectName(u"Recherche"_s);
    construire();
    Form_Load();
}

void Recherche::construire() {
    Label1 = new QLabel(u"&Chercher :"_s, this);
    Text1 = new QLineEdit(this);
    Label1->setBuddy(Text1);
    Frame1 = new QGroupBox(u"Direction"_s, this);
    optDirection[0] = new QRadioButton(u"&Arrière"_s, Frame1);
    optDirection[1] = new QRadioButton(u"&Avant"_s, Frame1);
    auto* directions = new QHBoxLayout(Frame1);
    directions->addWidget(optDirection[0]);
    directions->addWidget(optDirection[1]);
    chkCase = new QCheckBox(u"&Maj. = Min."_s, this);
    chkCase->setChecked(true);
    cmdFind = new QPushButton(u"&Ok"_s, this);
    cmdFind->setDefault(true);
    cmdcancel = new QPushButton(u"A&nnuler"_s, this);
    // Noms d'origine des contrôles : la sonde des essais et l'aide s'y ancrent.
    Label1->setObjectName(u"Label1"_s);
    Text1->setObjectName(u"Text1"_s);
    Frame1->setObjectName(u"Frame1"_s);
    optDirection[0]->setObjectName(u"optDirection0"_s);
    optDirection[1]->setObjectName(u"optDirection1"_s);
    chkCase->setObjectName(u"chkCase"_s);
    cmdFind->setObjectName(u"cmdFind"_s);
    cmdcancel->setObjectName(u"cmdcancel"_s);
    auto* grille = new QGridLayout(this);
    grille->addWidget(Label1, 0, 0);
    grille->addWidget(Text1, 0, 1, 1, 2);
    grille->addWidget(cmdFind, 0, 3);
    grille->addWidget(Frame1, 1, 0, 1, 2);
    grille->addWidget(chkCase, 1, 2);
    grille->addWidget(cmdcancel, 1, 3);
    connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    for (int i = 0; i < 2; ++i)
        connect(optDirection[i], &QRadioButton::clicked, this,
                [this, i] { optDirection_Click(i); });
    connect(cmdFind, &QPushButton::clicked, this, [this] { cmdFind_Click(); });
    connect(cmdcancel, &QPushButton::clicked, this, [this] { cmdcancel_Click(); });
}

void Recherche::Form_Load() {
    cmdFind->setEnabled(false);
    m_editeur.etat_recherche.direction = 1;
    optDirection[1]->setChecked(true);
}

void Recherche::Text1_Change() {
    m_editeur.etat_recherche.premiere_recherche = true;
    cmdFind->setEnabled(!Text1->text().isEmpty());
}

void Recherche::optDirection_Click(int index) {
    m_editeur.etat_recherche.direction = index;
}

void Recherche::cmdFind_Click() {
    m_editeur.etat_recherche.chaine = Text1->text();
    m_editeur.Chercher_texte();
}

void Recherche::cmdcancel_Click() {
    m_editeur.etat_recherche.chaine = Text1->text();
    hide();
}

void Recherche::closeEvent(QCloseEvent* e) {
    // Caché, pas détruit : il garde sa case et sa direction.
    hide();
    e->ignore();
}

Recherche* Editeur::dialogue_recherche() {
    if (!recherche)
        recherche = new Recherche(*this, this);
    return recherche;
}

void Editeur::Chercher_texte() {
    Fenêtre* f = fenetre_active();
    if (!f || !f->etat().texte_editable)
        return;
    QTextCursor c = f->Text1->textCursor();
    // Sans dialogue encore ouvert, la case « Maj. = Min. » est cochée.
    const bool maj_egal_min = !recherche || recherche->chkCase->isChecked();
    // Cherché dans la ligne entière : un mot à cheval sur deux morceaux d'une
    // longue ligne est trouvé.
    QList<qsizetype> coupures;
    const QString texte = morvine::sans_coupures(f->Text1->document()->toRawText(), coupures);
    const qsizetype trouve = morvine::chercher_texte(
        etat_recherche, texte, morvine::depuis_zone(c.selectionStart(), coupures), maj_egal_min);
    if (trouve < 0) {
        plateforme::dialogues().bip();
        plateforme::dialogues().message(
            morvine::message_non_trouve(etat_recherche.chaine, maj_egal_min),
            plateforme::MB_EXCLAMATION, f->legende());
        return;
    }
    c.setPosition(int(morvine::vers_zone(trouve, coupures)));
    c.setPosition(int(morvine::vers_zone(trouve + etat_recherche.chaine.size(), coupures, true)),
                  QTextCursor::KeepAnchor);
    f->Text1->setTextCursor(c);
}

void Fenêtre::mnuSFind_Click() {
    Recherche* r = editeur.dialogue_recherche();
    const QTextCursor c = Text1->textCursor();
    // Une sélection à cheval sur deux morceaux d'une longue ligne se
    // cherche sans la coupure.
    QString choisi = c.selectedText();
    choisi.remove(QString(QChar(QChar::ParagraphSeparator)) + QChar(morvine::SYMBOLE_SUITE));
    r->Text1->setText(c.hasSelection() ? choisi : editeur.etat_recherche.chaine);
    r->show();
    r->raise();
    r->activateWindow();
    r->Text1->setFocus();
    r->Text1->selectAll();
}

void Fenêtre::mnuSFindNext_Click() {
    if (editeur.etat_recherche.chaine.isEmpty())
        return mnuSFind_Click();
    editeur.Chercher_texte();
}
