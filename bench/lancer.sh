#!/usr/bin/env bash
# Construit (Release, build-bench) et lance tous les bancs d'essai.
# Chaque bench_X écrit des lignes « NOM;notre_ms;pair_ms[;pair] », temps par
# opération ; ce script en fait un tableau avec le rapport nous / pair.
set -euo pipefail

racine="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
construction="$racine/build-bench"

cibles=()
for source in "$racine"/bench/bench_*.cpp; do
    cibles+=("$(basename "$source" .cpp)")
done

# On ne construit que les bancs (et ce qu'ils lient), pas les programmes.
if ! journal=$(cmake -S "$racine" -B "$construction" -G Ninja -DCMAKE_BUILD_TYPE=Release 2>&1 &&
    cmake --build "$construction" --target "${cibles[@]}" -j2 2>&1); then
    printf '%s\n' "$journal" >&2
    echo "lancer.sh : la construction des bancs a échoué" >&2
    exit 1
fi

# Largeur en caractères, pas en octets : les noms ont des accents.
export LC_ALL=C.UTF-8
ligne() {
    local nom="$1"
    shift
    printf '%s%*s %12s %12s %10s  %s\n' "$nom" $((50 - ${#nom})) "" "$@"
}
ligne "MESURE" "NOUS (ms)" "PAIR (ms)" "RAPPORT" "PAIR"
statut=0
for cible in "${cibles[@]}"; do
    if ! sortie=$("$construction/bench/$cible"); then
        echo "$cible : échec" >&2
        statut=1
        continue
    fi
    while IFS=';' read -r nom notre pair outil; do
        [[ -z "$nom" ]] && continue
        rapport=$(awk -v a="$notre" -v b="$pair" 'BEGIN { if (b > 0) printf "%.3f", a / b; else print "-" }')
        ligne "$nom" "$(printf '%.4f' "$notre")" "$(printf '%.4f' "$pair")" "$rapport" "${outil:-}"
    done <<<"$sortie"
done
echo "(temps par opération ; rapport < 1 : plus rapide que l'outil pair)"
exit $statut
