#pragma once
// Contrôles qui tiennent lieu de la liste des unités, de la liste des
// répertoires, de la liste des fichiers et de la jauge d'origine.
// Signaux à noms ASCII (moc) ; les chemins sont DOS.
#include <QComboBox>
#include <QListWidget>
#include <QProgressBar>
#include <QString>

namespace plateforme {

// Liste des unités : "c: [nom]" comme l'original ; drive() rend ce texte.
class ListeUnites : public QComboBox {
    Q_OBJECT
public:
    explicit ListeUnites(QWidget* parent = nullptr);
    QString drive() const; // "c: [home]" ; ses deux premiers caractères = unité
    // Accepte "d:", "D:\x" ... ; lève 68 si l'unité est inconnue.
    void setDrive(const QString& unite);
    void rafraichir(); // relit la table des unités
signals:
    void driveChanged(); // changement par l'utilisateur ou par setDrive
    void enterPressed();
};

// Liste des répertoires : ancêtres du chemin, le répertoire lui-même, puis
// ses sous-répertoires (indices négatifs d'origine : -1 = le répertoire).
class ListeRepertoires : public QListWidget {
    Q_OBJECT
public:
    explicit ListeRepertoires(QWidget* parent = nullptr);
    QString path() const;
    // Lève 76 si le répertoire n'existe pas, 68 si l'unité est inconnue.
    void setPath(const QString& chemin_dos);
    void rafraichir();
    // Sous-répertoires du répertoire courant (chemins complets).
    QStringList sousRepertoires() const;
    // Chemin de l'entrée sous le curseur (vide si aucune).
    QString cheminSousCurseur() const;
signals:
    void pathChanged();
    void clicked();
};

// Liste des fichiers d'un répertoire, filtrée par un motif DOS.
class ListeFichiers : public QListWidget {
    Q_OBJECT
public:
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
    void setListIndex(int i);
signals:
    void pathChanged();
    void patternChanged();
    void clicked();

private:
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
