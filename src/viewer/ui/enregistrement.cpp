// Enregistrement : toujours par le dialogue « Enregistrer sous », prérempli
// du titre du document.
#include "platform/dialogues.h"
#include "platform/encodage.h"
#include "platform/erreurs.h"
#include "viewer/core/texte.h"
#include "viewer/core/types_fichier.h"
#include "viewer/ui/curseur.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/ligne_commande.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <cerrno>

using namespace Qt::StringLiterals;

namespace {

// Texte du système pour une écriture refusée, d'après l'état de la cible.
QString erreur_ecriture(const QString& hote) {
    const QFileInfo cible(hote);
    int code = EIO;
    if (hote.isEmpty() || !cible.dir().exists())
        code = ENOENT;
    else if (cible.isDir() || (cible.exists() && !cible.isWritable()) ||
             !QFileInfo(cible.absolutePath()).isWritable())
        code = EACCES;
    return plateforme::description_erreur(plateforme::numero_depuis_errno(code));
}

// Le texte finit-il déjà par une fin de ligne ?
bool finit_par_fin_de_ligne(const QString& texte) {
    return texte.endsWith(u'\n') || texte.endsWith(u'\r');
}

} // namespace

void Editeur::Enregistrer_fichier(const QString& /*nom*/, Fenêtre* f) {
    // Le nom reçu ne sert pas : le dialogue propose le titre du document.
    const QString nom = Demander_nom_enregistrement(f);
    if (!nom.isEmpty())
        Ecrire_fichier(nom, f);
}

QString Editeur::Demander_nom_enregistrement(Fenêtre* f) {
    if (!f)
        f = fenetre_active();
    if (!f)
        return {};
    const QString repertoire = repertoire_document(f);
    const QString titre = f->etat().titre;
    const QString propose =
        repertoire.isEmpty()
            ? titre
            : (repertoire.endsWith(u'\\') ? repertoire : repertoire + u'\\') + titre;
    const QString choisi = plateforme::dialogues().enregistrer_fichier({}, {}, propose);
    return choisi.isEmpty() ? QString() : morvine::nom_document(choisi);
}

bool Editeur::Ecrire_fichier(const QString& nom, Fenêtre* f) {
    if (!f)
        f = fenetre_active();
    if (!f)
        return false;
    morvine::CurseurSablier sablier;
    morvine::EtatDocument& e = f->etat();
    const QString hote = morvine::chemin_hote(nom);
    bool ecrit = false;
    if (e.image == morvine::PAS_IMAGE) {
        QString texte = f->texte();
        // Une seule fin de ligne à la fin, jamais deux.
        if (!texte.isEmpty() && !finit_par_fin_de_ligne(texte))
            texte += f->fin_ligne;
        plateforme::Encodage encodage = e.encodage;
        // Un caractère tapé que l'encodage du fichier ne sait pas écrire ne
        // devient pas « ? » sans que l'usager l'ait choisi.
        if (!plateforme::ecrivable(texte, encodage)) {
            const int reponse = plateforme::dialogues().message(
                u"Ce texte contient des caractères que l'encodage du fichier (Windows-1252) "
                u"ne sait pas écrire : ils deviendraient des « ? »."_s +
                    QChar(13) + u"Enregistrer le texte en UTF-8 ?"_s,
                plateforme::MB_OUI_NON_ANNULER + plateforme::MB_QUESTION, titre_application);
            if (reponse == plateforme::REP_ANNULER)
                return false; // rien d'écrit, le document reste modifié
            if (reponse == plateforme::REP_OUI)
                encodage = plateforme::Encodage::Utf8;
        }
        ecrit = !hote.isEmpty() && morvine::enregistrer_texte(hote, texte, encodage);
        if (ecrit)
            e.encodage = encodage;
    } else {
        ecrit = !hote.isEmpty() && f->Image1->pixmap().save(hote, "BMP");
    }
    if (!ecrit) {
        // Rien n'est écrit : le document reste modifié.
        plateforme::dialogues().bip();
        plateforme::dialogues().message(erreur_ecriture(hote), plateforme::MB_EXCLAMATION,
                                        titre_application);
        return false;
    }
    // La fenêtre désigne désormais le fichier écrit.
    e.chemin = morvine::legende_document(nom);
    e.titre = morvine::titre_de(nom);
    e.extension = morvine::extension_de(nom);
    f->definir_legende(e.chemin);
    e.modifie = false;
    return true;
}
