#include "viewer/ui/instance_morvine.h"

#include "platform/dialogues.h"
#include "platform/instance.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/ligne_commande.h"

using namespace Qt::StringLiterals;

namespace morvine {

namespace {

constexpr qsizetype NOMS_MONTRES = 10; // la boîte reste à la taille de l'écran

void signaler(const QString& texte, int icone) {
    plateforme::dialogues().bip();
    plateforme::dialogues().message(texte, plateforme::MB_OK + icone, u"Visualiseur"_s);
}

// Les noms perdus sont dits : l'usager sait quoi rouvrir.
QString copie_muette(const QStringList& noms) {
    const QString cr(QChar(13));
    QString texte = u"Le visualiseur déjà ouvert ne répond pas."_s;
    if (!noms.isEmpty()) {
        texte += cr + u"Ces fichiers n'ont pas pu lui être passés :"_s;
        for (const QString& nom : noms.mid(0, NOMS_MONTRES))
            texte += cr + nom;
        if (noms.size() > NOMS_MONTRES)
            texte += cr + u"(et %1 autres)"_s.arg(noms.size() - NOMS_MONTRES);
    }
    return texte + cr + u"Fermez-le, ou arrêtez-le s'il ne se ferme pas, puis recommencez."_s;
}

} // namespace

Demarrage demarrer_instance(plateforme::InstanceUnique& instance, const QStringList& noms,
                            int delai_ms) {
    switch (instance.acquerir()) {
    case plateforme::InstanceUnique::Acquisition::Premiere:
        return Demarrage::Premiere;
    case plateforme::InstanceUnique::Acquisition::Impossible:
        signaler(u"Le visualiseur ne peut pas démarrer."_s + QChar(13) + instance.erreur(),
                 plateforme::MB_STOP);
        return Demarrage::Echec;
    case plateforme::InstanceUnique::Acquisition::AutreCopie:
        break;
    }
    QStringList absolus;
    for (const QString& nom : noms)
        absolus << nom_document(nom);
    if (instance.envoyer(absolus, delai_ms))
        return Demarrage::Transmis;
    signaler(copie_muette(noms), plateforme::MB_EXCLAMATION);
    return Demarrage::Echec;
}

void brancher_instance(plateforme::InstanceUnique& instance, Editeur& editeur) {
    QObject::connect(&instance, &plateforme::InstanceUnique::argumentsRecus, &editeur,
                     [&editeur](const QStringList& noms) { editeur.recevoir_fichiers(noms); });
}

} // namespace morvine
