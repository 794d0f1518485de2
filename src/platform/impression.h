#pragma once
// Impression : l'imprimante par défaut, ou un fichier PDF quand il n'y en a
// pas ou que l'environnement l'impose.
//
// KALDRON_IMPRESSION_PDF (chemin de l'hôte) :
//  - un répertoire existant : chaque travail y écrit un nouveau fichier
//    travail-N.pdf (N, à partir de 1, est le premier numéro libre) ;
//  - tout autre chemin : ce fichier même, remplacé à chaque travail.
// Sans la variable et sans imprimante, un travail sans dialogue va dans un
// nouveau travail-N.pdf du répertoire des impressions de l'utilisateur.
#include <QString>
#include <memory>

class QPrinter;

namespace plateforme {

// Erreur d'imprimante (travail impossible à ouvrir, à poursuivre ou à finir).
constexpr int ERR_IMPRIMANTE = 482;

// Fichier PDF du prochain travail si l'environnement en impose un ; vide sinon.
QString pdf_impose();
bool imprimante_presente();
// Documents/Impressions de l'utilisateur.
QString repertoire_impressions();
// Nouveau fichier travail-N.pdf du répertoire (créé au besoin).
QString nouveau_pdf(const QString& repertoire);
void sortie_pdf(QPrinter& imprimante, const QString& fichier);
// Les tabulations vont au multiple de 8 colonnes suivant.
QString developper_tabulations(const QString& ligne);

// Travail d'impression ligne par ligne, en police à chasse fixe, marges de
// 15 mm au moins : une page nouvelle quand la page est pleine. Le travail ne
// commence qu'à la première ligne : un travail sans ligne n'imprime rien. Les
// échecs lèvent ErreurExecution ; un travail détruit sans terminer() est
// abandonné.
class TravailImpression {
public:
    // 'colonnes' : largeur de la plus longue ligne promise. La police fait
    // 10 points, réduite au besoin pour que cette ligne tienne dans la largeur
    // imprimable ; ce qui dépasserait encore le bord n'est pas imprimé.
    explicit TravailImpression(const QString& document, int colonnes = 80);
    ~TravailImpression();
    TravailImpression(const TravailImpression&) = delete;
    TravailImpression& operator=(const TravailImpression&) = delete;

    void imprimer_ligne(const QString& ligne);
    // Termine le travail : l'imprimante imprime la ou les pages.
    void terminer();
    int lignes() const;
    // Fichier PDF écrit faute d'imprimante (ni imprimante, ni variable) ;
    // vide sinon.
    QString pdf_de_repli() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace plateforme
