// Lecture de l'écran décrit par la sonde : contrôles, fenêtres, arbre.
#include "pilote.h"

using namespace Qt::StringLiterals;

namespace e2e {

namespace {

// Sans accélérateur : "&COPIER" -> "COPIER", "&&" -> "&".
QString sans_accelerateur(QString texte) {
    texte.replace(u"&&"_s, u"\x01"_s);
    texte.remove(u'&');
    texte.replace(u'\x01', u'&');
    return texte;
}

QRect rect_de(const QJsonObject& o) {
    return {o.value(u"x"_s).toInt(), o.value(u"y"_s).toInt(), o.value(u"l"_s).toInt(),
            o.value(u"h"_s).toInt()};
}

QJsonArray elements_de(const QJsonObject& o) {
    return o.value(u"elements"_s).toArray();
}

} // namespace

// --- Controle -------------------------------------------------------------

QString Controle::nom() const {
    return m_o.value(u"nom"_s).toString();
}
QString Controle::classe() const {
    return m_o.value(u"classe"_s).toString();
}
QString Controle::parent() const {
    return m_o.value(u"parent"_s).toString();
}
QString Controle::texte() const {
    return sans_accelerateur(texte_brut());
}
QString Controle::texte_brut() const {
    return m_o.value(u"texte"_s).toString();
}
QString Controle::texte_choisi() const {
    return m_o.value(u"texte_choisi"_s).toString();
}
QRect Controle::geometrie() const {
    return rect_de(m_o);
}
bool Controle::actif() const {
    return m_o.value(u"actif"_s).toBool();
}
bool Controle::focus() const {
    return m_o.value(u"focus"_s).toBool();
}
bool Controle::coche() const {
    return m_o.value(u"coche"_s).toBool();
}
int Controle::valeur() const {
    return m_o.value(u"valeur"_s).toInt(-1);
}
int Controle::courant() const {
    return m_o.value(u"courant"_s).toInt(-1);
}

QStringList Controle::elements() const {
    QStringList textes;
    for (const QJsonValue e : elements_de(m_o))
        textes << e.toObject().value(u"texte"_s).toString();
    return textes;
}

QStringList Controle::elements_choisis() const {
    QStringList textes;
    for (const QJsonValue e : elements_de(m_o)) {
        if (e.toObject().value(u"choisi"_s).toBool())
            textes << e.toObject().value(u"texte"_s).toString();
    }
    return textes;
}

int Controle::nombre_elements() const {
    return m_o.value(u"nombre"_s).toInt(static_cast<int>(elements_de(m_o).size()));
}

std::optional<QRect> Controle::zone_element(const QString& texte) const {
    for (const QJsonValue v : elements_de(m_o)) {
        const QJsonObject e = v.toObject();
        if (sans_accelerateur(e.value(u"texte"_s).toString()) == texte && e.contains(u"zone"_s))
            return rect_de(e.value(u"zone"_s).toObject());
    }
    return std::nullopt;
}

int Controle::lignes() const {
    return m_o.value(u"lignes"_s).toInt();
}
int Controle::colonnes() const {
    return m_o.value(u"colonnes"_s).toInt();
}
QString Controle::cellule(int ligne, int colonne) const {
    return m_o.value(u"cellules"_s).toArray().at(ligne).toArray().at(colonne).toString();
}
QStringList Controle::entetes() const {
    QStringList textes;
    for (const QJsonValue v : m_o.value(u"entetes"_s).toArray())
        textes << v.toString();
    return textes;
}

// --- Fenetre --------------------------------------------------------------

QString Fenetre::titre() const {
    return m_o.value(u"titre"_s).toString();
}
bool Fenetre::active() const {
    return m_o.value(u"active"_s).toBool();
}
bool Fenetre::modale() const {
    return m_o.value(u"modale"_s).toBool();
}
QString Fenetre::wid() const {
    return m_o.value(u"wid"_s).toString();
}

QList<Controle> Fenetre::controles() const {
    QList<Controle> liste;
    for (const QJsonValue v : m_o.value(u"widgets"_s).toArray())
        liste << Controle(v.toObject());
    return liste;
}

Controle Fenetre::controle(const QString& nom) const {
    for (const Controle& c : controles()) {
        if (c.nom() == nom || (!nom.isEmpty() && c.json().value(u"titre"_s).toString() == nom))
            return c;
    }
    return {};
}

Controle Fenetre::de_classe(const QString& classe, int rang) const {
    for (const Controle& c : controles()) {
        if (c.classe() == classe && rang-- == 0)
            return c;
    }
    return {};
}

Controle Fenetre::bouton(const QString& texte) const {
    for (const Controle& c : controles()) {
        if (c.classe().contains(u"Button"_s) && c.texte().trimmed() == texte.trimmed())
            return c;
    }
    return {};
}

QString Fenetre::textes() const {
    QStringList t{titre()};
    for (const Controle& c : controles()) {
        if (c.json().contains(u"titre"_s))
            t << c.json().value(u"titre"_s).toString();
        if (!c.texte_brut().isEmpty())
            t << c.texte_brut();
        t << c.elements();
    }
    return t.join(u'\n');
}

// --- Arbre ----------------------------------------------------------------

QList<Fenetre> Arbre::fenetres() const {
    QList<Fenetre> liste;
    for (const QJsonValue v : m_o.value(u"fenetres"_s).toArray())
        liste << Fenetre(v.toObject());
    return liste;
}

Fenetre Arbre::fenetre(const QString& nom_ou_titre) const {
    for (const Fenetre& f : fenetres()) {
        if (f.nom() == nom_ou_titre || f.titre().trimmed() == nom_ou_titre.trimmed())
            return f;
    }
    return {};
}

Fenetre Arbre::de_classe(const QString& classe) const {
    for (const Fenetre& f : fenetres()) {
        if (f.classe() == classe)
            return f;
    }
    return {};
}

Controle Arbre::controle(const QString& nom) const {
    for (const Fenetre& f : fenetres()) {
        Controle c = f.controle(nom);
        if (c.existe())
            return c;
    }
    return {};
}

QString Arbre::active() const {
    return m_o.value(u"active"_s).toString();
}
QString Arbre::modale() const {
    return m_o.value(u"modale"_s).toString();
}
QString Arbre::focus() const {
    return m_o.value(u"focus"_s).toString();
}
qint64 Arbre::pid() const {
    return m_o.value(u"pid"_s).toInteger();
}

QString Arbre::textes() const {
    QStringList t;
    for (const Fenetre& f : fenetres())
        t << f.textes();
    return t.join(u'\n');
}

} // namespace e2e
