// Commande OPTIONS : fenêtre Choix_Options et son ouverture depuis la
// fenêtre principale.
#include "manager/configuration/choix_options.h"
#include "manager/common/aide_contextuelle.h"
#include "manager/common/etat_commande.h"
#include "manager/common/fenetre_principale.h"
#include "manager/common/rapport_erreur.h"
#include "manager/configuration/couleurs_vga.h"
#include "manager/configuration/fichier_configuration.h"
#include "manager/configuration/panneaux_systeme.h"
#include "manager/main_window/gestion_fichiers.h"
#include "manager/main_window/ligne.h"
#include "manager/main_window/placement.h"
#include "platform/erreurs.h"
#include "platform/formats.h"
#include "platform/profil.h"
#include <QEvent>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;
using plateforme::ErreurExecution;

namespace {

const QString CR = QString(QChar(13));
const QString NOTEPAD = u"NOTEPAD.EXE"_s;
const QString MORVINE = u"MORVINE.EXE"_s;

// Colonnes et rangées de la fenêtre, en twips.
constexpr double GAUCHE = 240;
constexpr double GAUCHE_CHAMPS = 3360;
constexpr double PAS = 360;
constexpr double HAUTEUR_LIGNE = 285;
constexpr double GAUCHE_BOUTONS = 6000;
constexpr double LARGEUR = 7800;
constexpr double HAUTEUR = 5040;

// Lecture d'une clé : un KALDRON.INI présent mais illisible est une erreur
// d'accès, alors que la couche de profil n'y verrait qu'un fichier absent.
QString lire(const QString& cle, const QString& defaut, unsigned tampon) {
    const QString hote = plateforme::chemin_profil(reglages().chemin_configuration);
    const QFileInfo info(hote);
    if (info.exists()) {
        QFile fichier(hote);
        if (info.isDir() || !fichier.open(QIODevice::ReadOnly))
            plateforme::lever(plateforme::ERR_DISQUE_PAS_PRET);
    }
    return configuration::lire(u"Options"_s, cle, defaut, tampon);
}

// Une écriture refusée n'est pas passée sous silence : l'usager doit savoir
// que son réglage n'est pas enregistré.
void ecrire(const QString& cle, const QString& valeur) {
    if (!plateforme::ecrire_profil(u"Options"_s, cle, valeur, reglages().chemin_configuration))
        plateforme::lever(plateforme::ERR_PERMISSION);
}

QString oui_non(const QCheckBox* c) {
    return c->isChecked() ? u"Oui"_s : u"Non"_s;
}

// La fenêtre est plus stricte que le démarrage : "Oui" exactement.
bool coche(const QString& valeur) {
    return valeur.left(3) == u"Oui"_s;
}

QString programme_lu(const QString& valeur, const QString& defaut) {
    return valeur.isEmpty() ? defaut : valeur.toUpper();
}

QString programme_saisi(const QLineEdit* champ, const QString& defaut) {
    const QString texte = champ->text().trimmed();
    return texte.isEmpty() ? defaut : texte;
}

void colorer(QWidget* w, int couleur) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, couleur_vga(couleur));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

} // namespace

// ------------------------------------------------------------ construction

Choix_Options::Choix_Options(Gestion_Fichiers* principale)
    : QDialog(principale), m_principale(principale) {
    setObjectName(u"Choix_Options"_s);
    setWindowTitle(u"Options de KALDRON"_s);
    construire_noms();
    construire_cases();
    construire_couleur();
    construire_lignes();
    construire_repertoire();
    construire_boutons();
    attacher_aides();
    connecter();
    setFixedSize(plateforme::twips_vers_pixels_x(LARGEUR),
                 plateforme::twips_vers_pixels_y(HAUTEUR));
    // Échantillon du schéma gris tant que rien n'est lu.
    montrer_echantillon(0);
}

QLabel* Choix_Options::etiquette(QLabel*& label, const QString& nom, const QString& texte,
                                 double haut) {
    label = new QLabel(texte, this);
    label->setObjectName(nom);
    placer(label, GAUCHE, haut, GAUCHE_CHAMPS - GAUCHE - 60, HAUTEUR_LIGNE);
    return label;
}

void Choix_Options::construire_noms() {
    const auto champ = [this](QLineEdit*& c, const QString& nom, double haut) {
        c = new QLineEdit(this);
        c->setObjectName(nom);
        c->setToolTip(u"saisir un nom de programme"_s);
        placer(c, GAUCHE_CHAMPS, haut, 2280, HAUTEUR_LIGNE);
    };
    etiquette(Label_éditeur, u"Label_éditeur"_s, u"Nom de votre éditeur de texte. . ."_s, 240);
    champ(Nom_éditeur, u"Nom_éditeur"_s, 240);
    etiquette(Label_visualiseur, u"Label_visualiseur"_s, u"Nom de votre visualiseur . . . . . ."_s,
              240 + PAS);
    champ(Nom_visualiseur, u"Nom_visualiseur"_s, 240 + PAS);
}

QCheckBox* Choix_Options::case_a_cocher(const QString& nom, const QString& bulle, double haut) {
    auto* c = new QCheckBox(this);
    c->setObjectName(nom);
    c->setToolTip(bulle);
    placer(c, GAUCHE_CHAMPS, haut, 300, HAUTEUR_LIGNE);
    return c;
}

void Choix_Options::construire_cases() {
    double haut = 240 + 2 * PAS;
    const auto rangee = [&](QLabel*& label, const QString& nom_label, const QString& texte,
                            const QString& nom, const QString& bulle) {
        etiquette(label, nom_label, texte, haut);
        QCheckBox* c = case_a_cocher(nom, bulle, haut);
        haut += PAS;
        return c;
    };
    Confirmation =
        rangee(Label_confirme, u"Label_confirme"_s, u"Confirmation des commandes . . ."_s,
               u"Confirmation"_s, u"confirmer ou non les commandes"_s);
    Remplacement =
        rangee(Label_remplace, u"Label_remplace"_s, u"Confirmation des remplacements ."_s,
               u"Remplacement"_s, u"prévenir si le fichier existe déjà"_s);
    Iconisé = rangee(Label_icone, u"Label_icone"_s, u"En icône au lancement . . . . . . . "_s,
                     u"Iconisé"_s, u"mettre KALDRON en icône à son lancement"_s);
    Aide = rangee(Label_aide, u"Label_aide"_s, u"Aide en ligne ou contextuelle . . ."_s, u"Aide"_s,
                  u"activer l'aide en ligne ou non"_s);
    Cachés = rangee(Label_lister, u"Label_lister"_s, u"Lister les fichiers cachés . . . . . ."_s,
                    u"Cachés"_s, u"voir les fichiers cachés dans les listes de fichiers"_s);
}

void Choix_Options::construire_couleur() {
    Label_couleur = new QLabel(u"Couleur du fond"_s, this);
    Label_couleur->setObjectName(u"Label_couleur"_s);
    placer(Label_couleur, GAUCHE, 2880, 1500, HAUTEUR_LIGNE);
    Choix_couleur = new QScrollBar(Qt::Horizontal, this);
    Choix_couleur->setObjectName(u"Choix_couleur"_s);
    Choix_couleur->setRange(0, 7);
    Choix_couleur->setSingleStep(1);
    Choix_couleur->setPageStep(1);
    placer(Choix_couleur, 1800, 2895, 1800, 255);
    Exemple_fond = new QFrame(this);
    Exemple_fond->setObjectName(u"Exemple_fond"_s);
    Exemple_fond->setToolTip(u"couleur de la fenêtre KALDRON"_s);
    placer(Exemple_fond, 3840, 2760, 1800, 540);
    Exemple = new QLineEdit(u"Exemple"_s, Exemple_fond);
    Exemple->setObjectName(u"Exemple"_s);
    Exemple->setToolTip(u"couleur de la fenêtre KALDRON et de Windows"_s);
    Exemple->setAlignment(Qt::AlignCenter);
    Exemple->installEventFilter(this);
    placer(Exemple, 300, 120, 1200, 300);
}

// Ligne1, Ligne2, Ligne7 et Ligne8 encadrent l'échantillon et prennent la
// couleur des traits du schéma ; les autres séparent les groupes.
void Choix_Options::construire_lignes() {
    const double traits[10][4] = {{},
                                  {3780, 2700, 1920, 15},
                                  {3780, 3330, 1920, 15},
                                  {120, 2700, 3540, 15},
                                  {120, 3480, 5640, 15},
                                  {5880, 120, 15, 4680},
                                  {5940, 1980, 1740, 15},
                                  {3780, 2700, 15, 645},
                                  {5685, 2700, 15, 645},
                                  {120, 4800, 7560, 15}};
    for (int i = 1; i <= 9; ++i) {
        Lignes[i] = new Ligne(this);
        Lignes[i]->setObjectName(u"Ligne%1"_s.arg(i));
        placer(Lignes[i], traits[i][0], traits[i][1], traits[i][2], traits[i][3]);
    }
}

void Choix_Options::construire_repertoire() {
    Cadre_premier = new QFrame(this);
    Cadre_premier->setObjectName(u"Cadre_premier"_s);
    Cadre_premier->setFrameShape(QFrame::Box);
    placer(Cadre_premier, GAUCHE, 3570, 5400, 1170);
    Label_répertoire = new QLabel(u"Répertoire initial"_s, Cadre_premier);
    Label_répertoire->setObjectName(u"Label_répertoire"_s);
    placer(Label_répertoire, 120, 30, 2400, 255);
    const auto option = [this](QRadioButton*& b, const QString& nom, const QString& texte,
                               const QString& bulle, double haut, double largeur) {
        b = new QRadioButton(texte, Cadre_premier);
        b->setObjectName(nom);
        b->setToolTip(bulle);
        placer(b, 240, haut, largeur, 255);
    };
    option(Courant, u"Courant"_s, u" Répertoire courant"_s,
           u"positionne KALDRON sur le répertoire courant"_s, 300, 2600);
    option(Racine, u"Racine"_s, u" Répertoire racine"_s,
           u"positionne KALDRON sur le répertoire racine"_s, 570, 2600);
    const QString choix = u"positionne KALDRON sur un répertoire et disque au choix"_s;
    option(Choisi, u"Choisi"_s, QString(), choix, 840, 300);
    Répert_choisi = new QLineEdit(Cadre_premier);
    Répert_choisi->setObjectName(u"Répert_choisi"_s);
    Répert_choisi->setToolTip(choix);
    placer(Répert_choisi, 600, 825, 4560, HAUTEUR_LIGNE);
}

void Choix_Options::construire_boutons() {
    const auto bouton = [this](QPushButton*& b, const QString& nom, const QString& legende,
                               const QString& bulle, double haut) {
        b = new QPushButton(legende, this);
        b->setObjectName(nom);
        b->setToolTip(bulle);
        b->setAutoDefault(false);
        placer(b, GAUCHE_BOUTONS, haut, 1560, 360);
    };
    bouton(Bureau, u"Bureau"_s, u"&Bureau"_s, u"paramètrage des éléments du \"bureau\" Windows"_s,
           240);
    bouton(Couleurs, u"Couleurs"_s, u"&Couleurs"_s, u"paramètrage des couleurs de Windows"_s, 660);
    bouton(DateHeure, u"DateHeure"_s, u"&Date-Heure"_s, u"réglage de la date et heure"_s, 1080);
    bouton(Imprimantes, u"Imprimantes"_s, u"&Imprimantes"_s, u"paramètrage des imprimantes"_s,
           1500);
    bouton(OK, u"OK"_s, u"&OK"_s, u"enregistre et termine la commande"_s, 3720);
    bouton(Annule, u"Annule"_s, u"&Annuler"_s, u"annule les modifications"_s, 4200);
    OK->setDefault(true);
}

void Choix_Options::attacher_aides() {
    const QString choisi =
        u"  Cette option positionnera les listes de répertoires 'SOURCE' et 'DESTINATION' dans "
        "le répertoire saisi par vous dans ce champ. Vous devez spécifier le chemin complet de "
        "ce répertoire avec ou sans l'unité, par exemple:  d:\\windows\\winword\\courrier"_s;
    const std::pair<QWidget*, QString> textes[] = {
        {Aide,
         u"  Si cette case est cochée, l'appui sur la touche F1 ou le clic sur le point "
         "d'interrogation appellera l'aide en ligne au lieu de l'aide contextuelle. Par défaut "
         "elle n'est pas cochée."_s},
        {Bureau, u"  Ce bouton permet de configurer l'aspect du 'bureau Windows'."_s},
        {Cachés,
         u"  Cette case, si elle est cochée, fera apparaître dans les listes de fichiers "
         "'SOURCE' et 'DESTINATION' les fichiers normalement invisibles grâce à leur attribut "
         "'Fichier caché'."_s +
             CR +
             u"Cette option est invalidée à chaque chargement de KALDRON. Par défaut elle n'est "
             "pas cochée."_s},
        {Confirmation,
         u"  Cette case, si elle est cochée, vous demandera de confirmer chacune des commandes "
         "que vous cliquerez; cette option est intéressante en cours de prise en main."_s +
             CR +
             u"La commande EFFACER demandera toujours une confirmation, que la case soit cochée "
             "ou non. Par défaut elle n'est pas cochée."_s},
        {Couleurs, u"  Ce bouton permet de configurer les couleurs du 'bureau Windows'."_s},
        {Courant,
         u"  Cette option positionnera les listes de répertoires 'SOURCE' et 'DESTINATION' dans "
         "le répertoire 'COURANT' qui sera en principe le répertoire de Windows. C'est l'option "
         "par défaut."_s},
        {DateHeure, u"  Ce bouton permet de modifier la date et l'heure de votre système."_s},
        {Iconisé,
         u"  Cette case, si elle cochée, mettra le Gestionnaire de Fichiers en icône à son "
         "lancement."_s +
             CR +
             u"Cette option est utile lorsque KALDRON est lancé par le groupe de démarrage de "
             "Windows."_s +
             CR + u"Par défaut elle n'est pas cochée."_s},
        {Imprimantes,
         u"  Ce bouton permet de configurer, choisir ou installer des imprimantes sur votre "
         "système."_s},
        {Nom_éditeur,
         u"  Ce champ vous permet de saisir le nom d'un éditeur de texte (DOS ou Windows) de "
         "votre choix qui sera appelé dans le répertoire de Windows ou de Kaldron chaque fois "
         "que vous ferez un double-clic sur un fichier 'SOURCE' dont l'extension est différente "
         "de EXE, COM, BAT ou PIF"_s +
             u" et aussi avec la commande EDITER. Par défaut l'éditeur NOTEPAD.EXE sera "
             "sélectionné."_s},
        {Nom_visualiseur,
         u"  Ce champ vous permet de saisir le nom d'un visualiseur de fichiers (DOS ou Windows) "
         "de votre choix qui sera appelé avec la commande VISUALISER."_s +
             u" Par défaut le visualiseur MORVINE.EXE sera sélectionné. Le programme devra se "
             "trouver dans le répertoire de Windows ou de Kaldron."_s},
        {Racine,
         u"  Cette option positionnera les listes de répertoires 'SOURCE' et 'DESTINATION' dans "
         "le répertoire 'RACINE' du disque, lequel contient tous les autres."_s},
        {Remplacement,
         u"  Cette case, si elle cochée, vous demandera de confirmer la copie du fichier "
         "'SOURCE' si ce fichier existe déjà dans le répertoire 'DESTINATION'. Par défaut elle "
         "est cochée."_s +
             CR +
             u"Si le répertoire 'DESTINATION' est le même que le répertoire 'SOURCE', il sera "
             "demandé un nom de fichier : c'est la fonction 'COPIER-RENOMMER' en une opération "
             "de KALDRON."_s},
        {Répert_choisi, choisi},
        {Choisi, choisi},
    };
    for (const auto& [controle, texte] : textes)
        aide::attacher(controle, texte);
    aide::attacher(Label_répertoire,
                   u"  Ce cadre indique au gestionnaire quel sera le répertoire 'SOURCE' et "
                   "'DESTINATION' ouvert au lancement."_s +
                       u" Le répertoire COURANT sera en principe le répertoire qui contient "
                       "Windows,"_s +
                       u" le répertoire RACINE est le répertoire principal et contient tous les "
                       "autres"_s +
                       u" et le dernier choix vous permet de saisir un nom de répertoire existant "
                       "avec son chemin d'accès."_s,
                   aide::Declencheur::Clic);
    for (QWidget* w :
         {static_cast<QWidget*>(this), static_cast<QWidget*>(OK), static_cast<QWidget*>(Annule)})
        aide::vider_au_survol(w);
    aide::installer_f1(this);
}

void Choix_Options::connecter() {
    connect(Nom_éditeur, &QLineEdit::textChanged, this, [this] { Nom_éditeur_Change(); });
    connect(Nom_visualiseur, &QLineEdit::textChanged, this, [this] { Nom_visualiseur_Change(); });
    // valueChanged couvre le changement et le glissement du curseur.
    connect(Choix_couleur, &QScrollBar::valueChanged, this, [this] { Choix_couleur_Change(); });
    connect(Choisi, &QRadioButton::clicked, this, [this] { Choisi_Click(); });
    // clicked, et non toggled : cocher à l'ouverture n'agit pas sur les listes.
    connect(Cachés, &QCheckBox::clicked, this, [this] { Cachés_Click(); });
    connect(Bureau, &QPushButton::clicked, this, [this] { Bureau_Click(); });
    connect(Couleurs, &QPushButton::clicked, this, [this] { Couleurs_Click(); });
    connect(DateHeure, &QPushButton::clicked, this, [this] { DateHeure_Click(); });
    connect(Imprimantes, &QPushButton::clicked, this, [this] { Imprimantes_Click(); });
    connect(OK, &QPushButton::clicked, this, [this] { OK_Click(); });
    connect(Annule, &QPushButton::clicked, this, [this] { Annule_Click(); });
}

bool Choix_Options::eventFilter(QObject* objet, QEvent* evenement) {
    if (objet == Exemple && evenement->type() == QEvent::FocusIn)
        Exemple_GotFocus();
    return QDialog::eventFilter(objet, evenement);
}

void Choix_Options::reject() {
    Annule_Click();
}

// ------------------------------------------------------------- événements

void Choix_Options::Form_Load() {
    move(position_dialogue(1450, 390));
    etat_commande().commande_courante = u"Lecture OPTIONS"_s;
    m_couleur_avant = reglages().couleur;
    lire_options();
}

// Une erreur abandonnée arrête la lecture : les contrôles restent tels quels.
void Choix_Options::lire_options() {
    const std::function<void()> etapes[] = {
        [this] {
            nom_éditeur =
                programme_lu(lire(u"Editeur"_s, NOTEPAD, configuration::TAMPON_PROGRAMME), NOTEPAD);
            Nom_éditeur->setText(nom_éditeur);
        },
        [this] {
            nom_visualiseur = programme_lu(
                lire(u"Visualiseur"_s, MORVINE, configuration::TAMPON_PROGRAMME), MORVINE);
            Nom_visualiseur->setText(nom_visualiseur);
        },
        [this] {
            Confirmation->setChecked(
                coche(lire(u"Confirme"_s, u"Non"_s, configuration::TAMPON_OUI_NON)));
        },
        [this] {
            Remplacement->setChecked(
                coche(lire(u"Remplace"_s, u"Oui"_s, configuration::TAMPON_OUI_NON)));
        },
        [this] {
            reglages().iconisé = lire(u"Iconisé"_s, u"Non"_s, configuration::TAMPON_OUI_NON);
            Iconisé->setChecked(coche(reglages().iconisé));
        },
        [this] {
            reglages().aide_en_ligne =
                lire(u"Aide en ligne"_s, u"Non"_s, configuration::TAMPON_OUI_NON);
            Aide->setChecked(coche(reglages().aide_en_ligne));
        },
        [this] {
            const QString valeur =
                lire(u"Répertoire"_s, u"Racine"_s, configuration::TAMPON_REPERTOIRE);
            if (valeur.toUpper() == u"COURANT"_s) {
                Courant->setChecked(true);
            } else if (valeur.toUpper() == u"RACINE"_s) {
                Racine->setChecked(true);
            } else {
                Répert_choisi->setText(valeur);
                Choisi->setChecked(true);
            }
        },
        [this] { Cachés->setChecked(m_principale->Fichier_srce->hiddenShown()); },
        [this] {
            // Un chiffre 8 ou 9 se borne à 7, comme le fait la recoloration.
            const int lu = static_cast<int>(
                plateforme::val(lire(u"Couleur"_s, u"0"_s, configuration::TAMPON_COULEUR)));
            const int avant = Choix_couleur->value();
            Choix_couleur->setValue(lu);
            // Même valeur : pas de Change, mais le réglage doit suivre le fichier.
            if (Choix_couleur->value() == avant)
                Choix_couleur_Change();
        },
    };
    for (const auto& e : etapes)
        if (!etape(e))
            return;
}

bool Choix_Options::etape(const std::function<void()>& action) {
    return plateforme::executer_avec_reprise(action, [](const ErreurExecution& e) {
        EtatCommande& etat = etat_commande();
        etat.réponse_de_commande = 0; // une réponse ancienne n'est pas un Réessayer
        Rapport_erreur(reglages().unité_programme, e);
        return etat.réponse_de_commande;
    });
}

void Choix_Options::Nom_éditeur_Change() {
    reglages().éditeur = Nom_éditeur->text().trimmed();
}

void Choix_Options::Nom_visualiseur_Change() {
    reglages().visualiseur = Nom_visualiseur->text().trimmed();
}

void Choix_Options::Choix_couleur_Change() {
    reglages().couleur = Choix_couleur->value();
    montrer_echantillon(Choix_couleur->value());
}

// La fenêtre principale n'est recolorée qu'à OK.
void Choix_Options::montrer_echantillon(int schema) {
    colorer(Exemple_fond, schema == 0 ? 8 : schema);
    for (int i : {1, 2, 7, 8})
        Lignes[i]->setBorderColor(couleur_vga(schema == 0 ? 7 : schema + 8));
}

void Choix_Options::Exemple_GotFocus() {
    Nom_éditeur->setFocus();
}

void Choix_Options::Choisi_Click() {
    if (Répert_choisi->text().isEmpty())
        Répert_choisi->setFocus();
}

void Choix_Options::Cachés_Click() {
    const bool caches = Cachés->isChecked();
    for (plateforme::ListeFichiers* liste :
         {m_principale->Fichier_srce, m_principale->Fichier_dest}) {
        try {
            liste->setHidden(caches);
        } catch (const ErreurExecution& e) {
            Rapport_erreur(liste->path(), e);
        }
    }
}

void Choix_Options::Bureau_Click() {
    Lancer_panneau(u"Desktop"_s);
}

void Choix_Options::Couleurs_Click() {
    Lancer_panneau(u"Color"_s);
}

void Choix_Options::DateHeure_Click() {
    Lancer_panneau(u"Date/Time"_s);
}

void Choix_Options::Imprimantes_Click() {
    Lancer_panneau(u"Printers"_s);
}

void Choix_Options::Lancer_panneau(const QString& page) {
    panneaux::lancer(page);
}

void Choix_Options::OK_Click() {
    etat_commande().commande_courante = u"Ecriture OPTIONS"_s;
    ecrire_options();
    fermer();
    accept();
}

// Chaque clé est écrite aussitôt ; une erreur abandonnée laisse les suivantes.
void Choix_Options::ecrire_options() {
    Reglages& r = reglages();
    const std::function<void()> etapes[] = {
        [this] {
            nom_éditeur = programme_saisi(Nom_éditeur, NOTEPAD);
            ecrire(u"Editeur"_s, nom_éditeur);
        },
        [this] {
            nom_visualiseur = programme_saisi(Nom_visualiseur, MORVINE);
            ecrire(u"Visualiseur"_s, nom_visualiseur);
        },
        [this, &r] {
            r.iconisé = oui_non(Iconisé);
            ecrire(u"Iconisé"_s, r.iconisé);
        },
        [this, &r] {
            r.aide_en_ligne = oui_non(Aide);
            ecrire(u"Aide en ligne"_s, r.aide_en_ligne);
        },
        [this, &r] {
            r.confirme = Confirmation->isChecked();
            ecrire(u"Confirme"_s, oui_non(Confirmation));
        },
        [this, &r] {
            r.remplace = Remplacement->isChecked();
            ecrire(u"Remplace"_s, oui_non(Remplacement));
        },
        [&r] { ecrire(u"Couleur"_s, QString::number(r.couleur)); },
        [this, &r] { m_principale->Appliquer_couleurs(r.couleur); },
        [this, &r] {
            r.répertoire_initial = repertoire_choisi();
            ecrire(u"Répertoire"_s, r.répertoire_initial);
        },
    };
    for (const auto& e : etapes)
        if (!etape(e))
            return;
}

// Un répertoire choisi fait de blancs s'écrirait vide : il vaut "Courant".
QString Choix_Options::repertoire_choisi() const {
    if (Courant->isChecked())
        return u"Courant"_s;
    if (Racine->isChecked())
        return u"Racine"_s;
    if (Choisi->isChecked() && !Répert_choisi->text().trimmed().isEmpty())
        return Répert_choisi->text();
    return u"Courant"_s;
}

void Choix_Options::Annule_Click() {
    // Le schéma essayé sur l'échantillon n'est pas gardé.
    reglages().couleur = m_couleur_avant;
    fermer();
    QDialog::reject();
}

void Choix_Options::fermer() {
    aide::fenetre_fermee();
}

// ------------------------------------------------------- fenêtre principale

void Gestion_Fichiers::connecter_options() {
    commandes_construites.insert(Options);
    activer_commande(Options, true);
    connect(Options, &QPushButton::clicked, this, [this] { Options_Click(); });
}

// La fenêtre tient la commande sans passer par Rafraichir_affichage : les
// listes gardent leur état (fichiers cachés compris).
void Gestion_Fichiers::Options_Click() {
    if (!Debut_commande())
        return;
    etat_commande().commande_courante = u"OPTIONS"_s;
    {
        Choix_Options fenetre(this);
        fenetre.Form_Load();
        fenetre.exec();
    }
    etat_commande().commande_en_cours = false;
    Croiser->setEnabled(true);
}
