#!/usr/bin/env bash
# Builds the release files into dist/ from clean build folders of its own:
# petalrain_VERSION_amd64.deb, Petalrain-VERSION-setup.exe, Petalrain-VERSION-windows-x64.zip
# and SHA256SUMS. One commit gives the same bytes wherever and whenever it is built
# (scripts/check-reproducible.sh checks that).
# usage: bash scripts/release.sh [--allow-dirty]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

allow_dirty=0
for argument in "$@"; do
    case $argument in
    --allow-dirty) allow_dirty=1 ;;
    *) echo "usage: $0 [--allow-dirty]" >&2; exit 2 ;;
    esac
done

# Stops with the packages to install, before anything is built.
bash scripts/setup-deps.sh release

if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "release: $root is not a git work tree: the version's state and the file times come from its last commit" >&2
    exit 1
fi
suffix=
if [ -n "$(git status --porcelain)" ]; then
    if [ $allow_dirty -eq 0 ]; then
        echo "release: the work tree has changes that are not committed (see git status)." >&2
        echo "Commit them, or give --allow-dirty for a release whose version is marked +dirty." >&2
        exit 1
    fi
    suffix=+dirty
fi

# Every time in the release files is the last commit's; build paths stay out of the binaries;
# the modes of the package's ar members come from the umask.
umask 022
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
prefix_map="-ffile-prefix-map=$root=."
# The Linux program is hardened as Debian's own packages are (dpkg-buildflags).
hardening="-fstack-protector-strong -D_FORTIFY_SOURCE=2"

linux=build/dist-linux
windows=build/dist-windows
rm -rf "$linux" "$windows" dist
mkdir -p dist

echo "== Linux"
CFLAGS="$prefix_map $hardening" CXXFLAGS="$prefix_map $hardening" LDFLAGS="-Wl,-z,relro,-z,now" \
    cmake --preset release -B "$linux" -DPETALRAIN_VERSION_SUFFIX="$suffix" >/dev/null
cmake --build "$linux"
cpack -G DEB --config "$linux/CPackConfig.cmake" -B "$root/$linux/package" >/dev/null

echo "== Windows"
CFLAGS="$prefix_map" CXXFLAGS="$prefix_map" \
    cmake --preset windows -B "$windows" -DBUILD_TESTING=OFF -DPETALRAIN_VERSION_SUFFIX="$suffix" >/dev/null
cmake --build "$windows" --target installer windows_zip

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$linux/CMakeCache.txt")$suffix
cp "$linux/package/petalrain_${version}_amd64.deb" \
   "$windows/Petalrain-$version-setup.exe" \
   "$windows/Petalrain-$version-windows-x64.zip" dist/
(cd dist && sha256sum -- *.deb *.exe *.zip >SHA256SUMS)

echo "== dist/ (Petalrain $version, commit $(git rev-parse --short HEAD))"
(cd dist && ls -l -- * && cat SHA256SUMS)
