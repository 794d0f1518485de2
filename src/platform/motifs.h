#pragma once
// Motifs : jokers DOS des listes de fichiers, et langage des exclusions.
#include <QString>
#include <QStringView>
#include <memory>

namespace plateforme {

// Sans égard à la casse : '*' toute suite, '?' un caractère, "*.*" tout nom,
// ".*" final peut ne rien reconnaître, '.' final = nom sans point ; plusieurs
// motifs séparés par ';'. Lève 380 pour un caractère impossible dans un nom.
bool motif_dos_correspond(const QString& nom, const QString& motif);
// Vérifie un motif DOS sans rien comparer ; lève 380 s'il est invalide.
void verifier_motif_dos(const QString& motif);

// Motif DOS préparé une fois pour comparer de nombreux noms (recherche sur
// tout un disque) ; mêmes règles que motif_dos_correspond.
class MotifDos {
public:
    explicit MotifDos(const QString& motif); // lève 380 comme verifier_motif_dos
    ~MotifDos();
    MotifDos(const MotifDos&) = delete;
    MotifDos& operator=(const MotifDos&) = delete;
    bool correspond(QStringView nom) const;

private:
    template <class Suite> bool correspond_plie(const Suite& nom_plie, bool point) const;
    struct Impl;
    std::unique_ptr<Impl> d;
};

// '?' un caractère, '*' toute suite, '#' un chiffre, [abc], [a-z], [!abc].
bool motif_like_correspond(const QString& texte, const QString& motif, Qt::CaseSensitivity casse);

} // namespace plateforme
