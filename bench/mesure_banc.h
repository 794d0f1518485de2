#pragma once
// Mesure commune des bancs de parcours et de recherche.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

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

// Série d'essais appariés au pair essai par essai : médianes sur la sortie
// (« NOM;notre_ms;pair_ms;outil »), étendues et rapports sur la sortie d'erreur.
inline double mediane(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline void afficher_serie(const char* nom, const std::vector<double>& notre,
                           const std::vector<double>& pair, const char* outil) {
    std::vector<double> rapports;
    for (size_t i = 0; i < notre.size() && i < pair.size(); ++i)
        rapports.push_back(pair[i] > 0 ? notre[i] / pair[i] : 0);
    const auto [nmin, nmax] = std::minmax_element(notre.begin(), notre.end());
    const auto [pmin, pmax] = std::minmax_element(pair.begin(), pair.end());
    (void)std::fprintf(stderr, "%s : nous %.1f–%.1f ms, %s %.1f–%.1f ms, rapports", nom, *nmin,
                       *nmax, outil, *pmin, *pmax);
    for (const double r : rapports)
        (void)std::fprintf(stderr, " %.2f", r);
    (void)std::fprintf(stderr, " (médiane %.2f)\n", mediane(rapports));
    std::printf("%s;%.6f;%.6f;%s\n", nom, mediane(notre), mediane(pair), outil);
    (void)std::fflush(stdout);
}
