#pragma once
// Pages d'aide HTML de KALDRON et leur visionneuse (option "Aide en ligne"
// à Oui) : une page par fenêtre, une ancre par contrôle (son objectName).
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>

class QPushButton;
class QTextBrowser;

namespace aide {

// Répertoires où chercher les pages, dans l'ordre : installé
// (<exécutable>/../share/kaldron/aide), puis l'arbre source.
QStringList repertoires_candidats();
// Premier candidat qui contient le sommaire ; vide si aucun.
QString repertoire_pages();
// Page d'une fenêtre d'après son objectName ("Gestion_Fichiers" ->
// "principale.html") ; le sommaire pour une fenêtre inconnue.
QString page_de_fenetre(const QString& nom_fenetre);
// Ancre d'un contrôle : le nom du premier contrôle nommé en remontant vers
// sa fenêtre (le champ d'une liste modifiable donne le nom de la liste).
QString ancre_de(const QWidget* controle);

class Visionneuse_aide : public QWidget {
public:
    explicit Visionneuse_aide(QWidget* parent = nullptr);
    // Ouvre 'page' (nom de fichier) sur 'ancre' (vide : haut de la page).
    void ouvrir(const QString& page, const QString& ancre);
    QUrl source() const;

    QTextBrowser* Texte;
    QPushButton *Sommaire, *Précédent, *Suivant, *Fermer;
};

// Visionneuse unique de la session, créée au premier appel.
Visionneuse_aide* visionneuse();
// Ouvre la page de la fenêtre du contrôle sur l'ancre du contrôle.
void ouvrir_aide_sur(const QWidget* controle);

} // namespace aide
