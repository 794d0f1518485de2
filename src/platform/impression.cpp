// Impression sur l'imprimante par défaut ou dans un fichier PDF.
#include "platform/impression.h"

#include "platform/erreurs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace plateforme {

namespace {

constexpr qreal TAILLE_POLICE = 10.0;
constexpr qreal MARGE_MM = 15.0;
constexpr int TABULATION = 8;

[[noreturn]] void lever_impression(const QString& pdf) {
    QString texte = u"Erreur d'imprimante"_s;
    if (!pdf.isEmpty())
        texte += u" (fichier "_s + pdf + u" impossible à écrire)"_s;
    throw ErreurExecution(ERR_IMPRIMANTE, texte);
}

QPrinterInfo imprimante_par_defaut() {
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        const QList<QPrinterInfo> toutes = QPrinterInfo::availablePrinters();
        if (!toutes.isEmpty())
            info = toutes.first();
    }
    return info;
}

} // namespace

QString pdf_impose() {
    const QString impose = qEnvironmentVariable("KALDRON_IMPRESSION_PDF");
    if (impose.isEmpty())
        return {};
    return QFileInfo(impose).isDir() ? nouveau_pdf(impose) : impose;
}

bool imprimante_presente() {
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

QString repertoire_impressions() {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    return documents + u"/Impressions"_s;
}

QString nouveau_pdf(const QString& repertoire) {
    QDir().mkpath(repertoire);
    // Un numéro au-delà du plus grand : l'ordre des numéros est celui des travaux.
    static const QRegularExpression nom(u"^travail-(\\d+)\\.pdf$"_s);
    int dernier = 0;
    for (const QString& f : QDir(repertoire).entryList({u"travail-*.pdf"_s}, QDir::Files)) {
        const QRegularExpressionMatch m = nom.match(f);
        if (m.hasMatch())
            dernier = qMax(dernier, m.captured(1).toInt());
    }
    return QDir(repertoire).filePath(u"travail-%1.pdf"_s.arg(dernier + 1));
}

// Comme sur une imprimante de texte.
QString developper_tabulations(const QString& ligne) {
    if (!ligne.contains(u'\t'))
        return ligne;
    QString sortie;
    sortie.reserve(ligne.size() + TABULATION);
    for (const QChar c : ligne) {
        if (c == u'\t')
            sortie += QString(TABULATION - sortie.size() % TABULATION, u' ');
        else
            sortie += c;
    }
    return sortie;
}

void sortie_pdf(QPrinter& imprimante, const QString& fichier) {
    imprimante.setOutputFormat(QPrinter::PdfFormat);
    imprimante.setOutputFileName(fichier);
}

struct TravailImpression::Impl {
    QString document;
    int colonnes = 80;
    std::unique_ptr<QPrinter> imprimante;
    QPainter peintre;
    QString pdf;
    bool repli = false;
    int lignes = 0;
    // Colonnes que la largeur imprimable tient dans la police choisie.
    int colonnes_tenues = 0;
    qreal y = 0;
    qreal interligne = 0;
    qreal montee = 0;

    void choisir_sortie() {
        pdf = pdf_impose();
        if (pdf.isEmpty() && !imprimante_presente()) {
            pdf = nouveau_pdf(repertoire_impressions());
            repli = true;
        }
        if (pdf.isEmpty()) {
            imprimante =
                std::make_unique<QPrinter>(imprimante_par_defaut(), QPrinter::HighResolution);
        } else {
            imprimante = std::make_unique<QPrinter>(QPrinter::HighResolution);
            sortie_pdf(*imprimante, pdf);
        }
        imprimante->setDocName(document);
        // Des marges ordinaires, ou celles de l'imprimante si elles sont plus grandes.
        const QMarginsF defaut = imprimante->pageLayout().margins(QPageLayout::Millimeter);
        imprimante->setPageMargins(
            QMarginsF(qMax(defaut.left(), MARGE_MM), qMax(defaut.top(), MARGE_MM),
                      qMax(defaut.right(), MARGE_MM), qMax(defaut.bottom(), MARGE_MM)),
            QPageLayout::Millimeter);
    }

    // Police à chasse fixe, réduite si 'colonnes' caractères débordent la
    // largeur imprimable : un fichier aux lignes courtes garde ses 10 points.
    void choisir_police() {
        QFont police(u"monospace"_s);
        police.setStyleHint(QFont::TypeWriter);
        police.setFixedPitch(true);
        police.setPointSizeF(TAILLE_POLICE);
        const qreal largeur = peintre.viewport().width();
        const qreal voulue =
            QFontMetricsF(police, imprimante.get()).horizontalAdvance(QString(colonnes, u'M'));
        if (voulue > largeur && voulue > 0)
            police.setPointSizeF(TAILLE_POLICE * largeur / voulue * 0.98);
        peintre.setFont(police);
        const QFontMetricsF mesures(police, imprimante.get());
        interligne = mesures.lineSpacing();
        montee = mesures.ascent();
        const qreal colonne = mesures.horizontalAdvance(u'M');
        colonnes_tenues = colonne > 0 ? qMax(1, int(largeur / colonne)) : colonnes;
    }

    void commencer() {
        choisir_sortie();
        if (!peintre.begin(imprimante.get()))
            lever_impression(pdf);
        choisir_police();
    }

    void page_suivante() {
        if (!imprimante->newPage())
            lever_impression(pdf);
        y = 0;
    }
};

TravailImpression::TravailImpression(const QString& document, int colonnes) : d(new Impl) {
    d->document = document;
    d->colonnes = qMax(1, colonnes);
}

TravailImpression::~TravailImpression() {
    if (!d->peintre.isActive())
        return;
    // Travail interrompu par une erreur : rien de partiel ne sort.
    d->imprimante->abort();
    d->peintre.end();
    if (!d->pdf.isEmpty())
        QFile::remove(d->pdf);
}

void TravailImpression::imprimer_ligne(const QString& ligne) {
    if (!d->peintre.isActive())
        d->commencer();
    if (d->lignes > 0 && d->y + d->interligne > d->peintre.viewport().height())
        d->page_suivante();
    // Une ligne plus large que promis (tabulations) perd sa fin plutôt que
    // de sortir de la page.
    QString texte = developper_tabulations(ligne);
    if (texte.size() > d->colonnes_tenues)
        texte.truncate(texte.at(d->colonnes_tenues - 1).isHighSurrogate() ? d->colonnes_tenues - 1
                                                                          : d->colonnes_tenues);
    if (!texte.isEmpty())
        d->peintre.drawText(QPointF(0, d->y + d->montee), texte);
    d->y += d->interligne;
    ++d->lignes;
}

void TravailImpression::terminer() {
    if (!d->peintre.isActive())
        return;
    const bool fini = d->peintre.end();
    if (!fini || d->imprimante->printerState() == QPrinter::Error)
        lever_impression(d->pdf);
}

int TravailImpression::lignes() const {
    return d->lignes;
}

QString TravailImpression::pdf_de_repli() const {
    return d->repli ? d->pdf : QString();
}

} // namespace plateforme
