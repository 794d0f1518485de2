#pragma once

#include <cstddef>
#include <system_error>
#include <thread>

namespace plateforme {

// Fait lire(de, a) sur [0, n) : un appel système par élément, donc à partir
// de `seuil` éléments un second fil en fait la moitié. Sans second fil
// possible, tout se fait ici.
template <class Lire> void en_deux_fils(std::size_t n, std::size_t seuil, Lire&& lire) {
    const std::size_t moitie = n >= seuil ? n / 2 : 0;
    std::thread autre;
    try {
        if (moitie > 0)
            autre = std::thread([&] { lire(moitie, n); });
    } catch (const std::system_error&) {
    }
    lire(std::size_t(0), autre.joinable() ? moitie : n);
    if (autre.joinable())
        autre.join();
}

} // namespace plateforme
