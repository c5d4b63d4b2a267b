#!/usr/bin/env bash
# Renders a short sequence of the saver's frames at 1920x1080 with the default settings,
# headless on Mesa, into out/frames/. Extra arguments go to petalrain-render.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -f scripts/setup-deps.sh ]; then
    bash scripts/setup-deps.sh
fi

cmake --preset native >/dev/null
cmake --build build/native --target petalrain-render

out=out/frames
mkdir -p "$out"
build/native/tools/render/petalrain-render --width 1920 --height 1080 --frames 120 \
    --save 1,60,120 --out "$out" "$@"
echo "Pictures are in $(pwd)/$out/"
