#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the native suite, then the Windows
# suite (MinGW-w64 cross build) under Wine with a fresh prefix.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
cmake --preset default
cmake --build --preset default
ctest --preset default

cmake --preset windows
cmake --build --preset windows
WINEPREFIX=$(mktemp -d /tmp/kelmora-wine.XXXXXX)
export WINEPREFIX
# Debian's wine64 keeps its server outside PATH, like its loader.
wineserver=/usr/lib/wine/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver || echo true)
trap 'timeout 20 "$wineserver" -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
WINEDEBUG=-all cmake/wine-run.sh wineboot -i >/dev/null 2>&1 || true
# A prefix fresh from wineboot keeps its first service manager alive until the server ends;
# waiting for that keeps service tests from talking to two of them.
timeout 60 "$wineserver" -w || true
ctest --preset windows
