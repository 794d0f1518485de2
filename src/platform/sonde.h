#pragma once
// Sonde des essais de bout en bout : décrit les fenêtres montrées et en
// prend des images, sans jamais agir (les essais passent par de vraies
// touches et de vrais clics). Un protocole par lignes sur une prise locale :
//   arbre                      -> une ligne JSON
//   capture <cible> <fichier>  -> "ok" ou "erreur <raison>"
// (la cible et le fichier peuvent être séparés par des tabulations quand
// ils contiennent des espaces).
#include <QJsonObject>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;
class QWidget;

namespace plateforme {

class Sonde : public QObject {
    Q_OBJECT
public:
    explicit Sonde(QObject* parent = nullptr);
    ~Sonde() override;

    // Écoute sur 'chemin' ; si c'est un répertoire, sur
    // "<répertoire>/<exécutable>-<pid>" (les programmes lancés par un
    // programme sondé héritent de la variable sans se gêner). Refusé hors
    // d'un répertoire privé ; seul notre utilisateur est servi.
    bool ecouter(const QString& chemin);
    QString chemin() const;

    // Réponse à une ligne du protocole (sans la fin de ligne).
    QString repondre(const QString& ligne) const;

private:
    void lire(QLocalSocket* prise);

    QLocalServer* m_serveur = nullptr;
};

// Fenêtres de premier niveau montrées et leurs contrôles montrés.
QJsonObject decrire_fenetres();
QJsonObject decrire_widget(const QWidget* w);
// Fenêtre de premier niveau dont l'objectName ou le titre (blancs de tête
// et de queue ignorés) vaut 'cible' ; nullptr sinon.
QWidget* fenetre_nommee(const QString& cible);

// Démarre une sonde si $KALDRON_SONDE nomme une prise ; rien sinon.
void demarrer_sonde_si_demandee();

} // namespace plateforme
