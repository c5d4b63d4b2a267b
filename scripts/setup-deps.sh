#!/usr/bin/env bash
# Installs what building, testing and rendering need on Debian 12. Idempotent and quiet:
# only missing packages are installed. Without root it prints the sudo line instead.
set -euo pipefail

packages=(
    # native build, tests, tools
    cmake ninja-build g++ pkg-config
    libgl-dev libegl-dev libglu1-mesa-dev libegl-mesa0 libgl1-mesa-dri
    googletest libgtest-dev libbenchmark-dev libpng-dev
    # fuzzing
    clang libclang-rt-14-dev
    # Windows build and its tests under Wine
    g++-mingw-w64-x86-64 mingw-w64-tools wine wine64 xvfb xauth xdotool imagemagick locales
    fonts-ipafont-gothic
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

need_locale=0
locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' || need_locale=1

if [ ${#missing[@]} -eq 0 ] && [ $need_locale -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing: ${missing[*]}${need_locale:+ (and the ja_JP.UTF-8 locale)}" >&2
    echo "Run: sudo bash $(dirname "$0")/setup-deps.sh" >&2
    exit 1
fi

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ $need_locale -eq 1 ]; then
    # Wine hands the A functions code page 932 text only under a Japanese locale.
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
fi
