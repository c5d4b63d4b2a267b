#!/usr/bin/env bash
# Installs what building and running (run), building the release files (release) or building
# and testing everything (test, the default) need on Debian 12. Idempotent and quiet: only
# missing packages are installed. Without root it prints the sudo line instead.
# usage: setup-deps.sh [run|release|test]
set -euo pipefail
profile=${1:-test}

packages=(
    # the programs: the Linux saver (X11 and Wayland), the headless renderer
    cmake ninja-build g++ pkg-config
    libgl-dev libegl-dev libglu1-mesa-dev libx11-dev libpng-dev
    libwayland-dev wayland-protocols libwayland-bin libxext-dev libsystemd-dev
    libegl-mesa0 libglx-mesa0 libgl1-mesa-dri
)
release_packages=(
    # the Windows saver, its installer and zip; the Debian package (cpack with dpkg-shlibdeps);
    # the commit's time and state
    g++-mingw-w64-x86-64 nsis zip dpkg-dev file git
)
test_packages=(
    # native tests and benchmarks, the Linux host's tests on a private X server, GLX traces;
    # processes and windows looked for by name
    googletest libgtest-dev libbenchmark-dev xvfb xauth apitrace procps x11-utils
    # fuzzing
    clang libclang-rt-14-dev
    # the Windows tests and the installer's under Wine
    mingw-w64-tools wine wine64 xdotool imagemagick locales fonts-ipafont-gothic
    # the Debian package's test
    libxml2-utils lintian man-db
    # the Wayland mode's tests: a headless sway and its photographs; weston, which has no
    # layer shell, and its window that covers an output; for the saver modes a virtual
    # keyboard, a window that logs the keys reaching it, an idle daemon beside it and a
    # locker after it
    sway grim weston python3 wtype wev swayidle swaylock
    # the saver modes' tests: a private D-Bus with an inhibiting caller and a stand-in UPower
    dbus-daemon python3-dbus python3-dbusmock
)
case $profile in
run) ;;
release) packages+=("${release_packages[@]}") ;;
test) packages+=("${release_packages[@]}" "${test_packages[@]}") ;;
*)
    echo "usage: $0 [run|release|test]" >&2
    exit 2
    ;;
esac

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
    locale_note=""
    [ $need_locale -eq 0 ] || locale_note=" (and the ja_JP.UTF-8 locale)"
    echo "Missing: ${missing[*]}$locale_note" >&2
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
