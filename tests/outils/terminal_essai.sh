#!/bin/sh
# Émulateur de terminal des essais : note ce qu'il a reçu (si on le lui
# demande), puis lance la commande qui suit -e, sans clavier.
if [ -n "${TERMINAL_ESSAI_TEMOIN:-}" ]; then
    printf '%s\n' "$@" >"$TERMINAL_ESSAI_TEMOIN"
fi
[ "$1" = -e ] && shift
exec "$@" </dev/null
