// Aide contextuelle de la fenêtre Info_Fichiers : chaque contrôle écrit son
// explication dans la ligne d'aide de la fenêtre principale.
#include "manager/commands/info_fichiers.h"
#include "manager/common/aide_contextuelle.h"

using namespace Qt::StringLiterals;

void Info_Fichiers::brancher_aide() {
    setObjectName(u"Info_Fichiers"_s);
    const std::pair<QWidget*, QString> noms[] = {
        {Taille, u"Taille"_s},
        {Date_fichier, u"Date_fichier"_s},
        {Heure, u"Heure"_s},
        {Caché, u"Caché"_s},
        {Système, u"Système"_s},
        {Lecture, u"Lecture"_s},
        {Modifié, u"Modifié"_s},
        {Précédent, u"Précédent"_s},
        {Suivant, u"Suivant"_s},
        {Fin, u"Fin"_s},
        {Label_taille, u"Label_taille"_s},
        {Label_octets, u"Label_octets"_s},
        {Label_date, u"Label_date"_s},
        {Label_heure, u"Label_heure"_s},
        {Label_attribut, u"Label_attribut"_s},
        {Label_caché, u"Label_caché"_s},
        {Label_système, u"Label_système"_s},
        {Label_lecture, u"Label_lecture"_s},
        {Label_archive, u"Label_archive"_s},
    };
    for (const auto& [w, nom] : noms)
        w->setObjectName(nom);

    const QString non_modifiable = u" Ce champ ne peut pas être modifié."_s;
    aide::attacher(Taille,
                   u"  Ce champ indique la longueur du fichier en octets."_s + non_modifiable);
    aide::attacher(Date_fichier, u"  Ce champ indique la date (jour/mois/année) de la dernière "
                                 "modification ou du dernier enregistrement du fichier."_s +
                                     non_modifiable);
    aide::attacher(Heure, u"  Ce champ indique l'heure de la dernière modification ou du dernier "
                          "enregistrement du fichier."_s +
                              non_modifiable);
    const QString enregistre = u" La modification est proposée à l'enregistrement au passage à un "
                               "autre fichier ou à la fin de la commande."_s;
    aide::attacher(Caché, u"  Cette case modifie l'attribut caché du fichier : un fichier caché "
                          "n'apparaît pas dans les listes de fichiers tant que l'affichage des "
                          "fichiers cachés n'est pas demandé dans les options."_s +
                              enregistre);
    aide::attacher(Système, u"  Cette case modifie l'attribut système du fichier, qui marque les "
                            "fichiers du système d'exploitation ; ces fichiers sont cachés comme "
                            "les fichiers cachés."_s +
                                enregistre);
    aide::attacher(Lecture, u"  Cette case modifie l'attribut lecture seule du fichier : un "
                            "fichier en lecture seule ne peut être ni modifié ni effacé."_s +
                                enregistre);
    aide::attacher(Modifié, u"  Cette case modifie l'attribut archive du fichier, posé à chaque "
                            "modification du fichier et retiré par les programmes de "
                            "sauvegarde."_s +
                                enregistre);
    const QString si_modifies = u" Si des attributs ont été modifiés, leur enregistrement est "
                                "d'abord proposé."_s;
    aide::attacher(Précédent, u"  Ce bouton affiche les informations du fichier sélectionné "
                              "précédent ; après le premier fichier, il revient au dernier."_s +
                                  si_modifies);
    aide::attacher(Suivant, u"  Ce bouton affiche les informations du fichier sélectionné "
                            "suivant ; après le dernier fichier, il revient au premier."_s +
                                si_modifies);
    aide::attacher(Fin, u"  Ce bouton termine la commande INFOS et ferme cette fenêtre."_s +
                            si_modifies);
    // Étiquettes et fond : la ligne d'aide se vide.
    aide::vider_au_survol(this);
    aide::installer_f1(this);
}
