#pragma once
// Table des documents ouverts (Documents) et de leur état (Etat_document),
// indicées à partir de 1 ; une case libérée est marquée et resservira.
#include "platform/encodage.h"

#include <QPointer>
#include <QString>
#include <vector>

class Fenêtre;

namespace morvine {

enum TypeImage : int { PAS_IMAGE = 0, IMAGE_ICONE = 1, IMAGE_AUTRE = 2 };

struct EtatDocument {
    QString chemin;    // nom tel que donné, en capitales (légende de la fenêtre)
    QString titre;     // après le dernier "\"
    QString extension; // après le dernier ".", tel que tapé
    int image = PAS_IMAGE;
    bool texte_editable = false;
    bool supprime = false;
    bool modifie = false;
    QString fichier_vidage; // chemin de l'hôte du fichier de vidage, ou vide
    // Encodage du fichier lu, gardé à l'enregistrement ; un nouveau texte
    // s'écrit en UTF-8.
    plateforme::Encodage encodage = plateforme::Encodage::Utf8;
};

class TablesDocuments {
public:
    // La case 0 ne sert pas : les indices de document partent de 1.
    std::vector<QPointer<Fenêtre>> Documents{nullptr};
    std::vector<EtatDocument> Etat_document{EtatDocument{}};

    int borne() const { return int(Etat_document.size()) - 1; }
    // Première case libre (qui cesse de l'être) ; sinon une case de plus.
    int Trouver_indice_libre();
    // Vrai si une case de 1 à la borne n'est pas libre.
    bool Reste_des_documents() const;
    // Ramène les tables à la seule case 1, libre.
    void reinitialiser();
};

} // namespace morvine
