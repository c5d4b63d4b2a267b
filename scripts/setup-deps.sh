#!/usr/bin/env bash
# Installs what building and running (run) or also testing (test, the default) need on
# Debian 12. Idempotent and quiet: only missing packages are installed. Without root it
# prints the sudo line instead.
# usage: setup-deps.sh [run|test]
set -euo pipefail
profile=${1:-test}

packages=(
    # the programs: the Linux saver, the headless renderer
    cmake ninja-build g++ pkg-config
    libgl-dev libegl-dev libglu1-mesa-dev libx11-dev libpng-dev
    libegl-mesa0 libglx-mesa0 libgl1-mesa-dri
)
if [ "$profile" = test ]; then
    packages+=(
        # native tests and benchmarks, the Linux host's tests on a private X server
        googletest libgtest-dev libbenchmark-dev xvfb xauth
        # fuzzing
        clang libclang-rt-14-dev
        # Windows build and its tests under Wine
        g++-mingw-w64-x86-64 mingw-w64-tools wine wine64 xdotool imagemagick locales
        fonts-ipafont-gothic
        # the Debian package (cpack with dpkg-shlibdeps) and its test
        dpkg-dev file libxml2-utils
    )
elif [ "$profile" != run ]; then
    echo "usage: $0 [run|test]" >&2
    exit 2
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

need_locale=0
if [ "$profile" = test ] && ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    need_locale=1
fi

if [ ${#missing[@]} -eq 0 ] && [ $need_locale -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing: ${missing[*]}${need_locale:+ (and the ja_JP.UTF-8 locale)}" >&2
    echo "Run: sudo bash $(dirname "$0")/setup-deps.sh $profile" >&2
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
