#!/usr/bin/env bash
# Construit KALDRON sur Debian 12 (en installant les paquets manquants) puis
# le lance, ou lance la suite de tests.
#   outils/kaldron.sh lancer        construit et démarre KALDRON
#   outils/kaldron.sh tester        construit et passe toute la suite de tests
#   outils/kaldron.sh tester-asan   la même suite sous AddressSanitizer et UBSan
#   outils/kaldron.sh installer [P]  installe les deux programmes sous P (~/.local)
set -euo pipefail

racine="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
action="${1:-lancer}"

# poppler-utils : pdftotext relit ce que les essais impriment.
paquets=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-image-formats-plugins
         libgl-dev poppler-utils)

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
    cmake -S "$racine" -B "$dossier" -G Ninja "$@" >/dev/null
    cmake --build "$dossier" -j"$(nproc)"
}

installer_paquets
case "$action" in
lancer)
    construire "$racine/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    exec "$racine/build/src/manager/kaldron"
    ;;
tester)
    construire "$racine/build-tests" -DCMAKE_BUILD_TYPE=Debug
    cd "$racine/build-tests"
    ctest --output-on-failure -j"$(nproc)"
    ;;
tester-asan)
    construire "$racine/build-asan" -DCMAKE_BUILD_TYPE=Debug -DKALDRON_SANITIZE=ON
    cd "$racine/build-asan"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --output-on-failure -j"$(nproc)"
    ;;
installer)
    construire "$racine/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --install "$racine/build" --prefix "${2:-$HOME/.local}"
    ;;
*)
    echo "Usage : $0 lancer|tester|tester-asan|installer [préfixe]" >&2
    exit 2
    ;;
esac
