#pragma once
// Réglages lus au démarrage dans KALDRON.INI et WIN.INI, gardés en mémoire
// pendant toute la session.
#include <QString>
#include <QStringList>
#include <QtGlobal>

struct Reglages {
    // Répertoire du programme et fichiers qui en découlent (chemins DOS).
    QString répertoire_programme;
    QString unité_programme;      // "C:" ; vide tant que la fenêtre principale n'est pas chargée
    QString chemin_configuration; // ...\KALDRON.INI
    QString préfixe_fichiers;     // ...\KALDRON.

    QString éditeur = QStringLiteral("NOTEPAD.EXE");
    QString visualiseur = QStringLiteral("MORVINE.EXE");
    bool confirme = false;
    bool remplace = true;
    QString iconisé = QStringLiteral("Non");
    QString aide_en_ligne = QStringLiteral("Non");
    int couleur = 0;
    QString répertoire_initial = QStringLiteral("Racine");

    QString taille_corbeille_texte;
    qint32 taille_corbeille = 0;
    QString temps_corbeille_texte;
    qint16 temps_corbeille = 0;
    bool corbeille_active = false;
    // "Taille=-1" : limite de KALDRON.INI hors de ses bornes, refusée.
    QString limite_corbeille_refusee;

    int largeur_bordure = 3; // WIN.INI [Windows] BorderWidth

    void reinitialiser() { *this = Reglages{}; }
};

Reglages& reglages();

// Bornes des limites de la corbeille (kilo-octets, jours).
inline constexpr int TAILLE_CORBEILLE_MAX = 9999;
inline constexpr int TEMPS_CORBEILLE_MAX = 999;
// Vrai pour un texte de chiffres seuls dont la valeur va de 1 à maximum.
bool limite_corbeille_valide(const QString& texte, int maximum);

// Vrai quand les trois premiers caractères, en capitales, sont "OUI".
bool est_oui(const QString& valeur);
