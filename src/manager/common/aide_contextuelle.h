#pragma once
// Aide contextuelle commune à toutes les fenêtres de KALDRON : la fenêtre
// principale branche sa ligne d'aide (Fenêtre) et sa bascule F1 ; chaque
// fenêtre attache ses textes à ses contrôles, qui les écrivent dans la ligne
// d'aide tant que le mode d'aide est actif.
#include <QString>
#include <functional>

class QAbstractItemView;
class QWidget;

namespace aide {

enum class Declencheur { Survol, Focus, Clic };

// Ce que la fenêtre principale fournit ; un champ vide ne fait rien.
struct Branchement {
    std::function<bool()> mode_actif;             // mode d'aide contextuelle en cours
    std::function<void(const QString&)> afficher; // texte dans la ligne d'aide
    // F1 dans une fenêtre, avec le contrôle qui a le focus (bascule, et page
    // d'aide quand "Aide en ligne" est à Oui).
    std::function<void(QWidget*)> touche_f1;
};
void brancher(Branchement b);
void debrancher();

// Le texte du contrôle va dans la ligne d'aide au survol (ou au focus, ou au
// clic) pendant le mode d'aide ; le contrôle reçoit aussi ce texte comme
// propriété "texte_aide" (lue par les essais et les pages d'aide).
void attacher(QWidget* controle, const QString& texte, Declencheur quand = Declencheur::Survol);
// Survol du fond de la fenêtre ou de contrôles sans aide : ligne vidée.
void vider_au_survol(QWidget* controle);
// F1 dans cette fenêtre (et ses enfants) appelle touche_f1.
void installer_f1(QWidget* fenetre);

bool mode_actif();
void afficher(const QString& texte);
// Texte montré quand une fenêtre secondaire se ferme en mode d'aide.
QString texte_de_repos();
// Une fenêtre secondaire se ferme : la ligne d'aide reprend son texte de repos.
void fenetre_fermee();
// Texte attaché à un contrôle (vide sinon).
QString texte_de(const QWidget* controle);

// Bulle Tip d'une liste : l'entrée sous la souris, plus large que la liste,
// est montrée en entier dans une zone de texte flottante ; un défilement,
// la sortie de la liste ou le survol du fond la cachent.
void tip_sur_liste(QAbstractItemView* liste);

} // namespace aide
