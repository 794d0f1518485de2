#pragma once
// Unités : une lettre de lecteur désigne un répertoire de l'hôte.
// La table vit dans la section [Unités] de WIN.INI, écrite au premier
// démarrage puis gardée stable (les chemins mémorisés gardent leur sens).
#include <QChar>
#include <QList>
#include <QString>
#include <optional>

namespace plateforme {

struct Unite {
    QChar lettre;       // en capitale : 'C'
    QString repertoire; // répertoire de l'hôte, absolu, sans '/' final sauf pour "/"
};

// Vrai pour un volume monté pour cet usager (/media/USAGER/… ou
// /run/media/USAGER/…) : ceux-là seuls prennent une lettre au démarrage.
bool volume_de_l_usager(const QString& racine, const QString& usager);

class TableUnites {
public:
    static TableUnites& instance();

    // Lit [Unités] de WIN.INI ; à la première utilisation, écrit les valeurs
    // par défaut (C: = domicile, Z: = /, volumes de l'usager à partir de D:).
    void charger();
    // Remplace la table en mémoire sans toucher WIN.INI (tests).
    void definir(const QList<Unite>& unites);
    // Ajoute ou remplace une unité en mémoire (tests).
    void ajouter(QChar lettre, const QString& repertoire);
    // Retire une unité de la table en mémoire (tests).
    void retirer(QChar lettre);
    void vider();

    // Unités triées par lettre.
    QList<Unite> unites() const { return m_unites; }
    std::optional<QString> repertoire(QChar lettre) const;
    // Unité dont le répertoire est le plus long préfixe du chemin hôte.
    std::optional<Unite> unite_de(const QString& chemin_hote) const;
    bool charge() const { return m_charge; }

private:
    QList<Unite> m_unites;
    bool m_charge = false;
};

// A: et B: sont des lecteurs de disquettes.
bool est_disquette(QChar lettre);

} // namespace plateforme
