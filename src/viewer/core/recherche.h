#pragma once
// Cœur de la recherche de texte des fenêtres de texte modifiable.
#include <QString>

namespace morvine {

// État partagé par tout le programme.
struct EtatRecherche {
    QString chaine;                  // dernière chaîne confirmée dans le dialogue
    int direction = 1;               // 1 en avant, 0 en arrière
    bool premiere_recherche = false; // le texte du dialogue a changé depuis
    qsizetype derniere_position = 0; // début de sélection laissé par la dernière
};

// Cherche etat.chaine dans 'texte' depuis le début de sélection ; rend la
// position (depuis 0) de l'occurrence trouvée, à sélectionner sur la longueur
// de la chaîne, ou -1. Met à jour derniere_position et premiere_recherche.
qsizetype chercher_texte(EtatRecherche& etat, const QString& texte, qsizetype debut_selection,
                         bool maj_egal_min);

// Message de la chaîne introuvable (en minuscules si « Maj. = Min. »).
QString message_non_trouve(const QString& chaine, bool maj_egal_min);

} // namespace morvine
