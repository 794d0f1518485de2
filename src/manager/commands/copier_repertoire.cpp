// Copie et déplacement d'un répertoire entier vers la DESTINATION, et des
// fichiers déposés depuis un autre programme.
#include "manager/commands/arbre_copie.h"
#include "manager/common/etat_commande.h"
#include "manager/common/rapport_erreur.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using plateforme::dialogues;

namespace {

const QString CR = QString(QChar(13));

void refuser(const QString& texte, const QString& titre) {
    dialogues().bip();
    dialogues().message(texte, plateforme::MB_OK + plateforme::MB_EXCLAMATION, titre);
}

QByteArray parent_hote(const QByteArray& chemin) {
    const qsizetype barre = chemin.lastIndexOf('/');
    return barre <= 0 ? QByteArray("/") : chemin.left(barre);
}

bool etat_de(const QByteArray& chemin, struct stat& etat) {
    return ::stat(chemin.constData(), &etat) == 0;
}

// Le même répertoire sous deux noms (casse, lien).
bool meme_objet(const QByteArray& a, const QByteArray& b) {
    struct stat x {};
    struct stat y {};
    return etat_de(a, x) && etat_de(b, y) && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

bool meme_systeme(const QByteArray& a, const QByteArray& b) {
    struct stat x {};
    struct stat y {};
    return etat_de(a, x) && etat_de(b, y) && x.st_dev == y.st_dev;
}

// Nom d'un élément de l'arbre tel que les messages le montrent.
QString nom_montre(const QString& racine, const QByteArray& relatif) {
    if (relatif.isEmpty())
        return racine;
    return racine + u'\\' + QFile::decodeName(relatif).replace(u'/', u'\\');
}

} // namespace

void Gestion_Fichiers::Copier_repertoire(const QString& chemin) {
    const QString curseur = Répertoire_srce->cheminSousCurseur();
    transferer_repertoire(!chemin.isEmpty()   ? chemin
                          : curseur.isEmpty() ? Répertoire_srce->path()
                                              : curseur,
                          false);
}

void Gestion_Fichiers::Deplacer_repertoire(const QString& chemin) {
    const QString curseur = Répertoire_srce->cheminSousCurseur();
    transferer_repertoire(!chemin.isEmpty()   ? chemin
                          : curseur.isEmpty() ? Répertoire_srce->path()
                                              : curseur,
                          true);
}

void Gestion_Fichiers::transferer_repertoire(const QString& chemin, bool deplacement) {
    if (!Debut_commande())
        return;
    EtatCommande& etat = etat_commande();
    etat.commande_courante = deplacement ? u"DEPLACER"_s : u"COPIER"_s;
    etat.réponse_de_commande = plateforme::REP_OUI;
    const QString nom = plateforme::dernier_composant(chemin);
    const QString destination = plateforme::joindre(Répertoire_dest->path(), nom);
    etat.fichier_courant = nom;
    etat.chemin_source = chemin;
    etat.chemin_destination = destination;
    etat.répertoire_source = chemin;
    copie::Fin fin = copie::Fin::Abandonnee;
    QByteArray source;
    QByteArray cible;
    if (chemin.size() <= 3 || nom.isEmpty()) {
        refuser(u"La racine d'une unité ne peut être copiée ni déplacée :"_s + CR +
                    u"choisissez un répertoire dans la liste."_s,
                etat.commande_courante);
    } else if (etape_dossier([&] {
                   source = QFile::encodeName(plateforme::dos_vers_hote(chemin));
                   cible = QFile::encodeName(plateforme::dos_vers_hote(destination));
               }) &&
               transfert_admis(chemin, source, cible, deplacement)) {
        fin = transferer_element(source, cible, nom, deplacement, Répertoire_dest->path(), true);
    }
    if (deplacement && fin == copie::Fin::Incomplete) {
        dialogues().bip();
        dialogues().message(
            u"Le répertoire "_s + nom + u" n'a pas été déplacé en entier :"_s + CR +
                u"ce qui n'a pas été copié est resté dans le répertoire 'SOURCE'."_s,
            plateforme::MB_OK + plateforme::MB_INFORMATION, etat.commande_courante);
    }
    // Un répertoire parti laisse la liste SOURCE à son parent.
    const bool parti = deplacement && fin == copie::Fin::Complete;
    repertoires_changes(parti ? chemin : QString(), plateforme::repertoire_parent(chemin));
    rafraichir_apres_copie();
    Rafraichir_affichage();
}

bool Gestion_Fichiers::transfert_admis(const QString& chemin, const QByteArray& source,
                                       const QByteArray& cible, bool deplacement) {
    const QString commande = etat_commande().commande_courante;
    const QString verbe = deplacement ? u"déplacer"_s : u"copier"_s;
    // Un lien part comme lien : ce qu'il désigne ne compte pas.
    struct stat etat {};
    const bool lien = ::lstat(source.constData(), &etat) == 0 && S_ISLNK(etat.st_mode);
    if (!lien && copie::dans_lui_meme(source, parent_hote(cible))) {
        refuser(u"Le répertoire 'DESTINATION' est dans le répertoire "_s +
                    plateforme::chemin_montre(chemin) + u" ;"_s + CR + u"il est interdit de "_s +
                    verbe + u" un répertoire dans lui-même."_s,
                commande);
        return false;
    }
    if (lien ? parent_hote(source) == parent_hote(cible) : meme_objet(source, cible)) {
        refuser(u"Le répertoire 'DESTINATION' contient déjà ce répertoire ;"_s + CR +
                    u"il est interdit de "_s + verbe + u" un répertoire sur lui-même."_s,
                commande);
        return false;
    }
    return true;
}

copie::Fin Gestion_Fichiers::transferer_element(const QByteArray& source, const QByteArray& cible,
                                                const QString& montre, bool deplacement,
                                                const QString& repertoire, bool verifier_place) {
    EtatCommande& etat = etat_commande();
    QList<copie::Element> elements;
    if (!etape_dossier([&] { elements = copie::inventorier(source); }))
        return copie::Fin::Abandonnee;
    // Comme pour Créer et Supprimer : la commande sur un répertoire se confirme.
    if (verifier_place && reglages().confirme && !confirmer_repertoire(u"le répertoire "_s, 2650))
        return copie::Fin::Abandonnee;
    for (const copie::Element& e : elements) {
        if (e.genre != copie::Element::Special)
            continue;
        dialogues().bip();
        const QString texte =
            e.relatif.isEmpty()
                ? montre + u" est un fichier spécial (tube, périphérique ou prise) :"_s
                : u"Le répertoire "_s + montre +
                      u" contient un fichier spécial (tube, périphérique ou prise) :"_s + CR +
                      nom_montre(montre, e.relatif);
        dialogues().message(texte + CR + u"il ne peut être ni copié ni déplacé."_s,
                            plateforme::MB_OK + plateforme::MB_STOP, etat.commande_courante);
        return copie::Fin::Abandonnee;
    }
    // Un déplacement dans le même système de fichiers ne prend pas de place.
    const bool renommage = deplacement && meme_systeme(source, parent_hote(cible));
    if (verifier_place && !renommage) {
        const qint64 garde = taille_sélectionnée;
        taille_sélectionnée = copie::total_octets(elements);
        const bool place = Verifier_place_destination();
        taille_sélectionnée = garde;
        if (!place)
            return copie::Fin::Abandonnee;
    }
    Arret->show();
    QCoreApplication::processEvents();
    copie::RappelsArbre rappels;
    rappels.copie = rappels_de_copie();
    rappels.element = [&](const copie::Element& e) {
        etat.fichier_courant = nom_montre(montre, e.relatif);
        etat.chemin_source =
            QFile::decodeName(source + (e.relatif.isEmpty() ? "" : "/") + e.relatif);
        if (e.genre == copie::Element::Fichier)
            Afficher_en_cours();
    };
    rappels.remplacer = [&](const copie::Element&) {
        Confirmer_remplacement(false, repertoire);
        return etat.réponse_de_commande;
    };
    rappels.etape = [this](const std::function<void()>& etape) { return etape_dossier(etape); };
    return deplacement ? copie::deplacer_arbre(source, cible, elements, rappels)
                       : copie::copier_arbre(source, cible, elements, rappels);
}

bool Gestion_Fichiers::etape_dossier(const std::function<void()>& etape) {
    return plateforme::executer_avec_reprise(etape, [this](const plateforme::ErreurExecution& e) {
        EtatCommande& etat = etat_commande();
        if (e.numero() == plateforme::ERR_FICHIER_EXISTE) {
            refuser(u"Le nom "_s + etat.fichier_courant + CR +
                        u"est déjà pris dans le répertoire d'arrivée par un élément d'une autre "
                        u"sorte (fichier ou répertoire) :"_s +
                        CR + u"opération abandonnée."_s,
                    etat.commande_courante);
            return int(plateforme::REP_ANNULER);
        }
        etat.réponse_de_commande = 0;
        Rapport_erreur(Unité_dest->drive().left(2).toUpper(), e);
        return etat.réponse_de_commande;
    });
}

void Gestion_Fichiers::Deposer_fichiers(const QList<QByteArray>& chemins_hote, bool dans_source) {
    if (chemins_hote.isEmpty() || !Debut_commande())
        return;
    EtatCommande& etat = etat_commande();
    etat.commande_courante = u"COPIER"_s;
    etat.réponse_de_commande = plateforme::REP_OUI;
    const QString repertoire = (dans_source ? Répertoire_srce : Répertoire_dest)->path();
    QByteArray arrivee;
    bool suite =
        etape_dossier([&] { arrivee = QFile::encodeName(plateforme::dos_vers_hote(repertoire)); });
    for (QByteArray source : chemins_hote) {
        if (!suite)
            break;
        while (source.size() > 1 && source.endsWith('/'))
            source.chop(1);
        const QByteArray nom = source.mid(source.lastIndexOf('/') + 1);
        const QString montre = QFile::decodeName(nom);
        etat.fichier_courant = montre;
        etat.chemin_source = QFile::decodeName(source);
        QByteArray cible = arrivee + '/' + nom;
        // Le nom qu'un chemin DOS désigne : une différence de casse est le même fichier.
        if (plateforme::nom_exprimable(nom) && !etape_dossier([&] {
                cible = QFile::encodeName(
                    plateforme::dos_vers_hote(plateforme::joindre(repertoire, montre)));
            }))
            break;
        etat.chemin_destination = plateforme::joindre(repertoire, montre);
        if (copie::dans_lui_meme(source, arrivee)) {
            refuser(u"Le répertoire "_s + plateforme::chemin_montre(repertoire) +
                        u" est dans le répertoire "_s + montre + u" ;"_s + CR +
                        u"il est interdit de copier un répertoire dans lui-même."_s,
                    etat.commande_courante);
            break;
        }
        // Déposé là d'où il vient : il y est déjà.
        if (meme_objet(source, cible))
            continue;
        suite = transferer_element(source, cible, montre, false, repertoire, false) !=
                copie::Fin::Abandonnee;
        Fichier_dest->rafraichir();
    }
    repertoires_changes(QString(), QString());
    rafraichir_apres_copie();
    try {
        Fichier_srce->rafraichir();
    } catch (const plateforme::ErreurExecution&) {
        // répertoire disparu : Rafraichir_affichage s'en charge
    }
    Rafraichir_affichage();
}
