#pragma once
// Pilote des essais de bout en bout : un serveur X (Xvfb) à soi, une unité
// C: jetable, les vrais programmes lancés dessus, de vraies touches et de
// vrais clics (xdotool), et la lecture de l'écran par la sonde des
// programmes (jamais de pixels devinés). Tout ce qui a été lancé est tué à
// la destruction, même après un échec. Aucun shell n'est employé.
#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>

namespace e2e {

// Un contrôle tel que la sonde l'a décrit (vide s'il n'existe pas).
class Controle {
public:
    Controle() = default;
    explicit Controle(const QJsonObject& o) : m_o(o) {}

    bool existe() const { return !m_o.isEmpty(); }
    QString nom() const;
    QString classe() const;
    QString parent() const; // objectName du plus proche parent nommé
    // Texte montré ; les '&' des raccourcis sont retirés (bouton "&COPIER" -> "COPIER").
    QString texte() const;
    QString texte_brut() const;
    QString texte_choisi() const; // sélection d'une zone d'édition
    QRect geometrie() const;      // coordonnées globales de l'écran
    QPoint centre() const { return geometrie().center(); }
    bool actif() const;
    bool focus() const;
    bool coche() const;
    int valeur() const; // jauge, barre de défilement
    int courant() const;
    // Éléments d'une liste, d'une liste déroulante, d'un menu, d'onglets.
    QStringList elements() const;
    QStringList elements_choisis() const;
    int nombre_elements() const; // nombre total (la sonde n'en décrit que 500)
    // Place à l'écran de l'élément de ce texte (sans '&'), s'il est visible.
    std::optional<QRect> zone_element(const QString& texte) const;
    // Tables : cellules des premières lignes.
    int lignes() const;
    int colonnes() const;
    QString cellule(int ligne, int colonne) const;
    QStringList entetes() const;
    const QJsonObject& json() const { return m_o; }

protected:
    QJsonObject m_o;
};

// Une fenêtre de premier niveau et ses contrôles montrés.
class Fenetre : public Controle {
public:
    Fenetre() = default;
    explicit Fenetre(const QJsonObject& o) : Controle(o) {}

    QString titre() const;
    bool active() const;
    bool modale() const;
    QString wid() const; // identifiant X de la fenêtre
    QList<Controle> controles() const;
    // Premier contrôle montré de cet objectName (ou titre de sous-fenêtre).
    Controle controle(const QString& nom) const;
    // Premier contrôle de cette classe ("QPlainTextEdit") ; 'rang' pour les suivants.
    Controle de_classe(const QString& classe, int rang = 0) const;
    // Bouton montré par son texte, sans '&' ("OK", "Oui", "COPIER").
    Controle bouton(const QString& texte) const;
    // Tous les textes montrés, joints par des fins de ligne.
    QString textes() const;
};

// L'état de tous les écrans d'un programme à un instant.
class Arbre {
public:
    Arbre() = default;
    explicit Arbre(const QJsonObject& o) : m_o(o) {}

    bool valide() const { return !m_o.isEmpty(); }
    QList<Fenetre> fenetres() const;
    // Fenêtre par objectName ou titre (blancs ignorés aux bouts).
    Fenetre fenetre(const QString& nom_ou_titre) const;
    bool a_fenetre(const QString& nom_ou_titre) const { return fenetre(nom_ou_titre).existe(); }
    // Première fenêtre de cette classe ("QMainWindow", "QMessageBox").
    Fenetre de_classe(const QString& classe) const;
    // Contrôle de cet objectName dans n'importe quelle fenêtre.
    Controle controle(const QString& nom) const;
    // objectName (ou classe) de la fenêtre active, de la modale, du focus.
    QString active() const;
    QString modale() const;
    QString focus() const;
    qint64 pid() const;
    QString textes() const;
    const QJsonObject& json() const { return m_o; }

private:
    QJsonObject m_o;
};

// Un programme sondé : lancé par le pilote ou par un autre programme.
class Programme {
public:
    Programme(const QString& nom, const QString& prise, qint64 pid);
    QString nom() const { return m_nom; } // "kaldron" ou "morvine"
    qint64 pid() const { return m_pid; }
    QString prise() const { return m_prise; }
    bool en_vie() const;
    // Demande l'arbre à la sonde ; invalide si elle ne répond pas.
    Arbre arbre(int delai_ms = 5000) const;
    // Image de la fenêtre (objectName ou titre) dans 'fichier' ; message d'erreur sinon.
    QString capturer(const QString& fenetre, const QString& fichier) const;

private:
    QString demander(const QString& ligne, int delai_ms) const;
    QString m_nom;
    QString m_prise;
    qint64 m_pid;
};

class Pilote {
public:
    // 'ecran' : taille de l'écran du serveur X (un petit écran pour les essais de place).
    explicit Pilote(QSize ecran = QSize(1280, 1024));
    ~Pilote();
    Pilote(const Pilote&) = delete;
    Pilote& operator=(const Pilote&) = delete;

    // Xvfb et xdotool sont-ils là ? Sinon 'raison' dit ce qui manque.
    static bool outils_presents(QString* raison);
    // Les essais doivent-ils échouer plutôt que s'effacer sans outils ?
    static bool obligatoire();

    // Démarre Xvfb et prépare l'unité C: jetable ; 'erreur' dit pourquoi sinon.
    bool demarrer(QString* erreur);
    QString affichage() const { return m_affichage; } // ":12"

    // Unité C: jetable. Chemins relatifs à sa racine, avec des '/'.
    QString hote(const QString& relatif = {}) const;
    QString creer_fichier(const QString& relatif, const QByteArray& contenu = {});
    QString creer_repertoire(const QString& relatif);
    QByteArray contenu(const QString& relatif) const;
    bool existe(const QString& relatif) const;
    // Noms d'un répertoire de l'unité (cachés compris), triés.
    QStringList noms(const QString& relatif) const;
    QString repertoire_windows() const;
    QString repertoire_programme() const; // hôte ; "C:\KALDRON" vu des programmes
    QString repertoire_execution() const; // XDG_RUNTIME_DIR des programmes (verrous, prises)
    // Ajoute des lignes au KALDRON.INI (Windows-1252) avant le lancement.
    void ecrire_kaldron_ini(const QString& texte);

    // Lance un vrai programme ("kaldron", "morvine") avec ses arguments ;
    // nullptr si le lancement échoue. Le programme n'est pas attendu.
    QProcess* lancer(const QString& programme, const QStringList& arguments = {},
                     const QString& repertoire = {});
    // Attend une sonde de ce programme qui réponde et dont le pid n'est pas
    // dans 'deja_vus' (un morvine lancé par KALDRON, un second morvine...).
    std::shared_ptr<Programme> attendre_programme(const QString& programme,
                                                  const QList<qint64>& deja_vus = {},
                                                  int delai_ms = 15000);
    // Sondes présentes et vivantes de ce programme.
    QList<std::shared_ptr<Programme>> programmes(const QString& programme) const;

    // Entrées réelles par xdotool : la souris se pose au centre du contrôle.
    // Deux clics simples au même endroit sont espacés assez pour ne pas
    // faire un double clic (qui lancerait l'éditeur sur un fichier...).
    bool cliquer(const Controle& c, int bouton = 1);
    bool double_cliquer(const Controle& c);
    // La souris se pose au centre du contrôle, sans cliquer (aide au survol).
    bool survoler(const Controle& c);
    bool survoler_en(QPoint global);
    bool cliquer_en(QPoint global, int bouton = 1, int fois = 1, const QString& modificateur = {});
    // Clic sur l'élément d'une liste (ou d'un menu) par son texte ;
    // 'modificateur' : "ctrl", "shift" ou vide.
    bool cliquer_element(const Controle& liste, const QString& texte,
                         const QString& modificateur = {}, int fois = 1);
    // Bouton gauche pressé sur l'élément 'de', relâché sur 'vers' décalé de
    // 'decalage' (glisser pour choisir d'un coup les éléments entre les deux ;
    // relâché hors de tout élément, au-delà du dernier, par exemple).
    bool glisser_elements(const Controle& liste, const QString& de, const QString& vers,
                          QPoint decalage = {});
    // Glisser-déposer : bouton gauche pressé en 'de', promené par petits pas,
    // relâché en 'vers' ; 'modificateur' ("shift"...) tenu pendant le geste.
    bool glisser_vers(QPoint de, QPoint vers, const QString& modificateur = {});
    bool taper(const QString& texte);
    bool preparer_touches(const QString& texte);
    // Touches au sens de xdotool : "ctrl+a", "Return", "alt+f", "F1".
    bool touche(const QString& combinaison);
    // Donne le focus clavier X à la fenêtre (sans gestionnaire de fenêtres,
    // une fenêtre nouvelle ne le reçoit pas toute seule).
    bool focaliser(const Fenetre& f);
    // Passe la fenêtre devant les autres (un autre programme la couvre).
    bool lever(const Fenetre& f);
    // Iconise ou rend la fenêtre comme le ferait le gestionnaire de fenêtres
    // (il n'y en a pas sous ce serveur X).
    bool etat_fenetre(const Fenetre& f, bool iconisee);

    // Attend que le prédicat soit vrai, en faisant tourner la boucle
    // d'événements ; faux au bout du délai.
    static bool attendre(const std::function<bool()>& predicat, int delai_ms = 10000);
    // Attend un arbre du programme qui vérifie le prédicat ; rend le dernier
    // arbre lu (le prédicat peut y être faux : le délai est alors passé).
    static Arbre attendre_arbre(const Programme& p,
                                const std::function<bool(const Arbre&)>& predicat,
                                int delai_ms = 10000);

    // Attend que l'écran du programme ne change plus (deux lectures de suite
    // identiques, à 'pas_ms' d'écart) : après une frappe, avant le geste suivant.
    static Arbre attendre_calme(const Programme& p, int pas_ms = 150, int delai_ms = 5000);

    // Image de la fenêtre sous 'nom'.png dans $KALDRON_CAPTURES, ou à
    // défaut dans le répertoire de construction ; rend le chemin (vide en cas
    // d'échec, avec 'erreur').
    QString capture(const Programme& p, const QString& fenetre, const QString& nom,
                    QString* erreur = nullptr);

    // Dernière sortie d'erreur de xdotool ou d'un programme (diagnostic).
    QString journal() const { return m_journal; }

private:
    bool xdotool(const QStringList& arguments);
    void espacer_du_clic_precedent(QPoint global);
    QProcessEnvironment environnement() const;
    void tout_arreter();

    QTemporaryDir m_base;
    QSize m_ecran;
    QString m_affichage;
    std::unique_ptr<QProcess> m_xvfb;
    QList<QProcess*> m_lances;
    QString m_journal;
    // Dernier clic simple : deux clics proches seraient pris pour un double.
    QPoint m_dernier_clic;
    QElapsedTimer m_depuis_clic;
};

} // namespace e2e
