#pragma once
// Vidage hexadécimal : formatage des lignes, production du fichier de
// vidage par blocs de 4096 octets, modèle qui forme les lignes à la demande.
#include <QAbstractListModel>
#include <QByteArray>
#include <QFile>
#include <QSet>
#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace morvine {

constexpr int k_taille_bloc = 4096;

// Une ligne (1 à 16 octets), sans fin de ligne : décalage hexadécimal en
// majuscules (au moins 5 chiffres), ": ", les octets, "- " après le 8e,
// blancs jusqu'à 57 caractères, un blanc, les caractères, un blanc.
QByteArray formater_ligne_hex(qint64 position, const uchar* octets, int n);

// Lignes d'un bloc (chacune suivie de "\r\n") ajoutées à 'sortie' ; rend
// le nombre de lignes.
int formater_lignes_hex(qint64 position, const uchar* octets, int n, QByteArray& sortie);

// Longueur d'une ligne complète (16 octets) dont le décalage est 'position',
// fin de ligne comprise.
int longueur_ligne_complete(qint64 position);
// Position dans le fichier de vidage du début de la ligne n (depuis 0).
qint64 debut_ligne(qint64 n);

// Ce qu'un vidage a donné : les lignes complètes du fichier de vidage et,
// s'il s'est arrêté avant la fin de la source, pourquoi.
struct BilanVidage {
    qint64 lignes = -1; // -1 : ni la source ouverte ni le vidage créé
    QString erreur;     // vide quand le vidage est complet
    bool complet() const { return lignes >= 0 && erreur.isEmpty(); }
};

// Écrit le vidage de 'source_hote' dans 'vidage_hote' (tronqué) sans jamais
// tenir le fichier entier en mémoire. Une écriture ou une lecture qui échoue
// (disque plein) arrête le vidage : le fichier garde ses lignes complètes et
// le bilan dit la cause. 'progression', si donnée, est appelée de temps en
// temps avec le nombre d'octets lus (pour rendre la main).
// 'arret', s'il passe à vrai, arrête le vidage entre deux blocs.
BilanVidage vider_fichier(const QString& source_hote, const QString& vidage_hote,
                          const std::function<void(qint64)>& progression = {},
                          const std::atomic_bool* arret = nullptr);
// Nombre de lignes d'un vidage complet, -1 pour tout autre bilan.
qint64 produire_vidage(const QString& source_hote, const QString& vidage_hote,
                       const std::function<void(qint64)>& progression = {});
// Nombre de lignes complètes dans les 'octets' premiers octets d'un vidage.
qint64 lignes_completes(qint64 octets);

// Montre un vidage ligne par ligne, formée à la demande : soit relue dans un
// fichier de vidage (toutes les lignes complètes d'une même largeur de
// décalage ont la même longueur, le début de la ligne n se calcule), soit
// formée depuis les 16 octets du fichier lui-même. Pas d'index par ligne :
// la mémoire ne dépend pas de la taille du fichier.
class ModeleVidage : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ModeleVidage(QObject* parent = nullptr);
    ~ModeleVidage() override;

    // Ouvre un fichier de vidage (le nombre de lignes se déduit de sa
    // taille) ; faux s'il ne peut être lu ou n'est pas un vidage. Le modèle
    // est alors vide.
    bool ouvrir(const QString& vidage_hote);
    // Montre le vidage du fichier 'source_hote' lui-même, tel qu'il est à
    // l'ouverture (sa longueur est lue alors) ; faux s'il ne peut être lu.
    bool ouvrir_source(const QString& source_hote, QString* erreur = nullptr);
    // Ne garde que les 'lignes' premières (vidage arrêté en route).
    void limiter(qint64 lignes);
    void fermer();
    qint64 nombre_lignes() const { return m_lignes; }
    // Ligne n (depuis 0) sans sa fin de ligne ; vide hors limites.
    QByteArray ligne(qint64 n) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    struct Cache;
    QByteArray lire(qint64 debut, qint64 longueur) const;

    mutable QFile m_fichier;
    qint64 m_taille = 0;
    qint64 m_lignes = 0;
    bool m_source = false; // lignes formées depuis le fichier montré
    std::unique_ptr<Cache> m_cache;
};

// Écrit le fichier de vidage d'une fenêtre en arrière-plan : la fenêtre
// montre ses lignes depuis le fichier source sans l'attendre. Le fichier
// de vidage reste ouvert (et à elle) tant que l'objet vit ; sa destruction
// arrête l'écriture entre deux blocs et l'attend.
class ProducteurVidage : public QObject {
    Q_OBJECT
public:
    explicit ProducteurVidage(QObject* parent = nullptr);
    ~ProducteurVidage() override;

    // Faux (et '*erreur' dit pourquoi) si le fichier de vidage ne s'ouvre pas.
    bool lancer(const QString& source_hote, const QString& vidage_hote, QString* erreur);
    void arreter();
    bool fini() const { return m_fini.load(); }
    // Bilan, une fois fini.
    BilanVidage bilan() const { return fini() ? m_bilan : BilanVidage{}; }

signals:
    // Émis dans le fil de l'objet quand l'écriture s'achève (ou s'arrête).
    void termine();

private:
    std::thread m_fil;
    std::atomic_bool m_arret{false};
    std::atomic_bool m_fini{false};
    BilanVidage m_bilan;
    int m_fd = -1;
};

// Répertoire privé (0700, sous QDir::tempPath()) des fichiers de vidage du
// programme : noms uniques "QX" + hhmmss + suffixe + ".TMP", et seuls les
// fichiers qu'il a créés sont supprimés (à la destruction ou sur demande).
// Un verrou tenu toute la vie du programme le marque comme vivant : à la
// construction, les répertoires que d'autres copies tuées ont laissés (même
// utilisateur, verrou libre) perdent leurs fichiers QX*.TMP, puis disparaissent.
class DossierVidages {
public:
    DossierVidages();
    ~DossierVidages();
    DossierVidages(const DossierVidages&) = delete;
    DossierVidages& operator=(const DossierVidages&) = delete;

    bool valide() const;
    QString chemin() const;
    // Crée un fichier vide au nom unique et rend son chemin ; vide en cas
    // d'échec.
    QString nouveau_vidage();
    // Supprime un fichier créé ici ; faux (sans rien toucher) pour un autre.
    bool supprimer(const QString& vidage_hote);
    void supprimer_tous();

    // Vide et retire les répertoires de vidage abandonnés sous 'base' ;
    // rend leur nombre.
    static int nettoyer_abandonnes(const QString& base);

private:
    QTemporaryDir m_dossier;
    QSet<QString> m_fichiers;
    int m_compteur = 0;
    int m_verrou = -1;
};

} // namespace morvine
