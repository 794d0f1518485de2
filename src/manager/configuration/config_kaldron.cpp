// Éditeur de configuration : boutons, sélections et associations, une ligne
// clé=valeur par entrée, écrite aussitôt dans son fichier de profil.
#include "manager/configuration/config_kaldron.h"
#include "manager/common/aide_contextuelle.h"
#include "manager/common/etat_commande.h"
#include "manager/common/fenetre_principale.h"
#include "manager/common/rapport_erreur.h"
#include "manager/configuration/fichier_configuration.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "manager/main_window/placement.h"
#include "platform/chemins.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/profil.h"
#include "platform/windows1252.h"

using namespace Qt::StringLiterals;

namespace {

const QString CR = QString(QChar(13));
const QString WIN_INI = u"WIN.INI"_s;
// Lecture d'une valeur entière, au-delà de ce que la liste montre.
constexpr unsigned TAMPON_ENTIER = 32768;

constexpr double LARGEUR = 6900;
constexpr double HAUTEUR = 3960;
constexpr double COLONNE_BOUTONS = 5280;
constexpr double LARGEUR_BOUTON = 1500;
constexpr double HAUTEUR_BOUTON = 360;
constexpr double RANGEE_SAISIE = 2640;
constexpr double RANGEE_BAS = 3420;

void commande(const QString& nom) {
    etat_commande().commande_courante = nom;
}

// Premier caractère de 'texte' que le fichier ne saurait pas garder tel quel.
std::optional<QChar> hors_1252(const QString& texte) {
    for (const QChar ch : texte) {
        char octet = 0;
        if (!plateforme::octet_1252(ch, &octet))
            return ch;
    }
    return std::nullopt;
}

bool a_un_controle(const QString& texte) {
    return std::any_of(texte.begin(), texte.end(),
                       [](QChar ch) { return ch.category() == QChar::Other_Control; });
}

} // namespace

// ------------------------------------------------------------ construction

Config_Kaldron::Config_Kaldron(Gestion_Fichiers* principale)
    : QDialog(principale), m_principale(principale) {
    setObjectName(u"Config_Kaldron"_s);
    construire_listes();
    construire_saisie();
    construire_boutons();
    attacher_aides();
    setFixedSize(plateforme::twips_vers_pixels_x(LARGEUR),
                 plateforme::twips_vers_pixels_y(HAUTEUR));
}

QPushButton* Config_Kaldron::bouton(const QString& legende, const QString& bulle, double gauche,
                                    double haut) {
    auto* b = new QPushButton(legende, this);
    b->setToolTip(bulle);
    b->setAutoDefault(false);
    placer(b, gauche, haut, LARGEUR_BOUTON, HAUTEUR_BOUTON);
    return b;
}

void Config_Kaldron::construire_listes() {
    Boutons = bouton(u"&Boutons"_s, u"programmer des boutons"_s, COLONNE_BOUTONS, 120);
    Sélections = bouton(u"&Sélections"_s, u"définir des sélections de fichiers"_s, COLONNE_BOUTONS,
                        120 + 420);
    Associer =
        bouton(u"&Associer"_s, u"associer fichiers et programmes"_s, COLONNE_BOUTONS, 120 + 840);
    Liste_conf = new QListWidget(this);
    Liste_conf->setSelectionMode(QAbstractItemView::SingleSelection);
    Liste_conf->setSortingEnabled(false);
    placer(Liste_conf, 120, 120, COLONNE_BOUTONS - 240, RANGEE_SAISIE - 240);
    connect(Boutons, &QPushButton::clicked, this, [this] { Boutons_Click(); });
    connect(Sélections, &QPushButton::clicked, this, [this] { Sélections_Click(); });
    connect(Associer, &QPushButton::clicked, this, [this] { Associer_Click(); });
    connect(Liste_conf, &QListWidget::itemSelectionChanged, this, [this] {
        if (ligne_choisie() >= 0)
            Liste_conf_Click();
    });
    // Un clic sur la ligne déjà choisie la recopie aussi.
    connect(Liste_conf, &QListWidget::itemClicked, this, [this] { Liste_conf_Click(); });
}

void Config_Kaldron::construire_saisie() {
    Label_conf = new QLabel(this);
    placer(Label_conf, 120, RANGEE_SAISIE, 3000, 240);
    Ligne_conf = new QLineEdit(this);
    Ligne_conf->setToolTip(u"ligne de saisie ou modification"_s);
    placer(Ligne_conf, 120, RANGEE_SAISIE + 270, LARGEUR - 240, 300);
    connect(Ligne_conf, &QLineEdit::textChanged, this, [this] { Ligne_conf_Change(); });
}

void Config_Kaldron::construire_boutons() {
    Parcourir = bouton(u"&Parcourir"_s, u"rechercher le programme ou fichier"_s, 120, RANGEE_BAS);
    Enregistrer =
        bouton(u"En&registrer"_s, u"enregistrer la nouvelle ligne"_s, 120 + 1740, RANGEE_BAS);
    Effacer = bouton(u"&Effacer"_s, u"effacer la ligne dans la liste"_s, 120 + 3480, RANGEE_BAS);
    Fin = bouton(u"&Fin"_s, u"termine la commande"_s, COLONNE_BOUTONS, RANGEE_BAS);
    Parcourir->setEnabled(false);
    Enregistrer->setEnabled(false);
    Effacer->setEnabled(false);
    connect(Parcourir, &QPushButton::clicked, this, [this] { Parcourir_Click(); });
    connect(Enregistrer, &QPushButton::clicked, this, [this] { Enregistrer_Click(); });
    connect(Effacer, &QPushButton::clicked, this, [this] { Effacer_Click(); });
    connect(Fin, &QPushButton::clicked, this, [this] { Fin_Click(); });
}

void Config_Kaldron::attacher_aides() {
    // Les pages d'aide s'ancrent sur les noms des contrôles.
    const std::pair<QWidget*, QString> controles[] = {
        {Boutons, u"Boutons"_s},       {Sélections, u"Sélections"_s},
        {Associer, u"Associer"_s},     {Liste_conf, u"Liste_conf"_s},
        {Label_conf, u"Label_conf"_s}, {Ligne_conf, u"Ligne_conf"_s},
        {Parcourir, u"Parcourir"_s},   {Enregistrer, u"Enregistrer"_s},
        {Effacer, u"Effacer"_s},       {Fin, u"Fin"_s},
    };
    for (const auto& [controle, nom] : controles)
        controle->setObjectName(nom);
    aide::attacher(Associer, u"  Ce bouton permet d'afficher toutes les 'Associations' existantes "
                             u"dans la liste."_s);
    aide::attacher(Boutons, u"  Ce bouton permet d'afficher tous les 'Boutons' existants avec "
                            u"leurs paramètres dans la liste."_s);
    aide::attacher(Sélections, u"  Ce bouton permet d'afficher toutes les 'Sélections' existantes "
                               u"avec leurs paramètres dans la liste."_s);
    aide::attacher(Liste_conf,
                   u"  Cette liste permet de visualiser les 'Boutons', 'Sélections' ou "
                   u"'Associations' enregistrées. Lorsque vous sélectionnez une ligne dans cette "
                   u"liste, celle-ci est automatiquement recopiée dans le champ de saisie afin de "
                   u"la modifier ou de l'effacer."_s);
    aide::attacher(Ligne_conf, u"  Ce champ permet de saisir une ligne de configuration pour "
                               u"l'enregistrer dans la liste ou de modifier une ligne qui vient "
                               u"d'être sélectionnée dans la liste."_s);
    aide::attacher(Parcourir, u"  Ce bouton permet de composer la ligne pour ensuite "
                              u"l'enregistrer dans la liste."_s);
    aide::attacher(Enregistrer,
                   u"  Ce bouton permet d'ENREGISTRER la ligne qui vient d'être saisie ou "
                   u"modifiée, celle-ci sera effective au prochain lancement de KALDRON."_s);
    aide::attacher(Effacer,
                   u"  Ce bouton permet d'EFFACER une ligne sélectionnée dans la liste des "
                   u"'Boutons', 'Sélections' ou 'Associations' enregistrées; ceci ne sera "
                   u"effectif qu'au prochain lancement de KALDRON."_s);
    aide::vider_au_survol(this);
    aide::installer_f1(this);
    aide::tip_sur_liste(Liste_conf);
}

void Config_Kaldron::reject() {
    Fin_Click();
}

// ------------------------------------------------------------- événements

void Config_Kaldron::Form_Load() {
    move(position_dialogue(2000, 390));
    modifié = false;
    Boutons_Click();
}

void Config_Kaldron::choisir_liste(const QString& legende, const QString& label,
                                   const QString& section, const QString& fichier) {
    setWindowTitle(legende);
    Label_conf->setText(label);
    Ligne_conf->clear();
    Effacer->setEnabled(false);
    Lire_section(section, fichier);
    Ligne_conf->setFocus();
}

void Config_Kaldron::Boutons_Click() {
    choisir_liste(u"Liste des Boutons"_s, u"Nouveau Bouton"_s, u"Boutons"_s,
                  reglages().chemin_configuration);
}

void Config_Kaldron::Sélections_Click() {
    choisir_liste(u"Liste des Sélections"_s, u"Nouvelle Sélection"_s, u"Sélections"_s,
                  reglages().chemin_configuration);
}

// Les associations ne demandent pas de relance : le drapeau repart de zéro.
void Config_Kaldron::Associer_Click() {
    choisir_liste(u"Liste des Associations"_s, u"Nouvelle Association"_s, u"Extensions"_s, WIN_INI);
    modifié = false;
}

// La marche s'arrête à la première valeur vide : les clés d'après ne sont
// pas montrées, comme au démarrage.
void Config_Kaldron::Lire_section(const QString& section, const QString& fichier) {
    commande(u"CONFIG-Lecture section"_s);
    Liste_conf->clear();
    section_courante = section;
    fichier_courant = fichier;
    const QStringList noms =
        plateforme::cles_profil(section, configuration::TAMPON_LISTE_CLES, fichier);
    for (const QString& nom : noms) {
        const QString valeur = plateforme::lire_profil(
            section, nom, QString(), configuration::TAMPON_VALEUR_LISTEE, fichier);
        if (valeur.isEmpty())
            break;
        Liste_conf->addItem(nom + u'=' + valeur);
        garder_valeur_coupee(Liste_conf->count() - 1, section, nom, valeur, fichier);
    }
}

// Une valeur coupée à l'affichage est gardée entière : réenregistrer la ligne
// telle quelle ne doit pas tronquer le fichier.
void Config_Kaldron::garder_valeur_coupee(int ligne, const QString& section, const QString& nom,
                                          const QString& valeur, const QString& fichier) {
    if (valeur.size() < qsizetype(configuration::TAMPON_VALEUR_LISTEE) - 1)
        return;
    const QString entiere =
        plateforme::lire_profil(section, nom, QString(), TAMPON_ENTIER, fichier);
    if (entiere.size() > valeur.size())
        Liste_conf->item(ligne)->setData(Qt::UserRole, entiere);
}

QString Config_Kaldron::valeur_a_ecrire(const QString& valeur) const {
    const int choisie = ligne_choisie();
    if (choisie < 0)
        return valeur;
    const QListWidgetItem* item = Liste_conf->item(choisie);
    const QString entiere = item->data(Qt::UserRole).toString();
    const bool inchangee = item->text().section(u'=', 1).trimmed() == valeur;
    return inchangee && !entiere.isEmpty() ? entiere : valeur;
}

void Config_Kaldron::Liste_conf_Click() {
    const int choisie = ligne_choisie();
    if (choisie < 0)
        return;
    Effacer->setEnabled(true);
    Ligne_conf->setText(Liste_conf->item(choisie)->text());
    Ligne_conf->setFocus();
    Ligne_conf->home(false);
}

void Config_Kaldron::Ligne_conf_Change() {
    Parcourir->setEnabled(false);
    Enregistrer->setEnabled(false);
    const QString texte = Ligne_conf->text();
    const qsizetype egal = texte.indexOf(u'=');
    if (egal < 1)
        return;
    if (section_courante == u"Boutons"_s) {
        Parcourir->setEnabled(true);
    } else if (liste_associations()) {
        // Une extension a au plus trois lettres.
        if (egal >= 4)
            return;
        Parcourir->setEnabled(true);
    }
    if (egal < texte.size() - 1)
        Enregistrer->setEnabled(true);
}

void Config_Kaldron::Parcourir_Click() {
    commande(u"CONFIG-Parcourir"_s);
    const QString cle = Ligne_conf->text().section(u'=', 0, 0);
    QString titre, filtre;
    if (liste_associations()) {
        titre = u"Parcourir pour les fichiers de type '"_s + cle + u'\'';
        filtre = u"Programmes|*.exe; *.com; *.bat; *.pif|Tous les fichiers (*.*)|*.*"_s;
    } else {
        titre = u"Parcourir pour le bouton '"_s + cle + u'\'';
        filtre = u"Tous les fichiers (*.*)|*.*|Programmes|*.exe; *.com; *.bat; *.pif|Fichiers "
                 u"texte|*.txt; *.doc; *.wri; *.bat; *.ini"_s;
    }
    const QString choisi = plateforme::dialogues().ouvrir_fichier(titre, filtre, QString());
    if (!choisi.isEmpty()) {
        // Le programme ne connaît que des chemins DOS, pris sur ses unités.
        const std::optional<QString> dos = plateforme::hote_vers_dos(choisi);
        if (!dos) {
            refuser(u"Ce fichier n'est sur aucune unité connue de KALDRON :"_s + CR + choisi);
        } else {
            QString ligne = cle + u'=' + dos->toLower();
            if (liste_associations())
                ligne += u" ^."_s + cle;
            Ligne_conf->setText(ligne);
        }
    }
    Ligne_conf->setFocus();
}

void Config_Kaldron::Enregistrer_Click() {
    commande(u"CONFIG-Enregistrer"_s);
    const QString texte = Ligne_conf->text();
    const qsizetype egal = texte.indexOf(u'=');
    if (egal < 1 || egal == texte.size() - 1 || (liste_associations() && egal >= 4))
        return;
    // Le fichier ne garde pas les blancs autour : la liste montre ce qu'il garde.
    const QString cle = texte.left(egal).trimmed();
    const QString valeur = texte.mid(egal + 1).trimmed();
    // Contrôle avant toute suppression : un refus ne perd pas l'ancienne ligne.
    const QString motif = refus(cle, valeur);
    if (!motif.isEmpty()) {
        refuser(u"Ligne non enregistrée :"_s + CR + motif);
        return;
    }
    const QString a_ecrire = valeur_a_ecrire(valeur);
    if (ligne_choisie() >= 0 && !supprimer_ligne_choisie())
        return;
    Liste_conf->addItem(cle + u'=' + valeur);
    if (a_ecrire != valeur)
        Liste_conf->item(Liste_conf->count() - 1)->setData(Qt::UserRole, a_ecrire);
    if (!ecrire_cle(cle, a_ecrire)) {
        // Rien n'est écrit : la liste ne doit pas le laisser croire.
        delete Liste_conf->takeItem(Liste_conf->count() - 1);
        return;
    }
    Ligne_conf->clear();
    Effacer->setEnabled(false);
    noter_modification();
    Ligne_conf->setFocus();
}

void Config_Kaldron::Effacer_Click() {
    commande(u"CONFIG-Effacer"_s);
    if (ligne_choisie() < 0)
        return;
    if (!supprimer_ligne_choisie())
        return;
    Effacer->setEnabled(false);
}

void Config_Kaldron::Fin_Click() {
    if (modifié) {
        plateforme::dialogues().bip();
        plateforme::dialogues().message(
            u"KALDRON doit être relancé pour prendre en compte les modifications effectuées."_s,
            plateforme::MB_OK + plateforme::MB_INFORMATION, u"Gestionnaire de fichiers"_s);
    }
    aide::fenetre_fermee();
    accept();
}

// ------------------------------------------------------------- écritures

bool Config_Kaldron::liste_associations() const {
    return section_courante == u"Extensions"_s;
}

int Config_Kaldron::ligne_choisie() const {
    const QList<QListWidgetItem*> choisies = Liste_conf->selectedItems();
    return choisies.isEmpty() ? -1 : Liste_conf->row(choisies.first());
}

// Après une suppression, aucune ligne ne doit passer pour choisie.
void Config_Kaldron::oublier_choix() {
    const QSignalBlocker bloqueur(Liste_conf);
    Liste_conf->clearSelection();
    Liste_conf->setCurrentRow(-1);
}

bool Config_Kaldron::supprimer_ligne_choisie() {
    const int choisie = ligne_choisie();
    const QString cle = Liste_conf->item(choisie)->text().section(u'=', 0, 0);
    if (!ecrire_cle(cle, std::nullopt))
        return false;
    {
        const QSignalBlocker bloqueur(Liste_conf);
        delete Liste_conf->takeItem(choisie);
    }
    oublier_choix();
    noter_modification();
    return true;
}

// L'écriture qui échoue (fichier protégé, unité absente) passe par le
// rapport d'erreur, qui propose de recommencer.
bool Config_Kaldron::ecrire_cle(const QString& cle, const std::optional<QString>& valeur) {
    const auto etape = [&] {
        if (!plateforme::ecrire_profil(section_courante, cle, valeur, fichier_courant))
            plateforme::lever(plateforme::ERR_PERMISSION);
    };
    return plateforme::executer_avec_reprise(etape, [](const plateforme::ErreurExecution& e) {
        EtatCommande& etat = etat_commande();
        etat.réponse_de_commande = 0; // une réponse ancienne n'est pas un Réessayer
        Rapport_erreur(reglages().unité_programme, e);
        return etat.réponse_de_commande;
    });
}

QString Config_Kaldron::refus(const QString& cle, const QString& valeur) const {
    if (a_un_controle(cle) || a_un_controle(valeur))
        return u"la ligne contient un saut de ligne ou un caractère de contrôle."_s;
    if (cle.isEmpty())
        return u"la clé (avant le signe '=') est vide."_s;
    if (valeur.isEmpty())
        return u"la valeur (après le signe '=') est vide."_s;
    // Une telle ligne se relirait comme un titre de section ou un commentaire.
    if (cle.startsWith(u'[') || cle.startsWith(u';'))
        return u"une clé ne peut pas commencer par '[' ni par ';'."_s;
    if (const auto ch = hors_1252(cle + valeur))
        return u"le caractère '"_s + *ch + u"' ne peut pas être écrit dans le fichier."_s;
    return {};
}

void Config_Kaldron::refuser(const QString& texte) {
    plateforme::dialogues().bip();
    plateforme::dialogues().message(texte, plateforme::MB_OK + plateforme::MB_EXCLAMATION,
                                    etat_commande().commande_courante);
}

// Seul KALDRON.INI est relu au démarrage ; WIN.INI sert dès le lancement suivant.
void Config_Kaldron::noter_modification() {
    if (fichier_courant != WIN_INI)
        modifié = true;
}

// ------------------------------------------------------- fenêtre principale

void Gestion_Fichiers::connecter_configuration() {
    commandes_construites.insert(Configurer);
    activer_commande(Configurer, true);
    connect(Configurer, &QPushButton::clicked, this, [this] { Configurer_Click(); });
}

void Gestion_Fichiers::Configurer_Click() {
    if (!Debut_commande())
        return;
    etat_commande().commande_courante = u"CONFIGURER"_s;
    {
        Config_Kaldron fenetre(this);
        fenetre.Form_Load();
        fenetre.exec();
    }
    etat_commande().commande_en_cours = false;
    Croiser->setEnabled(true);
}
