// Charger_fichier : le seul chemin d'ouverture d'un fichier, en lecture
// seule ; l'affichage suit le type du fichier (ou le type imposé).
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/formats.h"
#include "viewer/core/dbase.h"
#include "viewer/core/texte.h"
#include "viewer/core/traitement_texte.h"
#include "viewer/core/types_fichier.h"
#include "viewer/core/vidage.h"
#include "viewer/ui/bouton_image.h"
#include "viewer/ui/configuration.h"
#include "viewer/ui/curseur.h"
#include "viewer/ui/disposition.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/ligne_commande.h"

#include <QAction>
#include <QFile>
#include <QImageReader>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>

using namespace Qt::StringLiterals;
using morvine::Affichage;

namespace {

QString texte_document(const QString& hote, Affichage a) {
    QFile fichier(hote);
    if (!fichier.open(QIODevice::ReadOnly))
        return {};
    return a == Affichage::Word ? morvine::lire_word(fichier) : morvine::lire_write(fichier);
}

} // namespace

void Editeur::signaler_echec_ouverture(const QString& nom, const QString& erreur) {
    plateforme::dialogues().bip();
    plateforme::dialogues().message(u"Ne peut ouvrir le fichier "_s + nom + QChar(13) + u"("_s +
                                        erreur + u")"_s,
                                    plateforme::MB_EXCLAMATION, titre_application);
    Echec_chargement = true;
}

QString Editeur::resoudre_hote(const QString& nom, QString* erreur) const {
    QString hote;
    try {
        hote = nom.startsWith(u'/') ? nom : plateforme::dos_vers_hote(nom);
    } catch (const plateforme::ErreurExecution& e) {
        *erreur = e.description();
        return {};
    }
    // Ouverture en lecture seule : rien n'est créé, aucun droit d'écriture requis.
    *erreur = morvine::erreur_ouverture(hote);
    return hote;
}

Fenêtre* Editeur::fenetre_pour(int indice) {
    Fenêtre* f = fenetre(indice);
    if (!f) {
        f = new Fenêtre(*this);
        f->Tag = QString::number(indice);
        QMdiSubWindow* s = zone->addSubWindow(f);
        s->setAttribute(Qt::WA_DeleteOnClose);
        s->installEventFilter(f);
        f->Form_Load();
        tables.Documents[indice] = f;
        Lire_fichiers_recents();
    }
    f->Tag = QString::number(indice);
    return f;
}

void Editeur::Charger_fichier(const QString& nom_donne, const QString& type_force) {
    Echec_chargement = false;
    const QString nom = morvine::nom_document(nom_donne);
    QString erreur;
    const QString hote = resoudre_hote(nom, &erreur);
    if (!erreur.isEmpty())
        return signaler_echec_ouverture(nom_donne, erreur);
    morvine::CurseurSablier sablier;
    const int i = Trouver_indice_libre();
    morvine::EtatDocument& e = etat(i);
    e = morvine::EtatDocument{};
    e.titre = morvine::titre_de(nom);
    e.chemin = morvine::legende_document(nom);
    e.extension = morvine::extension_de(nom);
    Fenêtre* f = fenetre_pour(i);
    f->definir_legende(e.chemin);
    f->cacher_affichages();
    Appel->show();
    Imprimer->show();
    Enregistrer->setEnabled(true);
    afficher_selon_type(f, type_force.isEmpty() ? e.extension : type_force, hote);
    etat(i).modifie = false;
    f->sous_fenetre()->show();
    activer(f);
}

void Editeur::afficher_selon_type(Fenêtre* f, const QString& type, const QString& hote) {
    morvine::EtatDocument& e = f->etat();
    QMdiSubWindow* s = f->sous_fenetre();
    const Affichage a = morvine::affichage_pour(type);
    switch (a) {
    case Affichage::Texte: {
        f->montrer_texte(morvine::lire_texte(hote).value_or(QString()), true);
        bouton_enregistrer(true);
        boutons_edition(true);
        f->menus_texte();
        e.texte_editable = true;
        return morvine::taille_ordinaire(s, zone, f->indice());
    }
    case Affichage::Vidage: {
        e.fichier_vidage = vidages.nouveau_vidage();
        if (!e.fichier_vidage.isEmpty())
            morvine::produire_vidage(hote, e.fichier_vidage);
        f->montrer_vidage(e.fichier_vidage);
        f->menus_vidage();
        morvine::placer(s, f->indice() + 1);
        return morvine::entourer(s, f->Dump->size());
    }
    case Affichage::Dbase: {
        QFile fichier(hote);
        const bool ouvert = fichier.open(QIODevice::ReadOnly);
        f->montrer_table(ouvert ? morvine::lire_dbase(fichier) : morvine::TableDbase{});
        f->menus_sans_edition();
        return morvine::taille_ordinaire(s, zone, f->indice());
    }
    case Affichage::Word:
    case Affichage::Write:
        f->montrer_texte(texte_document(hote, a), false);
        return morvine::taille_ordinaire(s, zone, f->indice());
    case Affichage::Image: {
        e.image = morvine::genre_image_pour(type);
        QImageReader lecteur(hote);
        lecteur.setDecideFormatFromContent(true);
        const QImage image = lecteur.read(); // illisible : image vide
        f->montrer_image(image);
        f->menus_image();
        morvine::placer(s, f->indice());
        return morvine::entourer(s, image.size());
    }
    }
}

// Bascule de format : le fichier est rouvert dans l'autre affichage, dans une
// nouvelle case ; la fenêtre actuelle ne se ferme que si la réouverture a
// réussi (sinon on garderait une fenêtre de moins et rien à la place).
void Fenêtre::mnuEFormat_Click() {
    const bool vers_texte = mnuEFormat->text() == u"&Format texte"_s;
    editeur.Charger_fichier(legende(), vers_texte ? u"TXT"_s : u"XXX"_s);
    if (editeur.Echec_chargement)
        return;
    sous_fenetre()->close();
    editeur.Lire_fichiers_recents();
}
