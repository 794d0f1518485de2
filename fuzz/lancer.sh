#!/bin/sh
# Construit les cibles libFuzzer (build-fuzz, clang, Release avec -g) et lance
# chacune DUREE secondes (défaut 30), l'une après l'autre, sur un corpus local
# hors du dépôt : /tmp/kaldron-corpus/<cible>. Usage : fuzz/lancer.sh [DUREE] [CIBLE...]
# KALDRON_FUZZ_TACHES=N : N cibles à la fois (1 par défaut).
# KALDRON_FUZZ_DELAI=S : délai d'une entrée avant de la dire bloquante (5 s) ;
# plus long sur une machine chargée, où une entrée attend son tour de processeur.
# Sort en erreur si une cible a gardé une entrée fautive (plantage, attente,
# mémoire) pendant cette course.
set -eu

DUREE=${1:-30}
[ $# -gt 0 ] && shift
RACINE=$(cd "$(dirname "$0")/.." && pwd)
CONSTRUCTION=$RACINE/build-fuzz
CORPUS=${KALDRON_CORPUS:-/tmp/kaldron-corpus}
ECHANTILLONS=$RACINE/../shared/samples
TACHES=${KALDRON_FUZZ_TACHES:-1}
DELAI=${KALDRON_FUZZ_DELAI:-5}
CIBLES=${*:-"texte vidage dbase traitement_texte profil index_corbeille ligne_commande ligne_morvine motif_dos motif_like"}

# KALDRON_FUZZ_CONSTRUIT=1 : les cibles sont déjà construites (course seule).
if [ "${KALDRON_FUZZ_CONSTRUIT:-0}" != 1 ]; then
    LANCEUR=
    command -v ccache >/dev/null 2>&1 && LANCEUR=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
    cmake -S "$RACINE" -B "$CONSTRUCTION" -G Ninja -DKALDRON_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-g $LANCEUR >/dev/null
    cmake --build "$CONSTRUCTION" --target fuzz -j2
fi

# Amorce : les fichiers d'essai du projet, et les échantillons partagés qui
# conviennent au lecteur (copiés dans le corpus local seulement).
amorcer() {
    cible=$1
    dossier=$CORPUS/$cible
    mkdir -p "$dossier"
    find "$RACINE/tests" -type f -size -64k -exec cp -n {} "$dossier/" \;
    [ -d "$ECHANTILLONS" ] || return 0
    case $cible in
    dbase) sous="dbf" ;;
    traitement_texte) sous="doc wri" ;;
    texte | vidage) sous="txt doc wri dbf" ;;
    *) sous="" ;;
    esac
    for s in $sous; do
        [ -d "$ECHANTILLONS/$s" ] && find "$ECHANTILLONS/$s" -type f -size -256k \
            -exec cp -n {} "$dossier/" \;
    done
    return 0
}

# Une course : son résumé va dans CORPUS/<cible>.resume, lu à la fin.
courir() {
    cible=$1
    amorcer "$cible"
    artefacts=$CORPUS/artefacts/$cible
    mkdir -p "$artefacts"
    avant=$(find "$artefacts" -type f | wc -l)
    journal=$CORPUS/$cible.log
    case $cible in
    texte | vidage | dbase | traitement_texte) longueur=65536 ;;
    *) longueur=4096 ;;
    esac
    set +e
    "$CONSTRUCTION/fuzz/fuzz_$cible" -max_total_time="$DUREE" -timeout="$DELAI" -rss_limit_mb=2048 \
        -max_len="$longueur" -print_final_stats=1 -artifact_prefix="$artefacts/" \
        "$CORPUS/$cible" >"$journal" 2>&1
    set -e
    par_s=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$journal" | tail -n 1)
    total=$(sed -n 's/^stat::number_of_executed_units: *//p' "$journal" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$journal" | tail -n 1 | cut -d' ' -f2)
    ft=$(grep -o 'ft: [0-9]*' "$journal" | tail -n 1 | cut -d' ' -f2)
    fautes=$(($(find "$artefacts" -type f | wc -l) - avant))
    printf '%-18s %10s %10s %8s %8s %s\n' "$cible" "${par_s:-?}" "${total:-?}" "${cov:-?}" \
        "${ft:-?}" "$fautes (journal : $journal)" >"$CORPUS/$cible.resume"
}

mkdir -p "$CORPUS"
printf '%-18s %10s %10s %8s %8s %s\n' cible "exéc./s" exécutions cov ft "nouvelles fautes"
en_cours=0
for cible in $CIBLES; do
    rm -f "$CORPUS/$cible.resume"
    courir "$cible" &
    en_cours=$((en_cours + 1))
    if [ "$en_cours" -ge "$TACHES" ]; then
        wait
        en_cours=0
    fi
done
wait
total_fautes=0
for cible in $CIBLES; do
    if [ -f "$CORPUS/$cible.resume" ]; then
        cat "$CORPUS/$cible.resume"
        n=$(sed 's/.* \([0-9-]*\) (journal.*/\1/' "$CORPUS/$cible.resume")
        total_fautes=$((total_fautes + n))
    else
        echo "$cible : la course n'a rien rendu" >&2
        total_fautes=$((total_fautes + 1))
    fi
done
if [ "$total_fautes" -ne 0 ]; then
    echo "Fuzzing : $total_fautes entrée(s) fautive(s), voir $CORPUS/artefacts" >&2
    exit 1
fi
