// Démarrage du visualiseur, MORVINE.INI, fichiers récents et ouverture.
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/formats.h"
#include "platform/profil.h"
#include "platform/programme.h"
#include "viewer/ui/configuration.h"
#include "viewer/ui/disposition.h"
#include "viewer/ui/editeur.h"
#include "viewer/ui/fenetre.h"
#include "viewer/ui/ligne_commande.h"

#include <QAction>
#include <QMdiSubWindow>

using namespace Qt::StringLiterals;

namespace {

// Répertoire courant := répertoire du programme ; MORVINE.INI y est.
QString preparer_repertoire() {
    try {
        const QString programme = plateforme::repertoire_programme();
        plateforme::changer_unite(programme.at(0));
        plateforme::changer_repertoire(programme);
        return morvine::chemin_ini_programme();
    } catch (const plateforme::ErreurExecution&) {
        // Sans unité pour le programme : le répertoire Windows.
        return u"MORVINE.INI"_s;
    }
}

void montrer_recent(QAction* element, const QString& valeur) {
    QString legende = valeur;
    element->setText(legende.replace(u'&', u"&&"_s));
    element->setData(valeur);
    element->setVisible(true);
}

void montrer_recents(std::array<QAction*, 9>& elements, const QStringList& valeurs) {
    for (int i = 1; i <= morvine::NOMBRE_RECENTS; ++i) {
        if (!morvine::entree_utilisee(valeurs[i - 1]))
            continue;
        elements[0]->setVisible(true);
        montrer_recent(elements[i], valeurs[i - 1]);
    }
}

} // namespace

void Editeur::MDIForm_Load(const QStringList& fichiers) {
    titre_application = u"Visualiseur"_s;
    setWindowTitle(titre_application);
    Chemin_ini = preparer_repertoire();
    lire_geometrie_cadre();
    Afficher_barre_outils(
        plateforme::lire_profil(u"Options"_s, u"Boutons"_s, u"Oui"_s, 80, Chemin_ini));
    // Le cadre paraît à sa place ; les documents s'y disposent ensuite.
    show();
    // Bordure et barre de titre connues une fois montré : encore dans l'écran.
    morvine::garder_dans_l_ecran(this);
    // Le cadre part vide, la case 1 libre : la fenêtre 1 est chargée puis
    // refermée, car c'est son chargement qui lit la police de base (sans lui,
    // la configuration enregistrée avant tout document l'écrirait vide).
    tables.reinitialiser();
    Fenêtre* premiere = fenetre_pour(1);
    etat(1).modifie = false;
    premiere->sous_fenetre()->close();
    Lire_fichiers_recents();
    QStringList noms = fichiers;
    const QString type = morvine::retirer_marque_edition(noms) ? u"TXT"_s : QString();
    for (const QString& fichier : noms) {
        const QString nom = morvine::nom_document(fichier);
        Charger_fichier(nom, type);
        if (Echec_chargement)
            break;
        Mettre_a_jour_menu_fichiers(nom);
    }
}

void Editeur::recevoir_fichiers(const QStringList& fichiers) {
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    QStringList noms = fichiers;
    const QString type = morvine::retirer_marque_edition(noms) ? u"TXT"_s : QString();
    for (const QString& fichier : noms) {
        const QString nom = morvine::nom_document(fichier);
        Charger_fichier(nom, type);
        if (!Echec_chargement)
            Mettre_a_jour_menu_fichiers(nom);
    }
}

void Editeur::lire_geometrie_cadre() {
    QRect g = geometry();
    if (const auto haut = morvine::lire_geometrie(u"Haut"_s, Chemin_ini))
        g.moveTop(plateforme::twips_vers_pixels_y(*haut));
    if (const auto gauche = morvine::lire_geometrie(u"Gauche"_s, Chemin_ini))
        g.moveLeft(plateforme::twips_vers_pixels_x(*gauche));
    if (const auto largeur = morvine::lire_geometrie(u"Largeur"_s, Chemin_ini))
        g.setWidth(plateforme::twips_vers_pixels_x(*largeur));
    if (const auto hauteur = morvine::lire_geometrie(u"Hauteur"_s, Chemin_ini))
        g.setHeight(plateforme::twips_vers_pixels_y(*hauteur));
    move(g.topLeft());
    resize(g.size());
    // Taille de conception ou réglage d'un autre écran : le cadre n'en déborde pas.
    morvine::garder_dans_l_ecran(this);
}

void Editeur::Enregistrer_configuration() {
    auto ecrire = [this](const QString& cle, const QString& valeur) {
        plateforme::ecrire_profil(u"Options"_s, cle, valeur, Chemin_ini);
    };
    ecrire(u"Haut"_s, morvine::texte_geometrie(plateforme::pixels_vers_twips_y(y())));
    ecrire(u"Gauche"_s, morvine::texte_geometrie(plateforme::pixels_vers_twips_x(x())));
    ecrire(u"Largeur"_s, morvine::texte_geometrie(plateforme::pixels_vers_twips_x(width())));
    ecrire(u"Hauteur"_s, morvine::texte_geometrie(plateforme::pixels_vers_twips_y(height())));
    ecrire(u"Police de base"_s, Police_de_base);
    ecrire(u"Boutons"_s, mnuOToolbar->isChecked() ? u"Oui"_s : u"Non"_s);
}

void Editeur::Lire_fichiers_recents() {
    const QStringList valeurs = morvine::lire_recents(Chemin_ini);
    montrer_recents(mnuRecentFile, valeurs);
    for (Fenêtre* f : fenetres_ouvertes())
        montrer_recents(f->mnuRecentFile, valeurs);
}

void Editeur::Ajouter_fichier_recent(const QString& nom) {
    morvine::ajouter_recent(nom, Chemin_ini);
}

void Editeur::Mettre_a_jour_menu_fichiers(const QString& nom) {
    const QString legende = legende_active();
    bool present = false;
    for (int i = 1; i <= morvine::NOMBRE_RECENTS; ++i) {
        const QAction* element = mnuRecentFile[i];
        present = present || (element->isVisible() && element->data().toString().compare(
                                                          legende, Qt::CaseInsensitive) == 0);
    }
    if (!present)
        Ajouter_fichier_recent(nom);
    Lire_fichiers_recents();
}

void Editeur::mnuRecentFile_Click(int index) {
    Charger_fichier(mnuRecentFile[index]->data().toString(), {});
    if (!Echec_chargement)
        Lire_fichiers_recents();
}

QString Editeur::repertoire_document(const Fenêtre* f) const {
    const QString legende = f->legende();
    if (!legende.contains(u'\\'))
        return {};
    QString repertoire = legende.left(legende.lastIndexOf(u'\\'));
    if (repertoire.endsWith(u':'))
        repertoire += u'\\';
    return repertoire;
}

void Editeur::Ouvrir_fichier_dialogue() {
    const Fenêtre* f = fenetre_active();
    const QString repertoire = f ? repertoire_document(f) : QString();
    const QString choisi = plateforme::dialogues().ouvrir_fichier({}, {}, repertoire);
    if (choisi.isEmpty())
        return;
    const QString nom = morvine::nom_document(choisi);
    Charger_fichier(nom, {});
    if (!Echec_chargement)
        Mettre_a_jour_menu_fichiers(nom);
}
