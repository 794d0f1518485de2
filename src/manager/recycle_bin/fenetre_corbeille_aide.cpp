// Aide contextuelle de la fenêtre Corbeille : textes des contrôles, F1 et
// bulle Tip de la liste des fichiers effacés.
#include "manager/common/aide_contextuelle.h"
#include "manager/recycle_bin/fenetre_corbeille.h"

using namespace Qt::StringLiterals;

void Corbeille::brancher_aide() {
    setObjectName(u"Corbeille"_s);
    const std::pair<QWidget*, QString> noms[] = {
        {Fichier_effacé, u"Fichier_effacé"_s},
        {Récupérer, u"Récupérer"_s},
        {Fin, u"Fin"_s},
        {Taille, u"Taille"_s},
        {Temps, u"Temps"_s},
    };
    for (const auto& [w, nom] : noms)
        w->setObjectName(nom);

    aide::attacher(Fichier_effacé,
                   u"  Cette liste montre les fichiers effacés que la corbeille conserve, avec le "
                   "répertoire d'où ils viennent, du plus ancien au plus récent. Cliquez sur les "
                   "fichiers à récupérer puis sur le bouton 'Récupérer' ; un double-clic récupère "
                   "aussitôt la sélection."_s);
    aide::attacher(Récupérer,
                   u"  Ce bouton remet les fichiers sélectionnés dans leur répertoire d'origine, "
                   "sans les attributs caché et lecture seule. Si un fichier du même nom y existe "
                   "déjà, un nom de remplacement est demandé ; sans réponse, le fichier reste dans "
                   "la corbeille."_s);
    aide::attacher(Fin, u"  Ce bouton enregistre la taille ou le temps de conservation saisi, "
                        "purge la corbeille en conséquence et ferme la fenêtre. Si les deux champs "
                        "sont vides, la suppression de toute la corbeille est demandée."_s);
    aide::attacher(Taille, u"  Ce champ permet de saisir la taille maximale de la corbeille en "
                           "kilo-octets (de 1 à 9999) : les fichiers les plus anciens sont "
                           "définitivement effacés au-delà. Saisir une taille vide le temps de "
                           "conservation."_s);
    aide::attacher(Temps, u"  Ce champ permet de saisir le nombre de jours (de 1 à 999) pendant "
                          "lesquels les fichiers effacés sont conservés. Saisir un temps vide la "
                          "taille de la corbeille."_s);
    aide::vider_au_survol(this);
    aide::installer_f1(this);
    aide::tip_sur_liste(Fichier_effacé);
}
