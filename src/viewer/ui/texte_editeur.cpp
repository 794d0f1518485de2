#include "viewer/ui/texte_editeur.h"

using namespace Qt::StringLiterals;

namespace morvine {

namespace {

enum Fin { CRLF, LF, CR, AUCUNE };

// Fin de ligne qui commence en i, et sa longueur.
Fin fin_en(const QString& t, qsizetype i, int& longueur) {
    longueur = 1;
    if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') {
        longueur = 2;
        return CRLF;
    }
    if (t[i] == u'\n')
        return LF;
    return t[i] == u'\r' ? CR : AUCUNE;
}

Fin dominante(const QString& t) {
    qsizetype compte[3] = {0, 0, 0};
    for (qsizetype i = 0; i < t.size();) {
        int longueur;
        const Fin f = fin_en(t, i, longueur);
        if (f != AUCUNE)
            ++compte[f];
        i += longueur;
    }
    if (compte[LF] > compte[CRLF] && compte[LF] >= compte[CR])
        return LF;
    if (compte[CR] > compte[CRLF] && compte[CR] > compte[LF])
        return CR;
    return CRLF;
}

QString texte_fin(Fin f) {
    switch (f) {
    case LF:
        return u"\n"_s;
    case CR:
        return u"\r"_s;
    default:
        return u"\r\n"_s;
    }
}

QString symboles(Fin f) {
    switch (f) {
    case CRLF:
        return QString(QChar(SYMBOLE_CR)) + QChar(SYMBOLE_LF);
    case LF:
        return QString(QChar(SYMBOLE_LF));
    default:
        return QString(QChar(SYMBOLE_CR));
    }
}

} // namespace

TexteEditeur vers_editeur(const QString& octets) {
    const Fin principale = dominante(octets);
    TexteEditeur r{{}, texte_fin(principale)};
    r.texte.reserve(octets.size());
    for (qsizetype i = 0; i < octets.size();) {
        int longueur;
        const Fin f = fin_en(octets, i, longueur);
        if (f == AUCUNE)
            r.texte += octets[i];
        else
            r.texte += f == principale ? QString(QChar::ParagraphSeparator) : symboles(f);
        i += longueur;
    }
    return r;
}

QString depuis_editeur(const QString& brut, const QString& fin_ligne) {
    QString octets;
    octets.reserve(brut.size());
    for (const QChar c : brut) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            octets += fin_ligne;
        else if (c == QChar(SYMBOLE_CR))
            octets += u'\r';
        else if (c == QChar(SYMBOLE_LF))
            octets += u'\n';
        else
            octets += c;
    }
    return octets;
}

} // namespace morvine
