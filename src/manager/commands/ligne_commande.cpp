// Ligne de commande : une commande DOS ou Windows tapée après l'invite du
// répertoire SOURCE, lancée dans ce répertoire ; les 30 dernières restent
// dans la liste déroulante tant que KALDRON tourne.
#include "manager/common/etat_commande.h"
#include "manager/main_window/gestion_fichiers.h"
#include "platform/dialogues.h"
#include "platform/erreurs.h"
#include "platform/lancement.h"
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>

using namespace Qt::StringLiterals;

namespace {

constexpr int MAXIMUM_HISTORIQUE = 30;

// Touches et perte du focus de la ligne de commande (et de son champ).
class FiltreLigneCommande : public QObject {
public:
    explicit FiltreLigneCommande(Gestion_Fichiers* fenetre)
        : QObject(fenetre), m_fenetre(fenetre) {}

protected:
    bool eventFilter(QObject* objet, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            const int touche = static_cast<QKeyEvent*>(e)->key();
            if (touche == Qt::Key_Return || touche == Qt::Key_Enter) {
                m_fenetre->Ligne_commande_KeyDown(13);
                return true;
            }
        } else if (e->type() == QEvent::FocusOut && objet == m_fenetre->Ligne_commande) {
            // L'ouverture de la liste déroulante ne fait pas partir la ligne.
            if (static_cast<QFocusEvent*>(e)->reason() != Qt::PopupFocusReason)
                m_fenetre->Ligne_commande_LostFocus();
        }
        return QObject::eventFilter(objet, e);
    }

private:
    Gestion_Fichiers* m_fenetre;
};

// Fin du nom du programme : le guillemet fermant d'un nom entre
// guillemets, sinon le premier blanc, sinon la fin de la ligne.
qsizetype fin_du_programme(const QString& ligne) {
    qsizetype fin = -1;
    if (ligne.startsWith(u'"'))
        fin = ligne.indexOf(u'"', 1);
    if (fin < 0)
        fin = ligne.indexOf(u' ');
    return fin < 0 ? ligne.size() : fin;
}

// Le reste après le premier blanc forme un seul paramètre ; l'usager qui a
// déjà mis ses guillemets garde les siens.
QString ligne_a_lancer(const QString& commande) {
    const qsizetype blanc = commande.indexOf(u' ');
    if (blanc < 0)
        return commande;
    const QString reste = commande.mid(blanc + 1);
    if (reste.contains(u'"'))
        return commande;
    return commande.left(blanc + 1) + u'"' + reste + u'"';
}

} // namespace

void Gestion_Fichiers::connecter_ligne_commande() {
    Ligne_commande->setToolTip(u"liste des commandes DOS ou Windows précédentes"_s);
    // L'historique est tenu ici, pas par la boîte.
    Ligne_commande->setInsertPolicy(QComboBox::NoInsert);
    Ligne_commande->setEnabled(true);
    Ligne_commande->hide();
    auto* filtre = new FiltreLigneCommande(this);
    filtre->setObjectName(u"filtre_ligne_commande"_s);
    Ligne_commande->installEventFilter(filtre);
    Ligne_commande->lineEdit()->installEventFilter(filtre);
}

// La fenêtre se détruit : la ligne qui perd le focus ne doit plus l'appeler.
void Gestion_Fichiers::debrancher_ligne_commande() {
    delete findChild<QObject*>(u"filtre_ligne_commande"_s, Qt::FindDirectChildrenOnly);
}

void Gestion_Fichiers::Prompt_Click() {
    if (etat_commande().commande_en_cours)
        return;
    if (!Ligne_commande->isHidden()) {
        Ligne_commande->hide();
        return;
    }
    Ligne_commande->setEditText(Répertoire_srce->path() + u'>');
    Ligne_commande->show();
    Ligne_commande->setFocus();
    Ligne_commande->lineEdit()->end(false);
}

void Gestion_Fichiers::Ligne_commande_LostFocus() {
    Ligne_commande->hide();
}

void Gestion_Fichiers::Ligne_commande_KeyDown(int KeyCode) {
    if (KeyCode != 13 || !Debut_commande())
        return;
    EtatCommande& etat = etat_commande();
    const QString texte = Ligne_commande->currentText();
    const QString commande = texte.mid(texte.indexOf(u'>') + 1).trimmed();
    etat.commande_courante = commande;
    if (!commande.isEmpty()) {
        ajouter_a_l_historique(commande);
        if (aller_au_repertoire_de_travail(Répertoire_srce->path()))
            executer_ligne_commande(commande);
    }
    finir_commande_sans_rafraichir();
}

void Gestion_Fichiers::ajouter_a_l_historique(const QString& commande) {
    // Ajouter ou retirer un élément changerait le texte tapé.
    const QString texte = Ligne_commande->currentText();
    if (Ligne_commande->count() >= MAXIMUM_HISTORIQUE)
        Ligne_commande->removeItem(0);
    Ligne_commande->addItem(commande);
    Ligne_commande->setEditText(texte);
}

void Gestion_Fichiers::executer_ligne_commande(const QString& commande) {
    QString ligne = ligne_a_lancer(commande);
    const qsizetype fin = fin_du_programme(ligne);
    bool introuvable = false;
    if (lancer_ligne(ligne, ligne.left(fin), &introuvable) || !introuvable)
        return;
    // Programme introuvable : la même commande en .COM.
    ligne.insert(fin, u".COM"_s);
    introuvable = false;
    if (lancer_ligne(ligne, ligne.left(fin + 4), &introuvable) || !introuvable)
        return;
    plateforme::dialogues().bip();
    plateforme::dialogues().message(u"Fichier "_s + ligne.toUpper() +
                                        u" ou .EXE introuvable dans le répertoire :"_s + QChar(13) +
                                        Répertoire_srce->path(),
                                    plateforme::MB_OK + plateforme::MB_EXCLAMATION, commande);
}
