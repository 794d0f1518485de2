#!/usr/bin/env bash
# Construit KALDRON sur Debian 12 (en installant les paquets manquants) puis
# le lance, ou lance la suite de tests.
#   outils/kaldron.sh lancer        construit et démarre KALDRON
#   outils/kaldron.sh tester        construit et passe toute la suite de tests deux fois
#                                   (gcc, puis clang sous AddressSanitizer et UBSan),
#                                   puis lance chaque cible de fuzzing 30 s
#   outils/kaldron.sh tester-asan   la même suite sous AddressSanitizer et UBSan
#   outils/kaldron.sh installer [P]  installe les deux programmes sous P (~/.local)
#   outils/kaldron.sh captures      refait les captures d'écran du README (doc/captures)
set -euo pipefail

racine="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
action="${1:-lancer}"

# poppler-utils : pdftotext relit ce que les essais impriment ; xvfb et
# xdotool : les essais de bout en bout (un vrai serveur X, de vrais clics).
paquets=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-image-formats-plugins qt6-translations-l10n
         libgl-dev poppler-utils xvfb xdotool clang libclang-rt-14-dev)

installer_paquets() {
    local manquants=()
    for p in "${paquets[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" \
            || manquants+=("$p")
    done
    [ ${#manquants[@]} -eq 0 ] && return 0
    echo "Paquets manquants : ${manquants[*]}"
    if [ "$(id -u)" -eq 0 ]; then
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${manquants[@]}"
    elif command -v sudo >/dev/null; then
        sudo apt-get update -qq
        sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${manquants[@]}"
    else
        echo "Lancez en root : apt-get install -y ${manquants[*]}" >&2
        exit 1
    fi
}

construire() {
    local dossier="$1"
    shift
    # ccache, s'il est là, sert d'une copie du dépôt à l'autre (il n'est pas exigé).
    local cache=()
    if command -v ccache >/dev/null; then
        cache=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        export CCACHE_BASEDIR="$racine" CCACHE_NOHASHDIR=1
    fi
    cmake -S "$racine" -B "$dossier" -G Ninja "${cache[@]}" "$@" >/dev/null
    cmake --build "$dossier" -j"$(nproc)"
}

# La suite sous AddressSanitizer et UBSan (sans les bancs d'essai).
tester_asan() {
    construire "$racine/build-asan" -DCMAKE_BUILD_TYPE=Debug -DKALDRON_SANITIZE=ON \
        -DKALDRON_BANCS=OFF
    (cd "$racine/build-asan" &&
        KALDRON_E2E_OBLIGATOIRE=1 ASAN_OPTIONS=detect_leaks=1 \
            UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j"$(nproc)")
}

installer_paquets
case "$action" in
lancer)
    construire "$racine/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    exec "$racine/build/bin/kaldron" "${@:2}"
    ;;
tester)
    construire "$racine/build-tests" -DCMAKE_BUILD_TYPE=Debug
    # Les essais de bout en bout ne s'effacent pas : Xvfb est installé.
    (cd "$racine/build-tests" && KALDRON_E2E_OBLIGATOIRE=1 ctest --output-on-failure -j"$(nproc)")
    # Seconde passe : tout l'arbre construit par clang sous les sanitizers, la
    # construction même des cibles de fuzzing (une seule construction à froid
    # de plus, au lieu de deux).
    construire "$racine/build-fuzz" -DCMAKE_CXX_COMPILER=clang++ -DKALDRON_FUZZ=ON \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-g -DKALDRON_BANCS=OFF
    (cd "$racine/build-fuzz" && KALDRON_E2E_OBLIGATOIRE=1 ASAN_OPTIONS=detect_leaks=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j"$(nproc)")
    # Courses courtes de chaque lecteur d'octets venus de l'extérieur, sur un
    # corpus propre à cette construction : une régression se voit.
    # Délai de blocage large : la machine de CI peut être chargée.
    KALDRON_FUZZ_CONSTRUIT=1 KALDRON_CORPUS="$racine/build-fuzz/corpus" \
        KALDRON_FUZZ_TACHES="$(nproc)" KALDRON_FUZZ_DELAI=20 sh "$racine/fuzz/lancer.sh" 30
    ;;
tester-asan)
    tester_asan
    ;;
captures)
    # Les captures sont prises par la suite de bout en bout elle-même.
    construire "$racine/build-tests" -DCMAKE_BUILD_TYPE=Debug
    cd "$racine/build-tests"
    KALDRON_E2E_OBLIGATOIRE=1 KALDRON_CAPTURES="$racine/doc/captures" \
        ctest --output-on-failure -L e2e
    ;;
installer)
    construire "$racine/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --install "$racine/build" --prefix "${2:-$HOME/.local}"
    ;;
*)
    echo "Usage : $0 lancer|tester|tester-asan|captures|installer [préfixe]" >&2
    exit 2
    ;;
esac
