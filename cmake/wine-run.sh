#!/bin/sh
# Runs a Windows executable under Wine's 64-bit loader (Debian installs it outside PATH).
# WINEPREFIX comes from the caller (scripts/test.sh makes a fresh one per run).
loader=${WINE_LOADER:-/usr/lib/wine/wine64}
[ -x "$loader" ] || loader=$(command -v wine64 || command -v wine)
export WINEDEBUG=${WINEDEBUG:--all}
exec "$loader" "$@"
