#include "viewer/ui/texte_editeur.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace morvine {

namespace {

enum Fin { CRLF, LF, CR, AUCUNE };

constexpr char16_t SEPARATEUR = QChar::ParagraphSeparator;

// Fin de ligne qui commence en i, et sa longueur.
Fin fin_en(const char16_t* t, qsizetype n, qsizetype i, int& longueur) {
    longueur = 1;
    if (t[i] == u'\r' && i + 1 < n && t[i + 1] == u'\n') {
        longueur = 2;
        return CRLF;
    }
    if (t[i] == u'\n')
        return LF;
    return t[i] == u'\r' ? CR : AUCUNE;
}

const char16_t* donnees(const QString& t) {
    return reinterpret_cast<const char16_t*>(t.constData());
}

Fin dominante(const QString& t) {
    const char16_t* p = donnees(t);
    const qsizetype n = t.size();
    qsizetype compte[3] = {0, 0, 0};
    for (qsizetype i = 0; i < n;) {
        int longueur;
        const Fin f = fin_en(p, n, i, longueur);
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

// Fin du morceau qui commence en 'debut' d'un paragraphe finissant en
// 'fin' : après un blanc proche de la longueur voulue si possible, jamais
// entre les deux moitiés d'un caractère ni entre ␍ et ␊.
qsizetype fin_morceau(const char16_t* p, qsizetype debut, qsizetype fin) {
    qsizetype coupe = debut + LONGUEUR_MORCEAU;
    if (coupe >= fin)
        return fin;
    for (qsizetype k = coupe; k > debut + LONGUEUR_MORCEAU * 7 / 8; --k) {
        if (p[k - 1] == u' ' || p[k - 1] == u'\t') {
            coupe = k;
            break;
        }
    }
    if (QChar::isHighSurrogate(p[coupe - 1]) ||
        (p[coupe - 1] == SYMBOLE_CR && p[coupe] == SYMBOLE_LF))
        --coupe;
    return coupe;
}

// Les paragraphes plus longs qu'un morceau, coupés ; le texte tel quel
// (sans copie) quand il n'en a aucun.
QString couper_longues_lignes(QString texte) {
    const char16_t* p = donnees(texte);
    const qsizetype n = texte.size();
    bool long_trouve = false;
    for (qsizetype debut = 0; debut < n && !long_trouve;) {
        const char16_t* sep = std::find(p + debut, p + n, SEPARATEUR);
        long_trouve = sep - (p + debut) > LONGUEUR_MORCEAU;
        debut = sep - p + 1;
    }
    if (!long_trouve)
        return texte;
    QString coupe;
    coupe.reserve(n + n / LONGUEUR_MORCEAU * 2 + 2);
    for (qsizetype debut = 0; debut < n;) {
        const qsizetype fin = std::find(p + debut, p + n, SEPARATEUR) - p;
        for (qsizetype morceau = debut; morceau < fin;) {
            const qsizetype suite = fin_morceau(p, morceau, fin);
            if (morceau != debut) {
                coupe += QChar(SEPARATEUR);
                coupe += QChar(SYMBOLE_SUITE);
            }
            coupe.append(reinterpret_cast<const QChar*>(p + morceau), suite - morceau);
            morceau = suite;
        }
        if (fin < n)
            coupe += QChar(SEPARATEUR);
        debut = fin + 1;
    }
    return coupe;
}

} // namespace

QString fin_dominante(const QString& octets) {
    return texte_fin(dominante(octets));
}

QString vers_editeur(QStringView octets, const QString& fin_ligne) {
    const Fin principale = fin_ligne == u"\n"_s ? LF : fin_ligne == u"\r"_s ? CR : CRLF;
    const char16_t* p = octets.utf16();
    const qsizetype n = octets.size();
    QString plat;
    plat.reserve(n);
    for (qsizetype i = 0; i < n;) {
        // Les caractères jusqu'à la prochaine fin de ligne passent d'un bloc.
        qsizetype j = i;
        while (j < n && p[j] != u'\r' && p[j] != u'\n')
            ++j;
        plat.append(reinterpret_cast<const QChar*>(p + i), j - i);
        if (j == n)
            break;
        int longueur;
        const Fin f = fin_en(p, n, j, longueur);
        if (f == principale)
            plat += QChar(SEPARATEUR);
        else
            plat += symboles(f);
        i = j + longueur;
    }
    return couper_longues_lignes(std::move(plat));
}

TexteEditeur vers_editeur(const QString& octets) {
    TexteEditeur r{{}, fin_dominante(octets)};
    r.texte = vers_editeur(QStringView(octets), r.fin_ligne);
    return r;
}

qsizetype fin_de_part(const QString& octets, qsizetype debut, qsizetype longueur,
                      const QString& fin_ligne) {
    const char16_t* p = donnees(octets);
    const qsizetype n = octets.size();
    for (qsizetype i = std::min(debut + longueur, n); i < n; ++i) {
        int taille;
        const Fin f = fin_en(p, n, i, taille);
        if (f != AUCUNE && texte_fin(f) == fin_ligne && (i == 0 || f != LF || p[i - 1] != u'\r'))
            return i + taille;
        i += taille - 1;
    }
    return n;
}

QString depuis_editeur(const QString& brut, const QString& fin_ligne) {
    const char16_t* p = donnees(brut);
    const qsizetype n = brut.size();
    QString octets;
    octets.reserve(n + n / 16);
    for (qsizetype i = 0; i < n;) {
        qsizetype j = i;
        while (j < n && p[j] != SEPARATEUR && p[j] != QChar::LineSeparator && p[j] != SYMBOLE_CR &&
               p[j] != SYMBOLE_LF)
            ++j;
        octets.append(brut.constData() + i, j - i);
        if (j == n)
            break;
        i = j + 1;
        if (p[j] == SYMBOLE_CR)
            octets += u'\r';
        else if (p[j] == SYMBOLE_LF)
            octets += u'\n';
        else if (p[j] == SEPARATEUR && i < n && p[i] == SYMBOLE_SUITE)
            ++i; // coupure d'une longue ligne : pas de fin de ligne
        else
            octets += fin_ligne;
    }
    return octets;
}

QString sans_coupures(const QString& brut, QList<qsizetype>& coupures) {
    coupures.clear();
    const char16_t* p = donnees(brut);
    const qsizetype n = brut.size();
    QString rendu;
    for (qsizetype i = 0; i < n;) {
        qsizetype j = i;
        while (j + 1 < n && !(p[j] == SEPARATEUR && p[j + 1] == SYMBOLE_SUITE))
            ++j;
        if (j + 1 >= n) {
            if (coupures.isEmpty())
                return brut; // rien à ôter : pas de copie
            rendu.append(brut.constData() + i, n - i);
            break;
        }
        if (rendu.isEmpty())
            rendu.reserve(n);
        rendu.append(brut.constData() + i, j - i);
        coupures << rendu.size();
        i = j + 2;
    }
    return rendu;
}

qsizetype vers_zone(qsizetype position, const QList<qsizetype>& coupures, bool fin) {
    // Une coupure juste avant un début de mot se place avant lui ; juste
    // après une fin de mot, après lui.
    const auto avant = fin ? std::lower_bound(coupures.begin(), coupures.end(), position)
                           : std::upper_bound(coupures.begin(), coupures.end(), position);
    return position + 2 * (avant - coupures.begin());
}

qsizetype depuis_zone(qsizetype position, const QList<qsizetype>& coupures) {
    // La k-ième coupure occupe dans la zone [coupures[k] + 2k, coupures[k] + 2k + 2).
    qsizetype k = 0;
    qsizetype bas = 0, haut = coupures.size();
    while (bas < haut) {
        const qsizetype milieu = (bas + haut) / 2;
        if (coupures[milieu] + 2 * milieu < position)
            bas = milieu + 1;
        else
            haut = milieu;
    }
    k = bas;
    // Les coupures commencées avant la position : celles finies avant sont
    // ôtées entières, celle qui la contient ramène la position à son début.
    if (k > 0 && position < coupures[k - 1] + 2 * (k - 1) + 2)
        return coupures[k - 1];
    return position - 2 * k;
}

bool effacer_pres_coupure(QTextCursor& curseur, bool en_avant) {
    if (curseur.hasSelection())
        return false;
    const QTextDocument* document = curseur.document();
    const int fin = document->characterCount() - 1;
    const auto car = [document, fin](int i) {
        return i >= 0 && i < fin ? document->characterAt(i).unicode() : char16_t(0);
    };
    const auto coupure_en = [&car](int i) {
        return car(i) == SEPARATEUR && car(i + 1) == SYMBOLE_SUITE;
    };
    int position = curseur.position();
    // Au milieu d'une coupure (entre la fin de paragraphe et ↪), comme avant elle.
    const bool dedans = coupure_en(position - 1);
    if (!dedans && !(en_avant ? coupure_en(position) : coupure_en(position - 2)))
        return false;
    if (en_avant) {
        position = dedans ? position + 1 : position + 2;
        while (coupure_en(position))
            position += 2;
        if (position >= fin)
            return true; // rien après la coupure : rien à effacer
        curseur.setPosition(position);
        curseur.deleteChar();
    } else {
        position = dedans ? position - 1 : position - 2;
        while (coupure_en(position - 2))
            position -= 2;
        if (position <= 0)
            return true;
        curseur.setPosition(position);
        curseur.deletePreviousChar();
    }
    return true;
}

void presse_papiers_sans_coupures() {
    QClipboard* presse_papiers = QGuiApplication::clipboard();
    // Le texte copié de la zone a ses fins de paragraphe en sauts de ligne.
    const QString coupure = u"\n"_s + QChar(SYMBOLE_SUITE);
    QString texte = presse_papiers->text();
    if (texte.contains(coupure))
        presse_papiers->setText(texte.remove(coupure));
}

} // namespace morvine
