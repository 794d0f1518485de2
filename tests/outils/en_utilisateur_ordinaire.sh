#!/bin/sh
# Lance un programme d'essai en utilisateur ordinaire : en root, les droits
# d'accès ne refusent rien et les essais qui en dépendent ne prouveraient rien.
# Hors de root, le programme est lancé tel quel.
set -eu
programme="$1"
if [ "$(id -u)" -ne 0 ]; then
    exec "$@"
fi
utilisateur=nobody
groupe=$(id -gn "$utilisateur")
# Un répertoire de l'usager ordinaire, à lui seul, jeté à la fin.
maison=$(mktemp -d /tmp/kaldron-ordinaire-XXXXXX)
chown "$utilisateur:$groupe" "$maison"
trap 'rm -rf "$maison"' EXIT
en_ordinaire() {
    setpriv --reuid="$utilisateur" --regid="$groupe" --clear-groups \
        env -u XDG_RUNTIME_DIR -u XDG_CONFIG_HOME -u XDG_CACHE_HOME HOME="$maison" \
        TMPDIR="$maison" "$@"
}
# La construction peut se trouver sous un répertoire fermé (une copie du dépôt
# dans un mktemp -d) : le programme d'essai, lié statiquement aux bibliothèques
# du projet, est alors copié chez l'usager ordinaire.
if ! en_ordinaire test -x "$programme"; then
    cp "$programme" "$maison/"
    chown "$utilisateur:$groupe" "$maison/$(basename "$programme")"
    shift
    set -- "$maison/$(basename "$programme")" "$@"
fi
status=0
en_ordinaire "$@" || status=$?
exit "$status"
