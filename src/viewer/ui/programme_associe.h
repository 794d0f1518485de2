#pragma once
// Commande du programme associé à un document et son lancement.
#include <QString>
#include <optional>

namespace morvine {

// Programme (texte d'origine : nom, chemin DOS ou de l'hôte, éventuels
// arguments, guillemets pour grouper) et fichier passé en dernier argument.
struct Commande {
    QString programme;
    QString fichier;
};

// Commande d'un document d'après son extension : le fichier lui-même pour
// exe/com/bat, sinon WIN.INI [Associations] (marque "^.ext" retirée), puis
// [Associations] de MORVINE.INI ; rien si aucune ne le connaît.
std::optional<Commande> commande_associee(const QString& extension, const QString& fichier,
                                          const QString& chemin_ini);
// Lance le programme détaché, sans shell ; faux s'il est introuvable ou ne
// démarre pas.
bool lancer_commande(const Commande& commande, QString* explication = nullptr);
// Forme retenue dans MORVINE.INI d'un programme choisi (chemin de l'hôte) :
// chemin DOS, entre guillemets s'il contient un blanc.
QString programme_pour_profil(const QString& programme_hote_choisi);

} // namespace morvine
