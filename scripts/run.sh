#!/usr/bin/env bash
# Starts KelmoraFp on the simulated drive: installs what is missing, builds the program and
# the simulated drive's tools (when they exist), attaches a simulated drive when none is on the
# bus, and runs the program (under Xvfb when there is no display).
# KELMORA_BUILD_DIR chooses the build folder (default: build/linux, the default preset's).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=${KELMORA_BUILD_DIR:-build/linux}
if [ "$build" = build/linux ]; then
    cmake --preset default >/dev/null
else
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi

targets=(KelmoraFp)
available=$(cmake --build "$build" --target help)
for t in JMUsbDll drivesim KelmoraFpSSDServer; do
    grep -q "^$t:" <<<"$available" && targets+=("$t")
done
cmake --build "$build" --target "${targets[@]}"

drivesim=$build/bin/drivesim
if [ -x "$drivesim" ]; then
    status=$("$drivesim" status)
    if ! grep -q ': on the bus' <<<"$status"; then
        detached=$(sed -n 's/^drive \([0-9]*\): detached.*/\1/p' <<<"$status" | head -n 1)
        if [ -n "$detached" ]; then
            "$drivesim" plug "$detached"
        else
            "$drivesim" attach >/dev/null
        fi
    fi
    echo "Simulated drives ($drivesim status; change them with $drivesim --help):"
    "$drivesim" status | sed 's/^/  /'
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    exec xvfb-run -a "$build/bin/KelmoraFp"
fi
exec "$build/bin/KelmoraFp"
