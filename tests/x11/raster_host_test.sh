#!/usr/bin/env bash
# The Linux host on the raster path: on a server without MIT-SHM (as a remote display has
# it) it shows the headless renderer's frame through plain XPutImage, and no software
# OpenGL is loaded into it at all; on a server without GLX it draws all the same.
# usage: raster_host_test.sh PETALRAIN PETALRAIN-RENDER
set -euo pipefail
host=$1
renderer=$2
work=$(mktemp -d)
trap 'kill $xvfb $saver 2>/dev/null || true; rm -rf "$work"' EXIT
# shellcheck source=../support.sh
. "$(dirname "$0")/../support.sh"

Xvfb -displayfd 3 -screen 0 640x360x24 -nolisten tcp -extension MIT-SHM -extension GLX 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n 1 "$work/display")

frames=4
"$host" --fullscreen --seed 9 --count 3000 --frames "$frames" --hold 2>"$work/host.log" &
saver=$!
"$renderer" --width 640 --height 360 --flowers 3000 --seed 9 --frames "$frames" --out "$work/drawn" >/dev/null 2>&1
grep -q "drawing with the raster path" "$work/host.log" || fail "not on the raster path: $(cat "$work/host.log")"

# The held frame, once shown: the same as the renderer's.
shows_drawn_frame() {
    import -window root "$work/shown.png" 2>/dev/null || return 1
    differing=$(compare -metric AE "$work/shown.png" "$work/drawn/frame_000$frames.png" null: 2>&1 || true)
    [ "$differing" = 0 ] || { echo "$differing pixels differ from the headless frame"; return 1; }
}
await 60 "the window does not show the headless frame" shows_drawn_frame
echo "shown through XPutImage: the headless frame"

libraries=$(grep -Eo '[^/ ]*(LLVM|_dri|gallium)[^/ ]*\.so[.0-9]*' "/proc/$saver/maps" | sort -u || true)
[ -z "$libraries" ] || fail "software OpenGL was loaded: $libraries"
kill $saver
wait $saver || true

# A machine that would have OpenGL (the no-op driver stands in) on a server without GLX.
GALLIUM_NOOP=1 "$host" --fullscreen --seed 9 --count 3000 --frames "$frames" --hold 2>"$work/host.log" &
saver=$!
await 60 "without GLX the window does not show the headless frame" shows_drawn_frame
grep -q "drawing with the raster path" "$work/host.log" || fail "it does not say why: $(cat "$work/host.log")"
echo "PASS"
