#!/usr/bin/env bash
# A GLX trace of the Linux host, taken as GLX programs are usually traced, replays to the
# picture the host drew: every buffer upload went through the context's own lookup.
# usage: glx_trace_test.sh PETALRAIN PETALRAIN-RENDER
set -euo pipefail
host=$1
renderer=$2
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT

Xvfb -displayfd 3 -screen 0 640x360x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n 1 "$work/display")

frames=4
# An OpenGL path by name: where OpenGL is software the host would take the raster path.
options=(--seed 9 --count 3000 --frames "$frames" --renderer sprite)
apitrace trace --api gl -o "$work/host.trace" "$host" --fullscreen "${options[@]}" >/dev/null 2>&1
apitrace dump-images -o "$work/replay" --calls=frame "$work/host.trace" >/dev/null
replayed=$(ls "$work"/replay*.png | tail -n 1)
"$renderer" --width 640 --height 360 --flowers 3000 --seed 9 --frames "$frames" --renderer sprite --out "$work/drawn" >/dev/null

tinted=$(convert "$replayed" -fill black +opaque white -format '%[fx:round((1 - mean) * w * h)]' info:)
differing=$(compare -metric AE "$replayed" "$work/drawn/frame_000$frames.png" null: 2>&1 || true)
echo "replayed frame $frames: $tinted tinted pixels, $differing differing from the headless frame"
[ "$tinted" -gt 10000 ] || { echo "FAIL: the replay shows no flowers"; exit 1; }
[ "$differing" -le 230 ] || { echo "FAIL: the replay differs from what the host draws"; exit 1; }
echo "PASS"
