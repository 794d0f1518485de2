#!/usr/bin/env bash
# Analyse statique : clang-tidy 14 avec la configuration .clang-tidy de la
# racine, sur src/, tests/, bench/ et, si clang++ est là, fuzz/.
# Sort en erreur (code 1) s'il reste le moindre avertissement.
#   outils/analyser.sh [fichier-ou-motif...]   (sans argument : tout l'arbre)
# KALDRON_TIDY_JOBS fixe le parallélisme (2 par défaut).
set -euo pipefail

racine="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
construction="$racine/build-tidy"
construction_fuzz="$racine/build-tidy-fuzz"
taches="${KALDRON_TIDY_JOBS:-2}"
journal="$construction/clang-tidy.log"

for outil in clang-tidy-14 cmake ninja; do
    command -v "$outil" >/dev/null || {
        echo "$outil manque (apt-get install clang-tidy-14 cmake ninja-build)" >&2
        exit 2
    }
done

lanceur=()
command -v ccache >/dev/null && lanceur=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# gcc, comme la construction ordinaire : clang-tidy relit ses options.
# Les cibles autogen n'attendent pas leurs dépendances : seuls les fichiers
# de moc comptent ici, pas les bibliothèques.
cmake -S "$racine" -B "$construction" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_COMPILER=g++ -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    -DCMAKE_AUTOGEN_ORIGIN_DEPENDS=OFF "${lanceur[@]}" >/dev/null

# Les essais incluent leur « .moc » : il doit exister avant l'analyse.
mapfile -t cibles_autogen < <(ninja -C "$construction" -t targets all |
    sed -n 's/^\([A-Za-z0-9_/]*_autogen\): phony$/\1/p' | grep -v CMakeFiles)
ninja -C "$construction" -j"$taches" "${cibles_autogen[@]}" >/dev/null

# fuzz/ n'existe qu'avec clang (libFuzzer) : un second répertoire configuré
# pour clang suffit, rien n'y est compilé.
bases=("$construction")
if command -v clang++ >/dev/null; then
    cmake -S "$racine" -B "$construction_fuzz" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_COMPILER=clang++ -DKALDRON_FUZZ=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
        >/dev/null
    bases+=("$construction_fuzz")
else
    echo "clang++ absent : fuzz/ n'est pas analysé" >&2
fi

# Un fichier compilé dans plusieurs cibles (commun_fuzz.cpp : dix) serait
# analysé une fois par cible : base réduite à sa première entrée. Le format
# est celui qu'écrit CMake, une clé par ligne et « { » / « }, » seuls.
base_unique() {
    mkdir -p "$1/tidy-db"
    awk 'BEGIN { print "[" }
         /^\{$/ { bloc = $0; fichier = ""; next }
         /^\},?$/ { if (!(fichier in vus)) { vus[fichier] = 1; if (n++) print ",";
                                              printf "%s\n}", bloc }
                    next }
         /^[][]$/ { next }
         { bloc = bloc "\n" $0; if ($0 ~ /^ *"file": /) fichier = $0 }
         END { print "\n]" }' "$1/compile_commands.json" >"$1/tidy-db/compile_commands.json"
}

# Fichiers de l'arbre source seulement : moc_*.cpp et qrc_*.cpp vivent dans
# le répertoire de construction et restent dehors.
fichiers_de() {
    sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$1/compile_commands.json" |
        grep -E "^$racine/(src|tests|bench|fuzz)/" | sort -u
}

# Arguments : ne garder que les fichiers qui contiennent l'un des motifs.
filtrer() {
    if [ $# -eq 0 ]; then
        cat
    else
        local motifs=()
        for m in "$@"; do motifs+=(-e "$m"); done
        grep -F "${motifs[@]}" || true
    fi
}

sorties="$construction/clang-tidy.d"
rm -rf "$sorties"
mkdir -p "$sorties"
analyses=0
for base in "${bases[@]}"; do
    # fuzz/ seulement depuis le répertoire clang, le reste depuis gcc.
    if [ "$base" = "$construction" ]; then
        selection=$(fichiers_de "$base" | grep -v "^$racine/fuzz/" | filtrer "$@")
    else
        selection=$(fichiers_de "$base" | grep "^$racine/fuzz/" | filtrer "$@")
    fi
    [ -n "$selection" ] || continue
    base_unique "$base"
    analyses=$((analyses + $(printf '%s\n' "$selection" | wc -l)))
    # Une sortie par fichier, pour que les processus parallèles ne mêlent pas
    # leurs lignes ; un échec de clang-tidy (code non nul) compte comme faute.
    printf '%s\n' "$selection" | xargs -P"$taches" -I{} sh -c '
        sortie="$2/$(printf %s "$1" | tr / _).log"
        clang-tidy-14 -p "$0/tidy-db" --quiet "$1" >"$sortie" 2>&1 ||
            echo "$1:1:1: error: clang-tidy a échoué (code $?) [clang-tidy]" >>"$sortie"
    ' "$base" {} "$sorties"
done
cat "$sorties"/*.log >"$journal" 2>/dev/null || true
if [ "$analyses" -eq 0 ]; then
    echo "Aucun fichier à analyser pour : $*" >&2
    exit 2
fi

# Un en-tête inclus par plusieurs fichiers est signalé par chacun : chaque
# diagnostic ne compte qu'une fois.
diagnostics=$(grep -E '^/.*:[0-9]+:[0-9]+: (warning|error):' "$journal" | sort -u || true)
if [ -n "$diagnostics" ]; then
    printf '%s\n' "$diagnostics"
    echo
    echo "Par vérification :"
    printf '%s\n' "$diagnostics" | sed -n 's/.*\[\([^]]*\)\]$/\1/p' | sort | uniq -c | sort -rn
    echo "clang-tidy : $(printf '%s\n' "$diagnostics" | wc -l) diagnostic(s), détail dans $journal" >&2
    exit 1
fi
echo "clang-tidy : aucun avertissement ($analyses fichiers)."
