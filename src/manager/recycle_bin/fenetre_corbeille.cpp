// Fenêtre Corbeille : récupération des fichiers et limite de la corbeille.
#include "manager/recycle_bin/fenetre_corbeille.h"
#include "manager/common/aide_contextuelle.h"
#include "manager/common/etat_commande.h"
#include "manager/common/fenetre_principale.h"
#include "manager/common/rapport_erreur.h"
#include "manager/configuration/reglages.h"
#include "manager/main_window/gestion_fichiers.h"
#include "manager/recycle_bin/corbeille.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/profil.h"
#include <QEvent>
#include <QLabel>

using namespace Qt::StringLiterals;

namespace {

const QString CR = QString(QChar(13));

// Retire les caractères qui ne sont pas des chiffres, un bip pour chacun.
void garder_chiffres(QLineEdit* champ) {
    QString texte = champ->text();
    bool change = false;
    for (qsizetype i = 0; i < texte.size();) {
        if (texte[i] >= u'0' && texte[i] <= u'9') {
            ++i;
            continue;
        }
        plateforme::dialogues().bip();
        texte.remove(i, 1);
        change = true;
    }
    if (change)
        champ->setText(texte);
}

void ecrire_corbeille(const QString& cle, const std::optional<QString>& valeur) {
    plateforme::ecrire_profil(u"Corbeille"_s, cle, valeur, reglages().chemin_configuration);
}

} // namespace

Corbeille::Corbeille(Gestion_Fichiers* principale) : QDialog(principale), m_principale(principale) {
    setWindowTitle(u"Corbeille"_s);
    Fichier_effacé = new QListWidget(this);
    Fichier_effacé->setSelectionMode(QAbstractItemView::MultiSelection);
    Fichier_effacé->setGeometry(8, 8, 400, 200);
    Récupérer = new QPushButton(u"&Récupérer"_s, this);
    Récupérer->setToolTip(u"restaure les fichiers sélectionnés"_s);
    Récupérer->setGeometry(420, 8, 100, 28);
    Récupérer->setEnabled(false);
    Fin = new QPushButton(u"&Fin"_s, this);
    Fin->setToolTip(u"termine la commande"_s);
    Fin->setGeometry(420, 44, 100, 28);
    auto* label_taille = new QLabel(u"Taille de la corbeille     :"_s, this);
    label_taille->setGeometry(8, 216, 200, 24);
    Taille = new QLineEdit(this);
    Taille->setToolTip(u"saisir une valeur de 1 à 9999"_s);
    Taille->setMaxLength(4);
    Taille->setGeometry(210, 216, 60, 24);
    (new QLabel(u"Ko"_s, this))->setGeometry(275, 216, 40, 24);
    auto* label_temps = new QLabel(u"Temps de conservation :"_s, this);
    label_temps->setGeometry(8, 248, 200, 24);
    Temps = new QLineEdit(this);
    Temps->setToolTip(u"saisir une valeur de 1 à 999"_s);
    Temps->setMaxLength(3);
    Temps->setGeometry(210, 248, 60, 24);
    (new QLabel(u"Jours"_s, this))->setGeometry(275, 248, 40, 24);
    setFixedSize(530, 282);
    Taille->installEventFilter(this);
    Temps->installEventFilter(this);
    connect(Fichier_effacé, &QListWidget::itemSelectionChanged, this,
            [this] { Fichier_effacé_Click(); });
    connect(Fichier_effacé, &QListWidget::itemDoubleClicked, this,
            [this] { Fichier_effacé_DblClick(); });
    connect(Récupérer, &QPushButton::clicked, this, [this] { Récupérer_Click(); });
    connect(Fin, &QPushButton::clicked, this, [this] { Fin_Click(); });
    connect(Taille, &QLineEdit::textChanged, this, [this] { Taille_Change(); });
    connect(Temps, &QLineEdit::textChanged, this, [this] { Temps_Change(); });
    brancher_aide();
}

bool Corbeille::eventFilter(QObject* objet, QEvent* evenement) {
    if (evenement->type() == QEvent::FocusIn)
        objet == Taille ? Taille_GotFocus() : Temps_GotFocus();
    return QDialog::eventFilter(objet, evenement);
}

void Corbeille::Form_Load() {
    move(position_dialogue(1500, 440));
    const Reglages& r = reglages();
    if (!r.corbeille_active)
        return;
    etat_commande().commande_courante = u"Lecture CORBEILLE"_s;
    try {
        m_entrees = entrees_corbeille();
    } catch (const plateforme::ErreurExecution& erreur) {
        Rapport_erreur(r.chemin_configuration, erreur);
    }
    // Le total se recalcule d'après l'index.
    etat_corbeille().total_corbeille = 0;
    for (const EntreeCorbeille& e : m_entrees) {
        Fichier_effacé->addItem(e.chemin_origine());
        etat_corbeille().total_corbeille += e.taille;
    }
    Taille->setText(r.taille_corbeille_texte);
    Temps->setText(r.temps_corbeille_texte);
    signaler_lignes_douteuses();
}

void Corbeille::Fichier_effacé_Click() {
    Récupérer->setEnabled(!Fichier_effacé->selectedItems().isEmpty());
}

void Corbeille::Fichier_effacé_DblClick() {
    if (Récupérer->isEnabled())
        Récupérer_Click();
}

void Corbeille::Récupérer_Click() {
    etat_commande().commande_courante = u"RECUPERER"_s;
    try {
        for (int i = 0; i < Fichier_effacé->count() && i < m_entrees.size(); ++i)
            if (Fichier_effacé->item(i)->isSelected())
                restaurer(m_entrees[i]);
        Ouvrir_corbeille();
        enregistrer_total();
    } catch (const plateforme::ErreurExecution& erreur) {
        Rapport_erreur(reglages().chemin_configuration, erreur);
    }
    m_principale->relire_apres_corbeille();
    aide::fenetre_fermee();
    accept();
}

// Un nom déjà pris fait demander un autre nom ; vide, l'entrée reste.
void Corbeille::restaurer(const EntreeCorbeille& entree) {
    const QString titre = etat_commande().commande_courante;
    QString nom = entree.nom;
    for (;;) {
        try {
            restaurer_entree(entree, nom);
            return;
        } catch (const plateforme::ErreurExecution& erreur) {
            if (erreur.numero() == 53 || erreur.numero() == 76) {
                plateforme::dialogues().bip();
                plateforme::dialogues().message(u"Le fichier"_s + CR + (entree.repertoire + nom) +
                                                    CR +
                                                    u"ou son chemin d'accès n'existe plus :"_s +
                                                    CR + u"il va être éliminé de la corbeille."_s,
                                                plateforme::MB_OK + plateforme::MB_STOP, titre);
                oublier_entree(entree);
                return;
            }
            if (erreur.numero() != 58) {
                Rapport_erreur(entree.repertoire + nom, erreur);
                return;
            }
            plateforme::dialogues().bip();
            nom = plateforme::dialogues().saisie(
                u"Le fichier "_s + nom + u" existe déjà dans le même répertoire,"_s + CR +
                    u"entrez un nom de remplacement sinon il restera dans la corbeille."_s,
                titre);
            if (nom.isEmpty())
                return;
        }
    }
}

void Corbeille::Taille_Change() {
    garder_chiffres(Taille);
}

void Corbeille::Temps_Change() {
    garder_chiffres(Temps);
}

// Une seule limite à la fois : entrer dans un champ vide l'autre.
void Corbeille::Taille_GotFocus() {
    Reglages& r = reglages();
    if (r.taille_corbeille != 0)
        Taille->setText(QString::number(r.taille_corbeille));
    r.temps_corbeille = qint16(Temps->text().toInt());
    Temps->clear();
}

void Corbeille::Temps_GotFocus() {
    Reglages& r = reglages();
    if (r.temps_corbeille != 0)
        Temps->setText(QString::number(r.temps_corbeille));
    r.taille_corbeille = Taille->text().toInt();
    Taille->clear();
}

void Corbeille::Fin_Click() {
    etat_commande().commande_courante = u"Ecriture CORBEILLE"_s;
    if (!limite_acceptable())
        return;
    try {
        if (!enregistrer_limite() && etat_corbeille().total_corbeille >= 1 &&
            !confirmer_suppression())
            return;
    } catch (const plateforme::ErreurExecution& erreur) {
        Rapport_erreur(reglages().chemin_configuration, erreur);
    }
    signaler_lignes_douteuses();
    aide::fenetre_fermee();
    accept();
}

// Zéro (ou une limite qui ne tiendrait pas) ferait tout purger : refusé
// avant que rien ne soit écrit, la fenêtre reste ouverte.
bool Corbeille::limite_acceptable() {
    const bool taille = !Taille->text().isEmpty();
    QLineEdit* champ = taille ? Taille : Temps;
    if (champ->text().isEmpty() ||
        limite_corbeille_valide(champ->text(), taille ? TAILLE_CORBEILLE_MAX : TEMPS_CORBEILLE_MAX))
        return true;
    plateforme::dialogues().bip();
    plateforme::dialogues().message(
        taille ? u"La taille de la corbeille doit être de 1 à 9999 Ko."_s
               : u"Le temps de conservation doit être de 1 à 999 jours."_s,
        plateforme::MB_OK + plateforme::MB_EXCLAMATION, etat_commande().commande_courante);
    return false;
}

// Écrit Taille ou Temps ; vrai quand la corbeille reste en service.
bool Corbeille::enregistrer_limite() {
    Reglages& r = reglages();
    ecrire_corbeille(u"Taille"_s, std::nullopt);
    ecrire_corbeille(u"Temps"_s, std::nullopt);
    r.corbeille_active = false;
    const bool taille = !Taille->text().isEmpty();
    if (!taille && Temps->text().isEmpty())
        return false;
    const QString texte = taille ? Taille->text() : Temps->text();
    ecrire_corbeille(taille ? u"Taille"_s : u"Temps"_s, texte);
    r.taille_corbeille_texte = taille ? texte : QString();
    r.taille_corbeille = taille ? texte.toInt() : 0;
    r.temps_corbeille_texte = taille ? QString() : texte;
    r.temps_corbeille = taille ? qint16(0) : qint16(texte.toInt());
    r.corbeille_active = true;
    Ouvrir_corbeille();
    Purger_corbeille();
    return true;
}

// Non : la fenêtre reste ouverte pour qu'on saisisse une limite.
bool Corbeille::confirmer_suppression() {
    plateforme::dialogues().bip();
    const int reponse = plateforme::dialogues().message(
        u"Attention ! La corbeille contient des fichiers que vous allez perdre si vous ne "
        u"saisissez pas une taille ou un temps."_s +
            CR + u"Confirmez-vous la suppression de la corbeille ?"_s,
        plateforme::MB_OUI_NON + plateforme::MB_QUESTION + plateforme::MB_DEFAUT_2,
        u"Gestionnaire de fichiers"_s);
    if (reponse != plateforme::REP_OUI)
        return false;
    vider_corbeille();
    m_principale->Afficher_espace_libre();
    return true;
}

// Un répertoire effacé derrière le programme : l'erreur est expliquée
// (Réessayer relit), puis le cadre remonte au plus proche parent plutôt que
// de montrer les fichiers d'un répertoire qui n'existe plus.
void Gestion_Fichiers::relire_apres_corbeille() {
    const QString commande = etat_commande().commande_courante;
    for (const bool source : {true, false}) {
        const Cadre c = cadre(source);
        const QString chemin = c.fichier->path();
        const bool relue =
            plateforme::executer_avec_reprise([&] { c.fichier->rafraichir(); },
                                              [&](const plateforme::ErreurExecution& e) {
                                                  return signaler_erreur(commande, chemin, e);
                                              });
        if (!relue)
            replier(c);
    }
    plateforme::executer_avec_reprise([&] { Afficher_espace_libre(); },
                                      [&](const plateforme::ErreurExecution& e) {
                                          return signaler_erreur(commande, lieu_espace_libre(), e);
                                      });
}

void Gestion_Fichiers::Corbeill_Click() {
    if (!Debut_commande())
        return;
    etat_commande().commande_courante = u"CORBEILLE"_s;
    Corbeille fenetre(this);
    fenetre.Form_Load();
    fenetre.exec();
    etat_commande().commande_en_cours = false;
    Croiser->setEnabled(true);
}
