// Motifs : jokers DOS et langage des exclusions.
//
// Les deux langages se ramènent à une suite de jetons dont chacun, sauf '*',
// reconnaît exactement un caractère : l'algorithme glouton qui ne revient
// qu'à la dernière étoile est alors exact et reste en O(n×m), même sur un
// motif hostile comme "*a*a*a*a*b".
#include "platform/motifs.h"

#include "platform/erreurs.h"

#include <QList>
#include <QStringList>
#include <algorithm>
#include <utility>

namespace plateforme {

namespace {

enum class Sorte { Litteral, Un, Etoile, Chiffre, Classe };

struct Intervalle {
    char32_t bas;
    char32_t haut;
};

struct Jeton {
    Sorte sorte = Sorte::Litteral;
    char32_t car = 0;
    bool negation = false;
    QList<Intervalle> intervalles;
};

using Texte = QList<char32_t>;

// Pliage de casse caractère par caractère : la longueur ne change pas, de
// sorte que '?' compte toujours un caractère (é et É sont pliés ensemble).
char32_t plier(char32_t c, Qt::CaseSensitivity casse) {
    return casse == Qt::CaseInsensitive ? QChar::toCaseFolded(c) : c;
}

Texte ucs4(const QString& s) {
    const QList<uint> brut = s.toUcs4();
    return Texte(brut.cbegin(), brut.cend());
}

Texte en_texte(const QString& s, Qt::CaseSensitivity casse) {
    Texte t = ucs4(s);
    for (char32_t& c : t)
        c = plier(c, casse);
    return t;
}

bool dans_classe(const Jeton& j, char32_t c) {
    return std::any_of(j.intervalles.cbegin(), j.intervalles.cend(),
                       [c](const Intervalle& i) { return c >= i.bas && c <= i.haut; });
}

// Une classe sans égard à la casse reconnaît le caractère sous ses deux formes,
// pour que [a-z] prenne aussi 'Q' et [É] aussi 'é'.
bool classe_reconnait(const Jeton& j, char32_t c, Qt::CaseSensitivity casse) {
    bool dedans = dans_classe(j, c);
    if (!dedans && casse == Qt::CaseInsensitive)
        dedans = dans_classe(j, QChar::toLower(c)) || dans_classe(j, QChar::toUpper(c)) ||
                 dans_classe(j, QChar::toCaseFolded(c));
    return dedans != j.negation;
}

bool jeton_reconnait(const Jeton& j, char32_t c, Qt::CaseSensitivity casse) {
    switch (j.sorte) {
    case Sorte::Litteral:
        return j.car == c;
    case Sorte::Un:
        return true;
    case Sorte::Chiffre:
        return c >= U'0' && c <= U'9';
    case Sorte::Classe:
        return classe_reconnait(j, c, casse);
    case Sorte::Etoile:
        break;
    }
    return false;
}

// Glouton avec retour à la dernière étoile seulement : chaque caractère du
// texte n'est repris qu'une fois par étoile, d'où la borne O(n×m).
template <class Suite>
bool correspond(const Suite& texte, const QList<Jeton>& motif, Qt::CaseSensitivity casse) {
    qsizetype t = 0, m = 0, etoile = -1, reprise = 0;
    while (t < texte.size()) {
        if (m < motif.size() && motif[m].sorte == Sorte::Etoile) {
            etoile = m++;
            reprise = t;
        } else if (m < motif.size() && jeton_reconnait(motif[m], texte[t], casse)) {
            ++m;
            ++t;
        } else if (etoile >= 0) {
            m = etoile + 1;
            t = ++reprise;
        } else {
            return false;
        }
    }
    while (m < motif.size() && motif[m].sorte == Sorte::Etoile)
        ++m;
    return m == motif.size();
}

Jeton litteral(char32_t c) {
    Jeton j;
    j.car = c;
    return j;
}

Jeton simple(Sorte sorte) {
    Jeton j;
    j.sorte = sorte;
    return j;
}

// ---- Jokers DOS -----------------------------------------------------------

bool caractere_interdit(char32_t c) {
    return c < 0x20 || c == 0x7F || c == U'/' || c == U'\\' || c == U':' || c == U'<' ||
           c == U'>' || c == U'|' || c == U'"';
}

QList<Jeton> jetons_dos(const Texte& motif) {
    QList<Jeton> jetons;
    for (char32_t c : motif) {
        if (c == U'*') {
            if (jetons.isEmpty() || jetons.last().sorte != Sorte::Etoile)
                jetons.append(simple(Sorte::Etoile));
        } else {
            jetons.append(c == U'?' ? simple(Sorte::Un) : litteral(c));
        }
    }
    return jetons;
}

bool termine_par(const Texte& t, char32_t a, char32_t b) {
    return t.size() >= 2 && t[t.size() - 2] == a && t.last() == b;
}

bool motif_dos_simple(const Texte& nom, Texte motif) {
    const auto ic = Qt::CaseInsensitive;
    // "abc." et "*." : seulement les noms sans point.
    if (!motif.isEmpty() && motif.last() == U'.') {
        if (nom.contains(U'.'))
            return false;
        motif.removeLast();
        return correspond(nom, jetons_dos(motif), ic);
    }
    if (correspond(nom, jetons_dos(motif), ic))
        return true;
    // Un ".*" final peut ne rien reconnaître : "readme.*" prend "readme".
    if (termine_par(motif, U'.', U'*')) {
        motif.resize(motif.size() - 2);
        return correspond(nom, jetons_dos(motif), ic);
    }
    return false;
}

QStringList parties_dos(const QString& motif) {
    QStringList parties;
    for (const QString& partie : motif.split(u';')) {
        const QString nette = partie.trimmed();
        if (!nette.isEmpty())
            parties.append(nette);
    }
    if (parties.isEmpty())
        parties.append(QStringLiteral("*.*"));
    return parties;
}

// ---- Langage des exclusions -----------------------------------------------

void ajouter_membre(Jeton& classe, const Texte& motif, qsizetype& i, qsizetype fin) {
    char32_t bas = motif[i];
    if (i + 2 < fin && motif[i + 1] == U'-') {
        char32_t haut = motif[i + 2];
        // Intervalle à l'envers ([z-a]) : pris dans l'ordre, plutôt qu'une erreur.
        if (haut < bas)
            std::swap(bas, haut);
        classe.intervalles.append({bas, haut});
        i += 3;
        return;
    }
    classe.intervalles.append({bas, bas});
    ++i;
}

// Lit "[...]" à partir de motif[debut] == '[' ; rend la position qui suit le
// ']' fermant, ou -1 s'il n'y en a pas (le '[' vaut alors pour lui-même).
qsizetype lire_classe(const Texte& motif, qsizetype debut, Jeton& classe) {
    qsizetype i = debut + 1;
    classe = simple(Sorte::Classe);
    // "[!]" désigne le point d'exclamation lui-même.
    if (i + 1 < motif.size() && motif[i] == U'!' && motif[i + 1] != U']') {
        classe.negation = true;
        ++i;
    }
    const qsizetype fin = motif.indexOf(U']', i);
    if (fin < 0)
        return -1;
    while (i < fin)
        ajouter_membre(classe, motif, i, fin);
    return fin + 1;
}

QList<Jeton> jetons_like(const Texte& motif, Qt::CaseSensitivity casse) {
    QList<Jeton> jetons;
    qsizetype i = 0;
    while (i < motif.size()) {
        const char32_t c = motif[i];
        Jeton classe;
        qsizetype suite = -1;
        if (c == U'[')
            suite = lire_classe(motif, i, classe);
        if (suite >= 0) {
            // "[]" est une liste vide : elle ne reconnaît rien et ne consomme rien.
            if (!classe.intervalles.isEmpty())
                jetons.append(classe);
            i = suite;
            continue;
        }
        if (c == U'*')
            jetons.append(simple(Sorte::Etoile));
        else if (c == U'?')
            jetons.append(simple(Sorte::Un));
        else if (c == U'#')
            jetons.append(simple(Sorte::Chiffre));
        else
            jetons.append(litteral(plier(c, casse)));
        ++i;
    }
    return jetons;
}

} // namespace

void verifier_motif_dos(const QString& motif) {
    const Texte t = ucs4(motif);
    if (std::any_of(t.cbegin(), t.cend(), caractere_interdit))
        throw ErreurExecution(ERR_VALEUR_INCORRECTE);
}

bool motif_dos_correspond(const QString& nom, const QString& motif) {
    verifier_motif_dos(motif);
    const Texte texte = en_texte(nom, Qt::CaseInsensitive);
    const QStringList parties = parties_dos(motif);
    return std::any_of(parties.cbegin(), parties.cend(), [&texte](const QString& partie) {
        return motif_dos_simple(texte, en_texte(partie, Qt::CaseInsensitive));
    });
}

// Chaque partie est préparée comme motif_dos_simple la lirait.
struct PartieDos {
    bool sans_point = false; // "abc." : noms sans point seulement
    QList<Jeton> jetons;     // le motif entier (sans le '.' final)
    bool extension_facultative = false;
    QList<Jeton> sans_extension; // sans son ".*" final
};

struct MotifDos::Impl {
    QList<PartieDos> parties;
    mutable Texte tampon; // nom plié, réutilisé d'un nom à l'autre
};

MotifDos::MotifDos(const QString& motif) : d(std::make_unique<Impl>()) {
    verifier_motif_dos(motif);
    for (const QString& partie : parties_dos(motif)) {
        Texte t = en_texte(partie, Qt::CaseInsensitive);
        PartieDos p;
        p.sans_point = !t.isEmpty() && t.last() == U'.';
        if (p.sans_point)
            t.removeLast();
        p.jetons = jetons_dos(t);
        p.extension_facultative = !p.sans_point && termine_par(t, U'.', U'*');
        if (p.extension_facultative)
            p.sans_extension = jetons_dos(t.first(t.size() - 2));
        d->parties.append(std::move(p));
    }
}

MotifDos::~MotifDos() = default;

namespace {
// Nom sans paire de substitution : plié caractère par caractère à la
// lecture, sans copie (la plupart des noms échouent dès les premiers).
struct VuePliee {
    QStringView nom;
    qsizetype size() const { return nom.size(); }
    char32_t operator[](qsizetype i) const { return QChar::toCaseFolded(nom[i].unicode()); }
};
} // namespace

template <class Suite> bool MotifDos::correspond_plie(const Suite& nom_plie, bool point) const {
    const auto ic = Qt::CaseInsensitive;
    return std::any_of(d->parties.cbegin(), d->parties.cend(), [&](const PartieDos& p) {
        if (p.sans_point)
            return !point && plateforme::correspond(nom_plie, p.jetons, ic);
        return plateforme::correspond(nom_plie, p.jetons, ic) ||
               (p.extension_facultative && plateforme::correspond(nom_plie, p.sans_extension, ic));
    });
}

bool MotifDos::correspond(QStringView nom) const {
    const bool point = nom.contains(u'.');
    const bool substitution =
        std::any_of(nom.begin(), nom.end(), [](QChar c) { return c.isSurrogate(); });
    if (!substitution)
        return correspond_plie(VuePliee{nom}, point);
    Texte& t = d->tampon;
    t.clear();
    for (qsizetype i = 0; i < nom.size(); ++i) {
        char32_t c = nom[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < nom.size() && nom[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(nom[i].unicode(), nom[i + 1].unicode());
            ++i;
        }
        t.append(plier(c, Qt::CaseInsensitive));
    }
    return correspond_plie(t, point);
}

bool motif_like_correspond(const QString& texte, const QString& motif, Qt::CaseSensitivity casse) {
    // Le motif est lu brut : les bornes des classes gardent leur casse et
    // classe_reconnait essaie les deux formes du caractère.
    return correspond(en_texte(texte, casse), jetons_like(ucs4(motif), casse), casse);
}

} // namespace plateforme
