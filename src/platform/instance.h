#pragma once
// Instance unique par utilisateur : verrou et prise locale, dans un
// répertoire que seul l'utilisateur peut lire et écrire.
#include <QObject>
#include <QStringList>
#include <QtGlobal>

class QLocalServer;
class QLocalSocket;

namespace plateforme {

class InstanceUnique : public QObject {
    Q_OBJECT
public:
    enum class Acquisition {
        Premiere,   // cette copie est la première ; elle écoute les suivantes
        AutreCopie, // un processus vivant tient le verrou
        Impossible, // le verrou n'a pas pu être pris : erreur() dit pourquoi
    };

    // 'nom' identifie le programme ("kaldron", "morvine").
    explicit InstanceUnique(const QString& nom, QObject* parent = nullptr);
    ~InstanceUnique() override;

    Acquisition acquerir();
    // Après Impossible : message français nommant le répertoire et la
    // raison donnée par le système.
    QString erreur() const { return m_erreur; }
    // Envoie des arguments, chacun entier, à la première copie ; vrai quand
    // elle en a accusé réception. Fait tourner la boucle d'événements.
    bool envoyer(const QStringList& arguments, int delai_ms = 3000);

    // "<nom>-<uid>", suivi de "-" et de $KALDRON_INSTANCE s'il est défini
    // (les tests s'isolent ainsi les uns des autres).
    QString identifiant() const;
    // Répertoire privé de l'utilisateur (verrou, prise, fichiers de travail) :
    // $XDG_RUNTIME_DIR s'il est à lui seul, sinon <temporaire>/kaldron-<uid>,
    // créé au besoin. Vide si aucun n'est sûr ; 'erreur' dit alors pourquoi.
    static QString repertoire(QString* erreur = nullptr);

signals:
    void argumentsRecus(const QStringList& arguments);

private:
    void recevoir(QLocalSocket* prise);

    QString m_nom;
    QString m_erreur;
    int m_verrou = -1;
    QLocalServer* m_serveur = nullptr;
};

// Vrai si 'chemin' est un répertoire (pas un lien) de l'utilisateur, fermé
// au groupe et aux autres. Sinon faux, et 'raison' le dit en français.
bool repertoire_prive(const QString& chemin, QString* raison = nullptr);
// Crée 'chemin' (0700) s'il manque, puis le vérifie comme ci-dessus ; un
// répertoire déjà là qui n'est pas sûr est refusé, jamais corrigé.
bool creer_repertoire_prive(const QString& chemin, QString* raison = nullptr);
// Vrai si le processus à l'autre bout de cette prise locale est du même
// utilisateur que nous.
bool pair_du_meme_utilisateur(qintptr descripteur);

} // namespace plateforme
