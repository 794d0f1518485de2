// Commande INFOS : fenêtre Info_Fichiers en mode fichier, bilan du
// répertoire SOURCE en mode répertoire.
#include "manager/commands/info_fichiers.h"
#include "manager/common/aide_contextuelle.h"
#include "manager/common/curseur.h"
#include "manager/common/etat_commande.h"
#include "manager/common/fenetre_principale.h"
#include "manager/common/rapport_erreur.h"
#include "manager/main_window/gestion_fichiers.h"
#include "manager/main_window/placement.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/fichiers.h"
#include "platform/formats.h"
#include <QEvent>
#include <functional>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

const QString CR = QString(QChar(13));

// Colonnes et rangées de la fenêtre, en twips.
constexpr double GAUCHE = 240;
constexpr double GAUCHE_CHAMPS = 2640;
constexpr double HAUTEUR_LIGNE = 300;
constexpr double RANGEE_ATTRIBUTS = 1920;
constexpr double RANGEE_BOUTONS = 2640;
constexpr double LARGEUR = 5400;
constexpr double HAUTEUR = 3300;

QString avec_barre(const QString& chemin) {
    return chemin.endsWith(u'\\') ? chemin : chemin + u'\\';
}

// Une étape sur le disque, refaite tant que le rapport d'erreur dit Réessayer.
void etape_avec_rapport(const std::function<void()>& etape, const QString& objet) {
    plateforme::executer_avec_reprise(etape, [&](const plateforme::ErreurExecution& e) {
        EtatCommande& etat = etat_commande();
        etat.réponse_de_commande = 0; // une réponse ancienne n'est pas un Réessayer
        Rapport_erreur(objet, e);
        return etat.réponse_de_commande;
    });
}

} // namespace

// ------------------------------------------------------------ construction

Info_Fichiers::Info_Fichiers(Gestion_Fichiers* principale)
    : QDialog(principale), m_principale(principale) {
    setWindowTitle(u"Informations sur "_s);
    construire_champs();
    construire_attributs();
    construire_boutons();
    brancher_aide();
    setFixedSize(plateforme::twips_vers_pixels_x(LARGEUR),
                 plateforme::twips_vers_pixels_y(HAUTEUR));
}

QLabel* Info_Fichiers::etiquette(const QString& texte, double gauche, double haut, double largeur) {
    auto* l = new QLabel(texte, this);
    placer(l, gauche, haut, largeur, HAUTEUR_LIGNE);
    return l;
}

// Champ d'affichage seul : le focus passe aussitôt à un bouton.
QLineEdit* Info_Fichiers::champ(const QString& aide, double haut, double largeur) {
    auto* c = new QLineEdit(this);
    c->setToolTip(aide);
    c->setReadOnly(true);
    c->installEventFilter(this);
    placer(c, GAUCHE_CHAMPS, haut, largeur, HAUTEUR_LIGNE);
    return c;
}

void Info_Fichiers::construire_champs() {
    const QString aide_date = u"dernière modification ou enregistrement"_s;
    Label_taille = etiquette(u"Taille du fichier :"_s, GAUCHE, 240, 2280);
    Taille = champ(u"longueur du fichier"_s, 240, 1560);
    Taille->setAlignment(Qt::AlignRight);
    Label_octets = etiquette(u"octets"_s, GAUCHE_CHAMPS + 1680, 240, 900);
    Label_date = etiquette(u"Date de création/modif :"_s, GAUCHE, 660, 2280);
    Date_fichier = champ(aide_date, 660, 1100);
    Label_heure = etiquette(u"Heure de création/modif :"_s, GAUCHE, 1080, 2280);
    Heure = champ(aide_date, 1080, 1100);
}

QCheckBox* Info_Fichiers::case_attribut(const QString& aide, QLabel*& label, const QString& texte,
                                        double gauche) {
    auto* c = new QCheckBox(this);
    c->setToolTip(aide);
    placer(c, gauche, RANGEE_ATTRIBUTS, 300, HAUTEUR_LIGNE);
    label = etiquette(texte, gauche + 300, RANGEE_ATTRIBUTS, 900);
    return c;
}

void Info_Fichiers::construire_attributs() {
    Label_attribut = etiquette(u"Attributs du fichier"_s, GAUCHE, 1560, 3000);
    Caché =
        case_attribut(u"modifier l'attribut caché du fichier"_s, Label_caché, u"Caché"_s, GAUCHE);
    Système = case_attribut(u"modifier l'attribut système du fichier"_s, Label_système,
                            u"Système"_s, GAUCHE + 1260);
    Lecture = case_attribut(u"modifier l'attribut lecture du fichier"_s, Label_lecture,
                            u"Lecture"_s, GAUCHE + 2520);
    Modifié = case_attribut(u"modifier l'attribut archive du fichier"_s, Label_archive,
                            u"Archive"_s, GAUCHE + 3780);
    // clicked, et non toggled : le remplissage ne compte pas pour une modification.
    connect(Caché, &QCheckBox::clicked, this, [this] { Caché_Click(); });
    connect(Système, &QCheckBox::clicked, this, [this] { Système_Click(); });
    connect(Lecture, &QCheckBox::clicked, this, [this] { Lecture_Click(); });
    connect(Modifié, &QCheckBox::clicked, this, [this] { Modifié_Click(); });
}

void Info_Fichiers::construire_boutons() {
    const std::tuple<QPushButton**, QString, QString> boutons[] = {
        {&Précédent, u"&Précédent"_s, u"revoir le fichier précédent"_s},
        {&Suivant, u"&Suivant"_s, u"voir le fichier suivant"_s},
        {&Fin, u"&Fin"_s, u"termine la commande"_s},
    };
    double gauche = GAUCHE;
    for (const auto& [b, legende, aide] : boutons) {
        *b = new QPushButton(legende, this);
        (*b)->setToolTip(aide);
        (*b)->setAutoDefault(false);
        placer(*b, gauche, RANGEE_BOUTONS, 1500, 360);
        gauche += 1680;
    }
    Fin->setDefault(true);
    connect(Précédent, &QPushButton::clicked, this, [this] { Précédent_Click(); });
    connect(Suivant, &QPushButton::clicked, this, [this] { Suivant_Click(); });
    connect(Fin, &QPushButton::clicked, this, [this] { Fin_Click(); });
}

bool Info_Fichiers::eventFilter(QObject* objet, QEvent* evenement) {
    if (evenement->type() == QEvent::FocusIn) {
        if (objet == Taille)
            Taille_GotFocus();
        else if (objet == Date_fichier)
            Date_fichier_GotFocus();
        else if (objet == Heure)
            Heure_GotFocus();
    }
    return QDialog::eventFilter(objet, evenement);
}

void Info_Fichiers::showEvent(QShowEvent* evenement) {
    QDialog::showEvent(evenement);
    Form_Activate();
}

void Info_Fichiers::reject() {
    Fin_Click();
}

// ------------------------------------------------------------- événements

void Info_Fichiers::Form_Load() {
    move(position_dialogue(2040, 1200));
    const bool plusieurs = plateforme::val(m_principale->Ligne_message->text().left(5)) > 1;
    Précédent->setEnabled(plusieurs);
    Suivant->setEnabled(plusieurs);
    etat_commande().réponse_de_commande = 0;
    prendre(1);
    Afficher_infos_fichier();
}

void Info_Fichiers::Form_Activate() {
    m_principale->Croiser->hide();
}

void Info_Fichiers::Afficher_infos_fichier() {
    EtatCommande& etat = etat_commande();
    etat.commande_courante = u"INFOS-Affiche"_s;
    for (QCheckBox* c : {Caché, Système, Lecture, Modifié})
        c->setChecked(false);
    setWindowTitle(u"Informations sur "_s + etat.fichier_courant);
    Taille->clear();
    Date_fichier->clear();
    Heure->clear();
    bool lu = false;
    if (etat.fichier_trouvé) {
        try {
            remplir(etat.chemin_source);
            lu = true;
        } catch (const plateforme::ErreurExecution& e) {
            Rapport_erreur(etat.chemin_source, e);
        }
    }
    // Des cases vides faute de lecture ne doivent pas s'enregistrer.
    for (QCheckBox* c : {Caché, Système, Lecture, Modifié})
        c->setEnabled(lu);
    curseur_normal();
}

void Info_Fichiers::remplir(const QString& chemin) {
    const qint64 longueur = plateforme::longueur(chemin);
    const QDateTime date = plateforme::date_modification(chemin).toLocalTime();
    const unsigned a = plateforme::attributs(chemin);
    Taille->setText(plateforme::format_milliers(longueur));
    Date_fichier->setText(plateforme::format_date(date.date()));
    Heure->setText(plateforme::format_heure(date.time()));
    Caché->setChecked(a & plateforme::ATTR_CACHE);
    Système->setChecked(a & plateforme::ATTR_SYSTEME);
    Lecture->setChecked(a & plateforme::ATTR_LECTURE_SEULE);
    Modifié->setChecked(a & plateforme::ATTR_ARCHIVE);
}

void Info_Fichiers::Enregistrer_attributs() {
    if (!attributs_modifiés)
        return;
    EtatCommande& etat = etat_commande();
    etat.commande_courante = u"INFOS-Attributs"_s;
    const int reponse = plateforme::dialogues().message(
        u"Voulez-vous enregistrer les modifications d'attributs ?"_s,
        plateforme::MB_OUI_NON + plateforme::MB_QUESTION + plateforme::MB_DEFAUT_2,
        etat.commande_courante);
    attributs_modifiés = false;
    if (reponse != plateforme::REP_OUI)
        return;
    const QString chemin = etat.chemin_source;
    const unsigned a = attributs_choisis();
    etape_avec_rapport([&] { plateforme::definir_attributs(chemin, a); }, chemin);
}

unsigned Info_Fichiers::attributs_choisis() const {
    unsigned a = plateforme::ATTR_NORMAL;
    if (Caché->isChecked())
        a += plateforme::ATTR_CACHE;
    if (Système->isChecked())
        a += plateforme::ATTR_SYSTEME;
    if (Modifié->isChecked())
        a += plateforme::ATTR_ARCHIVE;
    if (Lecture->isChecked())
        a += plateforme::ATTR_LECTURE_SEULE;
    return a;
}

void Info_Fichiers::Caché_Click() {
    attributs_modifiés = true;
}

void Info_Fichiers::Système_Click() {
    attributs_modifiés = true;
}

void Info_Fichiers::Lecture_Click() {
    attributs_modifiés = true;
}

void Info_Fichiers::Modifié_Click() {
    attributs_modifiés = true;
}

void Info_Fichiers::Suivant_Click() {
    Enregistrer_attributs();
    prendre_en_boucle(1);
    Afficher_infos_fichier();
}

void Info_Fichiers::Précédent_Click() {
    Enregistrer_attributs();
    prendre_en_boucle(-1);
    Afficher_infos_fichier();
}

void Info_Fichiers::Fin_Click() {
    Enregistrer_attributs();
    m_principale->Croiser->show();
    aide::fenetre_fermee();
    accept();
}

void Info_Fichiers::Taille_GotFocus() {
    Fin->setFocus();
}

void Info_Fichiers::Date_fichier_GotFocus() {
    Fin->setFocus();
}

void Info_Fichiers::Heure_GotFocus() {
    Fin->setFocus();
}

// -------------------------------------------------------------- parcours

void Info_Fichiers::prendre_en_boucle(int direction) {
    EtatCommande& etat = etat_commande();
    prendre(direction);
    if (etat.fichier_trouvé)
        return;
    etat.curseur = direction == 1 ? 0 : nombre_parcouru() - 1;
    // Au pas à pas, le premier pas prend l'entrée du curseur elle-même.
    if (m_principale->sélection_totale)
        etat.éléments_pas_à_pas = 0;
    prendre(direction);
}

void Info_Fichiers::prendre(int direction) {
    if (m_principale->sélection_totale) {
        m_principale->Fichier_suivant_pas_a_pas(direction);
        return;
    }
    // Le curseur est déjà passé au-delà du fichier montré : en changeant de
    // sens, on repart de son voisin, pas de lui ni du fichier d'avant.
    if (direction != m_sens)
        etat_commande().curseur += direction == 1 ? 2 : -2;
    m_sens = direction;
    m_principale->Fichier_suivant(direction);
}

int Info_Fichiers::nombre_parcouru() const {
    if (m_principale->sélection_totale)
        return m_principale->Fichier_srce->listCount();
    const QListWidget* liste = etat_commande().liste_parcourue;
    return (liste ? liste : m_principale->Fichier_srce)->count();
}

// ------------------------------------------------------- fenêtre principale

void Gestion_Fichiers::connecter_infos() {
    Info->setToolTip(u"voir les informations sur les fichiers sélectionnés ou le répertoire"_s);
    commandes_construites.insert(Info);
    activer_commande(Info, true);
    connect(Info, &QPushButton::clicked, this, [this] { Info_Click(); });
}

void Gestion_Fichiers::Info_Click() {
    if (!Debut_commande())
        return;
    EtatCommande& etat = etat_commande();
    etat.commande_courante = u"INFOS"_s;
    if (etat.mode_répertoire) {
        resumer_repertoire();
    } else if (Ligne_message->text().isEmpty()) {
        Signaler_aucune_selection();
    } else {
        Info_Fichiers fenetre(this);
        fenetre.Form_Load();
        fenetre.exec();
    }
    Rafraichir_affichage();
}

// Le total est sur 64 bits : un répertoire de gros fichiers dépasse 2 Go.
void Gestion_Fichiers::resumer_repertoire() {
    const QString chemin = Fichier_srce->path();
    const QString repertoire = avec_barre(chemin);
    const int nombre = Fichier_srce->listCount();
    qint64 total = 0;
    for (int i = 0; i < nombre; ++i) {
        const QString fichier = repertoire + Fichier_srce->list(i);
        try {
            total += plateforme::longueur(fichier);
        } catch (const plateforme::ErreurExecution& e) {
            Rapport_erreur(fichier, e);
            return;
        }
    }
    QString texte = u"Le répertoire "_s + chemin + CR;
    if (nombre == 0)
        texte += u"ne contient pas de fichier."_s;
    else
        texte += u"contient "_s + plateforme::str_nombre(nombre) + u" fichier"_s +
                 (nombre > 1 ? u"s"_s : QString()) + CR + u"totalisant  "_s +
                 plateforme::format_milliers(total) + u" octets."_s;
    plateforme::dialogues().message(texte, plateforme::MB_OK, etat_commande().commande_courante);
}
