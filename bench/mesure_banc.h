#pragma once
// Mesure commune des bancs de parcours et de recherche.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

// Millisecondes par appel (moyenne de 'essais' après un tour de chauffe) ;
// chaque appel rend un compte, qui doit valoir 'attendu' ('banc' et 'quoi'
// nomment l'écart s'il ne le vaut pas).
inline double mesurer_banc(const std::function<int()>& f, int attendu, int essais, const char* banc,
                           const char* quoi) {
    f();
    const auto debut = std::chrono::steady_clock::now();
    for (int i = 0; i < essais; ++i) {
        const int n = f();
        if (n != attendu) {
            (void)std::fprintf(stderr, "%s : %d %s au lieu de %d\n", banc, n, quoi, attendu);
            std::exit(1);
        }
    }
    const std::chrono::duration<double, std::milli> duree =
        std::chrono::steady_clock::now() - debut;
    return duree.count() / essais;
}

// Ligne « NOM;notre_ms;pair_ms;outil » que bench/lancer.sh met en tableau.
inline void afficher(const char* nom, double notre, double pair, const char* outil) {
    std::printf("%s;%.6f;%.6f;%s\n", nom, notre, pair, outil);
}
