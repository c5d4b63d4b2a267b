#!/usr/bin/env bash
# usage: check-deb.sh CPACK CPackConfig.cmake SCRATCH VERSION
# Packs the build tree, checks the package's files and control fields and runs lintian on it,
# unpacks it into SCRATCH/root with dpkg -x (no root, no dpkg database, Depends not enforced:
# those are checked as fields), runs the unpacked program through its /usr/bin link and
# renders its manual page.
set -euo pipefail
cpack=$1 config=$2 scratch=$3 version=$4
rm -rf "$scratch"
mkdir -p "$scratch"

"$cpack" -G DEB --config "$config" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; exit 1; }
deb=$scratch/out/petalrain_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "no $deb"; ls "$scratch/out"; exit 1; }

fail=0
# Mode and path of every file and link: a missing, extra or non-executable file, or a link
# that is not relative, shows up as a difference.
dpkg-deb -c "$deb" | grep -v '^d' | awk '{ $2 = $3 = $4 = $5 = ""; print }' | tr -s ' ' >"$scratch/files"
cat >"$scratch/expected" <<LIST
lrwxrwxrwx ./usr/bin/petalrain -> ../libexec/xscreensaver/petalrain
-rwxr-xr-x ./usr/libexec/xscreensaver/petalrain
-rw-r--r-- ./usr/share/applications/screensavers/petalrain.desktop
-rw-r--r-- ./usr/share/doc/petalrain/changelog.gz
-rw-r--r-- ./usr/share/doc/petalrain/copyright
-rw-r--r-- ./usr/share/man/man6/petalrain.6.gz
-rw-r--r-- ./usr/share/xscreensaver/config/petalrain.xml
LIST
diff -u "$scratch/expected" <(LC_ALL=C sort -k2 "$scratch/files") || { echo "package files differ"; fail=1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = petalrain ] || { echo "Package: $(field Package)"; fail=1; }
[ "$(field Version)" = "$version" ] || { echo "Version: $(field Version)"; fail=1; }
depends=$(field Depends)
for lib in libc6 libx11-6 'libgl1|libopengl0' libegl1 libwayland-client0 libwayland-egl1; do
    grep -Eq "(^|, )($lib)( |,|$)" <<<"$depends" || { echo "Depends lacks $lib: $depends"; fail=1; }
done

# Warnings are printed for the log; only errors fail.
lintian --fail-on error --no-tag-display-limit "$deb" || { echo "lintian reports errors"; fail=1; }

root=$scratch/root
dpkg -x "$deb" "$root"
program=$root/usr/libexec/xscreensaver/petalrain
file -L "$program" | grep -q ', stripped' || { echo "not stripped: $(file -L "$program")"; fail=1; }
xmllint --noout "$root/usr/share/xscreensaver/config/petalrain.xml" || { echo "xml not well formed"; fail=1; }
if ! out=$("$root/usr/bin/petalrain" --help 2>&1); then
    echo "petalrain --help failed: $out"; fail=1
elif ! grep -qi usage <<<"$out"; then
    echo "petalrain --help printed no usage: $out"; fail=1
fi
# The manual page renders without warnings and names every option of the usage.
page=$root/usr/share/man/man6/petalrain.6.gz
warnings=$(LC_ALL=C.UTF-8 man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || { echo "man -l warns: $warnings"; fail=1; }
manual=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" 2>/dev/null)
grep -q '^PETALRAIN(6)' <<<"$manual" || { echo "the manual page did not render"; fail=1; }
for option in $(grep -oE -- '--[a-z][a-z-]*' <<<"$out" | sort -u); do
    grep -qe "$option" <<<"$manual" || { echo "the manual page lacks $option"; fail=1; }
done
exit $fail
