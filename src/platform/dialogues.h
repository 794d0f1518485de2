#pragma once
// Boîtes de message, de saisie, d'ouverture et d'enregistrement, bip :
// une seule interface, que les tests remplacent par une version scriptée.
#include <QList>
#include <QString>
#include <QWidget>
#include <functional>

namespace plateforme {

// Styles d'origine : boutons 0-5, icônes 16/32/48/64, défaut 256/512.
enum StyleMessage : int {
    MB_OK = 0,
    MB_OK_ANNULER = 1,
    MB_ABANDON_REESSAYER_IGNORER = 2,
    MB_OUI_NON_ANNULER = 3,
    MB_OUI_NON = 4,
    MB_REESSAYER_ANNULER = 5,
    MB_STOP = 16,
    MB_QUESTION = 32,
    MB_EXCLAMATION = 48,
    MB_INFORMATION = 64,
    MB_DEFAUT_2 = 256,
    MB_DEFAUT_3 = 512,
};

// Réponses d'origine.
enum Reponse : int {
    REP_OK = 1,
    REP_ANNULER = 2,
    REP_ABANDON = 3,
    REP_REESSAYER = 4,
    REP_IGNORER = 5,
    REP_OUI = 6,
    REP_NON = 7,
};

class ServiceDialogues {
public:
    virtual ~ServiceDialogues() = default;
    // Boîte de message ; le texte peut contenir des retours chariot (13).
    virtual int message(const QString& texte, int style, const QString& titre) = 0;
    // Boîte de saisie ; Annuler rend une chaîne vide.
    virtual QString saisie(const QString& invite, const QString& titre,
                           const QString& defaut = {}) = 0;
    // Dialogue à trois boutons libellés (Message_dialogue) ; rend 1, 2 ou 3.
    virtual int message_dialogue(const QString& texte, const QString& bouton1,
                                 const QString& bouton2, const QString& bouton3,
                                 const QString& icone, const QString& titre) = 0;
    // Sélecteurs de fichier : chemin de l'hôte choisi, vide si annulé.
    // 'filtre' a la forme d'origine (filtre_qt) ; 'repertoire' est un chemin
    // DOS ou de l'hôte, répertoire ou fichier proposé.
    virtual QString ouvrir_fichier(const QString& titre, const QString& filtre,
                                   const QString& repertoire) = 0;
    virtual QString enregistrer_fichier(const QString& titre, const QString& filtre,
                                        const QString& repertoire) = 0;
    virtual void bip() = 0;
};

// Lecture d'un style d'origine : boutons dans l'ordre, icône, défaut, Échap.
struct DescriptionStyle {
    QList<int> boutons;  // réponses REP_* dans l'ordre d'affichage
    int icone = 0;       // 0, MB_STOP, MB_QUESTION, MB_EXCLAMATION ou MB_INFORMATION
    int defaut = REP_OK; // réponse du bouton par défaut
    int echappement = 0; // réponse de la touche Échap ; 0 : Échap sans effet
};
DescriptionStyle decrire_style(int style);
// Libellé français d'un bouton : "OK", "Annuler", "Oui"...
QString libelle_reponse(int reponse);
// Les retours chariot (13) du texte deviennent des sauts de ligne.
QString texte_affichable(const QString& texte);
// Filtre d'origine "Texte|*.txt;*.doc|Tous (*.*)|*.*" en filtre Qt
// "Texte (*.txt *.doc);;Tous (*.*) (*)".
QString filtre_qt(const QString& filtre);

// Service en vigueur (par défaut l'implantation Qt).
ServiceDialogues& dialogues();
// Installe un service (non possédé) ; nullptr rétablit l'implantation Qt.
void installer_dialogues(ServiceDialogues* service);

// Implantation Qt. Le programme peut fournir sa propre fenêtre pour
// message_dialogue par une fonction.
class DialoguesQt : public ServiceDialogues {
public:
    using FonctionMessageDialogue =
        std::function<int(const QString&, const QString&, const QString&, const QString&,
                          const QString&, const QString&)>;
    int message(const QString& texte, int style, const QString& titre) override;
    QString saisie(const QString& invite, const QString& titre,
                   const QString& defaut = {}) override;
    int message_dialogue(const QString& texte, const QString& bouton1, const QString& bouton2,
                         const QString& bouton3, const QString& icone,
                         const QString& titre) override;
    QString ouvrir_fichier(const QString& titre, const QString& filtre,
                           const QString& repertoire) override;
    QString enregistrer_fichier(const QString& titre, const QString& filtre,
                                const QString& repertoire) override;
    void bip() override;

    void definir_message_dialogue(FonctionMessageDialogue f) { m_message_dialogue = std::move(f); }

private:
    FonctionMessageDialogue m_message_dialogue;
};

} // namespace plateforme
