#include "viewer/ui/impression.h"

#include "platform/dialogues.h"
#include "platform/impression.h"
#include "viewer/ui/curseur.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/fenetre.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace morvine {

bool preparer_imprimante(QPrinter& imprimante, const QString& titre, QWidget* parent) {
    const QString impose = plateforme::pdf_impose();
    if (!impose.isEmpty()) {
        plateforme::sortie_pdf(imprimante, impose);
        return true;
    }
    if (!plateforme::imprimante_presente()) {
        // Pas d'imprimante : le dialogue d'enregistrement tient lieu de
        // dialogue d'impression (Annuler n'imprime rien).
        const QString fichier = plateforme::dialogues().enregistrer_fichier(
            u"Imprimer dans un fichier"_s, u"Documents PDF (*.pdf)|*.pdf"_s, titre + u".pdf"_s);
        if (fichier.isEmpty())
            return false;
        plateforme::sortie_pdf(imprimante, fichier);
        return true;
    }
    QPrintDialog dialogue(&imprimante, parent);
    return dialogue.exec() == QDialog::Accepted;
}

bool imprimer_texte(QPrinter& imprimante, const QString& titre, const QString& texte,
                    const QFont& police) {
    QTextDocument document;
    document.setDefaultFont(police);
    document.setPlainText(titre + u"\n\n"_s + texte);
    document.print(&imprimante);
    return imprimante.printerState() != QPrinter::Error;
}

bool imprimer_image(QPrinter& imprimante, const QPixmap& image) {
    QPainter p;
    if (!p.begin(&imprimante))
        return false;
    const QRect page = p.viewport();
    QSize taille = image.size();
    if (taille.width() > page.width() || taille.height() > page.height())
        taille.scale(page.size(), Qt::KeepAspectRatio);
    p.drawPixmap(QRect(QPoint(0, 0), taille), image);
    return p.end();
}

} // namespace morvine

void Editeur::Imprimer_document() {
    Fenêtre* f = fenetre_active();
    if (!f)
        return;
    const morvine::EtatDocument& e = f->etat();
    const QString titre = e.titre.toUpper();
    QPrinter imprimante;
    imprimante.setDocName(titre);
    if (!morvine::preparer_imprimante(imprimante, titre, this))
        return;
    titre_application = u"Visualiseur - "_s + titre;
    setWindowTitle(titre_application);
    morvine::CurseurSablier sablier;
    if (e.image == morvine::PAS_IMAGE)
        morvine::imprimer_texte(imprimante, titre, f->Text1->toPlainText(), f->Text1->font());
    else
        morvine::imprimer_image(imprimante, f->grab());
}
