#pragma once
// Instance unique par utilisateur : verrou et prise locale.
#include <QObject>
#include <QStringList>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace plateforme {

class InstanceUnique : public QObject {
    Q_OBJECT
public:
    // 'nom' identifie le programme ("kaldron", "morvine").
    explicit InstanceUnique(const QString& nom, QObject* parent = nullptr);
    ~InstanceUnique() override;

    // Vrai si cette copie est la première (elle écoute alors les suivantes).
    bool acquerir();
    // Envoie des arguments, chacun entier, à la première copie ; vrai quand
    // elle en a accusé réception. Fait tourner la boucle d'événements.
    bool envoyer(const QStringList& arguments, int delai_ms = 3000);

    // "<nom>-<uid>", suivi de "-" et de $KALDRON_INSTANCE s'il est défini
    // (les tests s'isolent ainsi les uns des autres).
    QString identifiant() const;
    // Répertoire privé de l'utilisateur qui tient le verrou et la prise.
    static QString repertoire();

signals:
    void argumentsRecus(const QStringList& arguments);

private:
    void recevoir(QLocalSocket* prise);
    QString chemin_prise() const;

    QString m_nom;
    std::unique_ptr<QLockFile> m_verrou;
    QLocalServer* m_serveur = nullptr;
};

} // namespace plateforme
