// Recherche dans le texte d'une fenêtre, avec la règle de la dernière
// position : un second « Ok » sans bouger repart un caractère plus loin.
#include "viewer/core/recherche.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace morvine {

namespace {

// Minuscules caractère par caractère : les positions restent les mêmes.
QString minuscules(const QString& texte) {
    QString resultat = texte;
    for (QChar& c : resultat)
        c = c.toLower();
    return resultat;
}

} // namespace

qsizetype chercher_texte(EtatRecherche& etat, const QString& texte, qsizetype debut_selection,
                         bool maj_egal_min) {
    debut_selection = std::clamp<qsizetype>(debut_selection, 0, texte.size());
    qsizetype decalage = debut_selection == etat.derniere_position ? 1 : 0;
    if (etat.premiere_recherche)
        decalage = 0;
    const QString chaine = maj_egal_min ? minuscules(etat.chaine) : etat.chaine;
    const QString dans = maj_egal_min ? minuscules(texte) : texte;
    qsizetype trouve = -1;
    if (chaine.isEmpty()) {
        trouve = -1;
    } else if (etat.direction == 1) {
        const qsizetype depart = debut_selection + decalage;
        trouve = depart <= dans.size() ? dans.indexOf(chaine, depart) : -1;
    } else if (debut_selection >= chaine.size()) {
        // En arrière : seulement une occurrence finie avant le curseur ; une
        // occurrence à cheval sur lui serait retrouvée à chaque « Ok ».
        trouve = dans.lastIndexOf(chaine, debut_selection - chaine.size());
    }
    etat.derniere_position = trouve >= 0 ? trouve : debut_selection;
    etat.premiere_recherche = false;
    return trouve;
}

QString message_non_trouve(const QString& chaine, bool maj_egal_min) {
    const QString montree = maj_egal_min ? minuscules(chaine) : chaine;
    return u"La chaîne \""_s + montree + u"\" n'a pas été trouvée."_s;
}

} // namespace morvine
