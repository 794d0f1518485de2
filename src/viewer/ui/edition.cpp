// Édition dans la fenêtre active : couper, copier, coller, effacer, tout
// sélectionner, date et heure, police, conversion DOS/Windows.
#include "platform/dialogues.h"
#include "viewer/core/conversion.h"
#include "viewer/ui/curseur.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/texte_editeur.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextCursor>

using namespace Qt::StringLiterals;

namespace {

const QString ASCII = u"Convertir en &ASCII"_s;
const QString ANSI = u"Convertir en &ANSI"_s;

} // namespace

namespace morvine {

// Refus de couper ou copier une icône.
void refuser_operation(const Editeur& e) {
    plateforme::dialogues().bip();
    plateforme::dialogues().message(u"Opération invalide avec ce format."_s,
                                    plateforme::MB_EXCLAMATION, e.titre_application);
}

} // namespace morvine

void Editeur::Couper_texte() {
    Fenêtre* f = fenetre_active();
    if (!f)
        return;
    switch (f->etat().image) {
    case morvine::IMAGE_ICONE:
        return morvine::refuser_operation(*this);
    case morvine::IMAGE_AUTRE:
        QApplication::clipboard()->setPixmap(f->Image1->pixmap());
        return f->vider_image();
    default:
        f->Text1->cut();
        morvine::presse_papiers_sans_coupures();
    }
}

void Editeur::Copier_texte() {
    Fenêtre* f = fenetre_active();
    if (!f)
        return;
    switch (f->etat().image) {
    case morvine::IMAGE_ICONE:
        return morvine::refuser_operation(*this);
    case morvine::IMAGE_AUTRE:
        return QApplication::clipboard()->setPixmap(f->Image1->pixmap());
    default:
        f->Text1->copy();
        morvine::presse_papiers_sans_coupures();
    }
}

void Editeur::Coller_texte() {
    Fenêtre* f = fenetre_active();
    if (!f)
        return;
    if (f->etat().image == morvine::PAS_IMAGE)
        f->Text1->paste();
    else if (f->etat().image == morvine::IMAGE_AUTRE)
        f->montrer_image(QApplication::clipboard()->image());
}

void Fenêtre::mnuEDelete_Click() {
    if (etat().image != morvine::PAS_IMAGE)
        return vider_image();
    QTextCursor c = Text1->textCursor();
    const QTextDocument* document = Text1->document();
    const int fin = document->characterCount() - 1;
    if (c.selectionStart() >= fin)
        return;
    if (morvine::effacer_pres_coupure(c, true))
        return Text1->setTextCursor(c);
    if (!c.hasSelection()) {
        const int debut = c.position();
        c.setPosition(debut + 1, QTextCursor::KeepAnchor);
        // Un retour chariot isolé avant son saut de ligne part avec lui ; une
        // fin de paragraphe vaut déjà les deux.
        if (document->characterAt(debut) == QChar(morvine::SYMBOLE_CR) && debut + 1 < fin &&
            document->characterAt(debut + 1) == QChar(morvine::SYMBOLE_LF))
            c.setPosition(debut + 2, QTextCursor::KeepAnchor);
    }
    c.removeSelectedText();
    Text1->setTextCursor(c);
}

void Fenêtre::mnuESelectAll_Click() {
    Text1->selectAll();
}

void Fenêtre::mnuETime_Click() {
    Text1->insertPlainText(QDateTime::currentDateTime().toString(u"dd/MM/yyyy hh:mm:ss"_s));
}

void Fenêtre::mnuFontName_Click(int index) {
    const QString nom = mnuFontName.value(index) ? mnuFontName[index]->text() : QString();
    if (nom.isEmpty())
        return;
    QFont police = Text1->font();
    police.setFamily(nom);
    Text1->setFont(police);
    editeur.Police_de_base = nom.left(20);
    Text1_Change();
}

void Fenêtre::mnuEAnsi_Click() {
    const bool vers_ansi = mnuEAnsi->text() != ASCII;
    mnuEAnsi->setText(vers_ansi ? ASCII : ANSI);
    QString t = texte();
    editeur.Convertir_jeu_caracteres(vers_ansi, t);
}

void Editeur::Convertir_jeu_caracteres(bool vers_ansi, QString& texte) {
    morvine::CurseurSablier sablier;
    texte = morvine::convertir_jeu_caracteres(vers_ansi, texte);
    if (Fenêtre* f = fenetre_active())
        f->definir_texte(texte);
}
