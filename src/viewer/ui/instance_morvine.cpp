#include "viewer/ui/instance_morvine.h"

#include "platform/instance.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/ligne_commande.h"

namespace morvine {

Demarrage demarrer_instance(plateforme::InstanceUnique& instance, const QStringList& noms) {
    if (instance.acquerir())
        return Demarrage::Premiere;
    QStringList absolus;
    for (const QString& nom : noms)
        absolus << nom_document(nom);
    return instance.envoyer(absolus) ? Demarrage::Transmis : Demarrage::Echec;
}

void brancher_instance(plateforme::InstanceUnique& instance, Editeur& editeur) {
    QObject::connect(&instance, &plateforme::InstanceUnique::argumentsRecus, &editeur,
                     [&editeur](const QStringList& noms) { editeur.recevoir_fichiers(noms); });
}

} // namespace morvine
