#pragma once
// Instance unique par utilisateur : verrou et prise locale.
#include <QObject>
#include <QStringList>
#include <memory>

class QLocalServer;
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
    // Envoie des arguments, chacun entier, à la première copie.
    bool envoyer(const QStringList& arguments, int delai_ms = 3000);

signals:
    void argumentsRecus(const QStringList& arguments);

private:
    QString m_nom;
    std::unique_ptr<QLockFile> m_verrou;
    QLocalServer* m_serveur = nullptr;
};

} // namespace plateforme
