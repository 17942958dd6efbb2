#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (both the native and the Windows
# builds). Does nothing when they are all present.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    googletest libgtest-dev libgmock-dev
    qt6-base-dev libzip-dev libssl-dev libjsoncpp-dev openssl
    fonts-dejavu-core xvfb xauth librsvg2-bin imagemagick
    fonts-inter fonts-league-spartan fonts-droid-fallback
    g++-mingw-w64-x86-64-posix wine64
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
