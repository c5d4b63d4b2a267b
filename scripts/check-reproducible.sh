#!/usr/bin/env bash
# Builds the release files of the last commit twice, in two fresh clones in different folders,
# one after the other under different time zones and umasks, and compares them byte for byte.
# Changes not committed are not part of it. Takes two release builds' time.
# usage: bash scripts/check-reproducible.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh release

work=$(mktemp -d "${TMPDIR:-/tmp}/petalrain-reproducible.XXXXXX")
first=$work/first
second=$work/a-second-folder-elsewhere
git clone -q . "$first"
git clone -q . "$second"
echo "commit $(git -C "$first" rev-parse --short HEAD), built in $first and $second"

build() {  # folder, time zone, umask
    echo "== release in $1"
    if ! (cd "$1" && umask "$3" && TZ=$2 bash scripts/release.sh) >"$1.log" 2>&1; then
        tail -n 30 "$1.log"
        echo "the release failed; its log and folders are kept in $work" >&2
        exit 1
    fi
}
build "$first" UTC 022
build "$second" Asia/Tokyo 002

# The release files and, on its own, the .scr that the installer and the zip carry.
status=0
(cd "$first" && ls dist/* && echo build/dist-windows/host/Petalrain.scr) >"$work/first.files"
(cd "$second" && ls dist/* && echo build/dist-windows/host/Petalrain.scr) >"$work/second.files"
diff -u "$work/first.files" "$work/second.files" || status=1
while read -r name; do
    if cmp -s "$first/$name" "$second/$name"; then
        printf 'same      %9s bytes  %s\n' "$(stat -c %s "$first/$name")" "$(cd "$first" && sha256sum "$name")"
    else
        echo "DIFFERENT $name"
        status=1
    fi
done <"$work/first.files"

if [ $status -eq 0 ]; then
    rm -rf "$work"
    echo "reproducible: both builds gave the same bytes"
else
    echo "not reproducible; both folders are kept in $work" >&2
fi
exit $status
