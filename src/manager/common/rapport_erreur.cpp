#include "manager/common/rapport_erreur.h"
#include "manager/common/curseur.h"
#include "manager/common/etat_commande.h"
#include "manager/configuration/reglages.h"
#include "platform/dialogues.h"
#include "platform/fichiers.h"

using namespace Qt::StringLiterals;
using plateforme::ErreurExecution;

namespace {

const QChar CR = QChar(13);

// Boîtes d'origine : 16 arrêt, 48 exclamation, 49 OK/Annuler, 53 Réessayer/Annuler.
constexpr int BOITE_STOP = 16;
constexpr int BOITE_EXCLAMATION = 48;
constexpr int BOITE_OK_ANNULER = 49;
constexpr int BOITE_REESSAYER = 53;

struct Message {
    Message(QString t, int b, bool garde = false, QString ti = {})
        : texte(std::move(t)), boite(b), garde_reponse(garde), titre(std::move(ti)) {}
    QString texte;
    int boite;
    bool garde_reponse;
    QString titre; // vide : le nom de la commande en cours
};

QString disquette_protegee() {
    return u"Disquette protégée en écriture"_s + CR + u"ou fichier verrouillé."_s;
}

// Disque plein : la copie partielle ne doit pas rester. Seul le fichier que
// la commande écrit réellement est supprimé, jamais un fichier de l'usager.
void supprimer_copie_partielle() {
    EtatCommande& etat = etat_commande();
    if (!etat.fichier_destination)
        return;
    etat.fichier_destination.reset();
    try {
        plateforme::supprimer_fichier(etat.chemin_destination);
    } catch (const ErreurExecution&) {
        // Déjà absente ou inaccessible : rien de plus à faire.
    }
}

Message message_introuvable(bool disquette) {
    if (disquette)
        return {disquette_protegee(), BOITE_REESSAYER, true};
    return {u"Un nom de fichier comporte un caractère invalide ou bien le fichier "_s +
                etat_commande().fichier_courant +
                u" est introuvable ou les attributs 'Système/Caché' sont présents."_s,
            BOITE_EXCLAMATION};
}

Message message_plein(const QString& objet, bool disquette) {
    supprimer_copie_partielle();
    if (disquette)
        return {u"Disquette dans "_s + objet + u" pleine :"_s + CR +
                    u"insérez la disquette suivante."_s,
                BOITE_OK_ANNULER, true};
    return {u"Disque "_s + objet + u" plein :"_s + CR + u"opération abandonnée."_s, BOITE_STOP};
}

Message message_acces() {
    const QString nom = etat_commande().fichier_courant;
    if (nom.isEmpty())
        return {u"Un ou plusieurs fichiers cachés et protégés contre l'effacement existent dans "
                "ce répertoire et appartiennent peut-être à la corbeille :"_s +
                    CR + u"récupérez ceux-ci et relancez l'opération."_s,
                BOITE_STOP};
    return {u"Le fichier "_s + nom + CR + u"est protégé contre l'écriture :"_s + CR +
                u"modifiez son attribut et relancez l'opération."_s,
            BOITE_STOP};
}

Message message_chemin() {
    if (etat_commande().commande_courante == u"RENOMMER"_s)
        return {disquette_protegee(), BOITE_REESSAYER, true};
    return {u"Chemin d'accès introuvable"_s + CR + u"ou support absent."_s, BOITE_REESSAYER, true};
}

Message message_pour(const QString& objet, const ErreurExecution& erreur) {
    const QString unite = objet.left(2).toUpper();
    const bool disquette = unite == u"A:"_s || unite == u"B:"_s;
    switch (erreur.numero()) {
    case 5:
        return {u"Fichier non exécutable :"_s + CR +
                    u"seuls les programmes avec les extensions COM, EXE, BAT ou PIF sont "
                    "exécutables."_s,
                BOITE_EXCLAMATION};
    case 53:
        return message_introuvable(disquette);
    case 61:
        return message_plein(objet, disquette);
    case 64:
        return {u"Nom incorrect."_s, BOITE_EXCLAMATION};
    case 68:
    case 71:
        return {u"Support absent ou erreur d'accès sur "_s + objet, BOITE_REESSAYER, true};
    case 70:
        return {disquette_protegee(), BOITE_REESSAYER, true};
    case 75:
        return message_acces();
    case 76:
        return message_chemin();
    case 380:
        return {u"Caractère de sélection invalide."_s, BOITE_EXCLAMATION};
    case plateforme::ERR_LANCEMENT_IMPOSSIBLE:
        return {erreur.description(), BOITE_EXCLAMATION};
    default:
        return {texte_rapport_general(erreur), BOITE_STOP, false, u"Erreur détectée par KALDRON"_s};
    }
}

} // namespace

QString texte_rapport_general(const ErreurExecution& erreur) {
    EtatCommande& etat = etat_commande();
    const Reglages& r = reglages();
    etat.préfixe_rapport = u"Veuillez noter et transmettre à l'auteur. Merci"_s + CR + CR;
    return etat.préfixe_rapport + erreur.description() + u" (code = "_s +
           QString::number(erreur.numero()) + u")"_s + CR + u"Commande: "_s +
           etat.commande_courante + (etat.mode_répertoire ? u" (répertoire)"_s : u" (fichier)"_s) +
           CR + u"Source: "_s + etat.chemin_source + CR + u"Destination: "_s +
           etat.chemin_destination + CR + u"Editeur: "_s + r.éditeur + CR + u"Visualiseur: "_s +
           r.visualiseur;
}

void Rapport_erreur(const QString& objet, const ErreurExecution& erreur) {
    curseur_normal();
    plateforme::dialogues().bip();
    const Message m = message_pour(objet, erreur);
    EtatCommande& etat = etat_commande();
    const QString titre = m.titre.isEmpty() ? etat.commande_courante : m.titre;
    const int reponse = plateforme::dialogues().message(m.texte, m.boite, titre);
    if (!m.garde_reponse)
        return;
    // Disquette pleine : OK veut dire « recommencer sur la suivante ».
    etat.réponse_de_commande = (erreur.numero() == 61 && reponse == 1) ? 4 : reponse;
}

void Rapport_erreur_non_traitee(const ErreurExecution& erreur, bool imbriquee) {
    curseur_normal();
    plateforme::dialogues().bip();
    plateforme::dialogues().message(texte_rapport_general(erreur), BOITE_STOP,
                                    u"Erreur détectée par KALDRON"_s);
    if (imbriquee)
        return;
    EtatCommande& etat = etat_commande();
    etat.fermer_fichiers();
    etat.commande_en_cours = false;
    etat.demande_d_arrêt = false;
}
