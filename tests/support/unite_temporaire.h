#pragma once
// Unité jetable pour les essais : un répertoire temporaire vu comme une
// lettre de lecteur ('C' par défaut, 'A' pour une disquette), avec son
// propre répertoire Windows (fichiers de profil) le temps de l'essai.
#include <QByteArray>
#include <QChar>
#include <QString>
#include <QTemporaryDir>
#include <optional>

namespace essai {

class UniteTemporaire {
public:
    explicit UniteTemporaire(QChar lettre = u'C');
    ~UniteTemporaire();
    UniteTemporaire(const UniteTemporaire&) = delete;
    UniteTemporaire& operator=(const UniteTemporaire&) = delete;

    bool valide() const { return m_repertoire.isValid() && m_windows.isValid(); }
    QChar lettre() const { return m_lettre; }
    // "C:\" ; dos("a/b.txt") = "C:\a\b.txt".
    QString racine() const;
    QString dos(const QString& relatif) const;
    // Chemin de l'hôte : hote("") est la racine de l'unité.
    QString hote(const QString& relatif) const;
    QString repertoire_windows() const { return m_windows.path(); }

    // Crée le fichier (et ses répertoires) ; rend son chemin de l'hôte.
    QString creer_fichier(const QString& chemin_relatif_hote, const QByteArray& contenu = {});
    QString creer_repertoire(const QString& chemin_relatif_hote);
    // Contenu d'un fichier de l'unité (vide s'il est absent).
    QByteArray contenu(const QString& chemin_relatif_hote) const;

private:
    QChar m_lettre;
    QTemporaryDir m_repertoire;
    QTemporaryDir m_windows;
    std::optional<QString> m_ancienne_unite;
    std::optional<QByteArray> m_ancien_windows;
    QString m_ancien_courant;
};

} // namespace essai
