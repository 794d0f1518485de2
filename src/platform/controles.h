#pragma once
// Contrôles qui tiennent lieu de la liste des unités, de la liste des
// répertoires, de la liste des fichiers et de la jauge d'origine.
// Signaux à noms ASCII (moc) ; les chemins sont DOS.
#include <QComboBox>
#include <QListWidget>
#include <QProgressBar>
#include <QString>
#include <optional>

namespace plateforme {

// Liste des unités : "c: [/root]", le répertoire de l'hôte à côté de la
// lettre ; drive() rend ce texte.
class ListeUnites : public QComboBox {
    Q_OBJECT
public:
    explicit ListeUnites(QWidget* parent = nullptr);
    QString drive() const; // "c: [/home/x]" ; ses deux premiers caractères = unité
    // Accepte "d:", "D:\x" ... ; lève 68 si l'unité est inconnue.
    void setDrive(const QString& unite);
    void rafraichir(); // relit la table des unités
signals:
    void driveChanged(); // changement par l'utilisateur ou par setDrive
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    int index_de(QChar lettre) const;
    QChar lettre_courante() const;
    bool m_remplissage = false;
};

// Liste des répertoires : ancêtres du chemin, le répertoire lui-même, puis
// ses sous-répertoires (indices négatifs d'origine : -1 = le répertoire).
class ListeRepertoires : public QListWidget {
    Q_OBJECT
public:
    // Tant qu'elle vit, un répertoire déjà lu ne l'est plus (voir la même
    // chose pour la liste des fichiers).
    class LectureUnique {
    public:
        explicit LectureUnique(ListeRepertoires* liste);
        ~LectureUnique();
        LectureUnique(const LectureUnique&) = delete;
        LectureUnique& operator=(const LectureUnique&) = delete;

    private:
        ListeRepertoires* m_liste;
    };

    explicit ListeRepertoires(QWidget* parent = nullptr);
    QString path() const;
    // Lève 76 si le répertoire n'existe pas, 68 si l'unité est inconnue.
    void setPath(const QString& chemin_dos);
    void rafraichir();
    // Sous-répertoires du répertoire courant (chemins complets).
    QStringList sousRepertoires() const;
    // Chemin de l'entrée sous le curseur (vide si aucune).
    QString cheminSousCurseur() const;
    // Chemin de l'entrée au point 'p' de la zone visible (vide si aucune).
    QString cheminEn(const QPoint& p) const;
    // Répertoires cachés montrés (non par défaut) ; relit la liste.
    void setHidden(bool caches);
    bool hiddenShown() const { return m_caches; }
signals:
    void pathChanged();
    void clicked(); // clic de souris sur une entrée : le curseur y est
    // Double clic ou Entrée vers un répertoire devenu inaccessible.
    void errorRaised(int numero, const QString& description);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void remplir(const QStringList& sous_repertoires);
    void activer(const QString& chemin);
    QStringList lire(const QString& chemin);

    int m_lecture_unique = 0;
    QString m_lu;      // répertoire de la dernière lecture gardée
    QStringList m_lus; // ses sous-répertoires
    bool m_lus_caches = false;

    QString m_chemin;
    QStringList m_sous;
    QString m_chemin_presse; // entrée sous la souris au premier clic
    bool m_caches = false;
};

// Liste des fichiers d'un répertoire, filtrée par un motif DOS. Les noms
// sont montrés, et rendus par list(i), tels qu'ils sont sur le disque. Une
// relecture du même répertoire garde la sélection des noms encore présents
// (clearSelection() pour la perdre). selectionModifiee() suit toute
// sélection changée, par l'usager ou par le programme, une seule fois par
// relecture ou par changement groupé.
class ListeFichiers : public QListWidget {
    Q_OBJECT
public:
    // Tant qu'elle vit, une liste relue avec le même répertoire, le même
    // motif et les mêmes attributs reprend la lecture déjà faite : une action
    // qui ne change rien sur le disque n'a pas à le relire à chaque étape.
    class LectureUnique {
    public:
        explicit LectureUnique(ListeFichiers* liste);
        ~LectureUnique();
        LectureUnique(const LectureUnique&) = delete;
        LectureUnique& operator=(const LectureUnique&) = delete;

    private:
        ListeFichiers* m_liste;
    };

    explicit ListeFichiers(QWidget* parent = nullptr);
    QString path() const;
    void setPath(const QString& chemin_dos); // lève 76
    QString pattern() const;
    void setPattern(const QString& motif); // lève 380 si invalide
    void setHidden(bool caches);           // fichiers cachés montrés
    void setSystem(bool systeme);
    bool hiddenShown() const { return m_caches; }
    void rafraichir(); // relit le disque, garde le motif
    int listCount() const { return count(); }
    QString list(int i) const;
    bool selected(int i) const;
    void setSelected(int i, bool choisi);
    int listIndex() const { return currentRow(); }
    void setListIndex(int i); // déplace le curseur sans toucher la sélection
    // Choisit (ou rend) les lignes données en un seul changement de sélection.
    void setSelectedRows(const QList<int>& lignes, bool choisi);
    // Ligne du nom tel qu'il est sur le disque ; -1 s'il n'est pas listé.
    int indexDe(const QString& nom) const;
    // Un fichier que le programme vient de créer, remplacer ou retirer du
    // répertoire de la liste : seule son entrée est relue. Elle est mise à
    // sa place si le fichier existe, passe le motif et les attributs
    // montrés, retirée sinon ; le reste de la liste et sa sélection restent.
    void actualiserEntree(const QString& nom);
    // La même chose pour un chemin DOS complet ; un fichier d'un autre
    // répertoire ne change pas la liste.
    void actualiserFichier(const QString& chemin_dos);
signals:
    void pathChanged();
    void patternChanged();
    void clicked();           // sélection changée par la souris ou le clavier
    void selectionModifiee(); // par qui que ce soit
    void mousePressed();
    void keyPressed(int touche); // touche Qt, avant son traitement

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    // Après une entrée retirée, la mise en page de toute la liste attend le
    // prochain dessin : choisir ou montrer l'entrée suivante ne la force plus
    // à chaque fichier d'une commande (quadratique). Le défilement vers
    // l'entrée courante se fait juste après cette mise en page.
    void rowsAboutToBeRemoved(const QModelIndex& parent, int debut, int fin) override;
    void selectionChanged(const QItemSelection& choisis, const QItemSelection& rendus) override;
    void currentChanged(const QModelIndex& courant, const QModelIndex& precedent) override;

public:
    void doItemsLayout() override;

private:
    bool m_mise_en_page_attendue = false;
    bool m_defilement_attendu = false;
    QStringList lire(const QString& chemin, const QString& motif, bool caches, bool systeme);
    void remplir(const QStringList& noms, bool garder_selection);
    QStringList choisis() const;
    bool entree_montree(const QString& nom) const;
    bool memes_noms(const QStringList& noms) const;

    // Dernière lecture, reprise pendant une LectureUnique.
    struct Lecture {
        QString chemin, motif;
        bool caches = false, systeme = false;
        QStringList noms;
    };
    int m_lecture_unique = 0;
    std::optional<Lecture> m_derniere;

    int m_changements = 0; // sélections changées par l'utilisateur
    bool m_interne = false;
    bool m_relecture = false; // remplir() en cours : un seul signal à la fin
    QString m_chemin;
    QString m_motif = QStringLiteral("*.*");
    bool m_caches = false;
    bool m_systeme = false;
};

// Jauge : pourcentage 0-100 et légende.
class Jauge : public QProgressBar {
    Q_OBJECT
public:
    explicit Jauge(QWidget* parent = nullptr);
};

} // namespace plateforme
