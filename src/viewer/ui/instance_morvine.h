#pragma once
// Une seule copie du visualiseur par utilisateur : une seconde copie passe
// ses noms de fichiers, entiers, à la première et s'arrête.
#include <QStringList>

class Editeur;

namespace plateforme {
class InstanceUnique;
}

namespace morvine {

enum class Demarrage { Premiere, Transmis, Echec };

// Première copie : elle écoute les suivantes. Sinon les noms (rendus
// absolus ici, car la première copie n'a pas notre répertoire de travail)
// sont transmis. Echec si la première copie n'a pas répondu dans le délai
// ou si le verrou n'a pu être pris : l'usager l'a appris par une boîte de
// message (lancés par KALDRON, nous n'avons pas de console à lui montrer).
Demarrage demarrer_instance(plateforme::InstanceUnique& instance, const QStringList& noms,
                            int delai_ms = 3000);
// Les noms reçus par la première copie s'ouvrent dans son cadre.
void brancher_instance(plateforme::InstanceUnique& instance, Editeur& editeur);

} // namespace morvine
