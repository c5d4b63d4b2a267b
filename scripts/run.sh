#!/usr/bin/env bash
# Builds the programs and shows the saver in a window of its own on X11, or as the desktop's
# background on a Wayland compositor with the layer shell (Ctrl-C ends it); without a display,
# renders a short sequence of frames headless into out/frames/ instead.
# Extra arguments go to the program that runs (petalrain, or petalrain-render).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh run
cmake --preset release >/dev/null
cmake --build --preset release

if [ -n "${DISPLAY:-}" ]; then
    exec build/release/linux/petalrain "$@"
fi
if [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec build/release/linux/petalrain --wayland "$@"
fi

echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): rendering 120 frames at 1920x1080 headless into out/frames/."
out=out/frames
mkdir -p "$out"
build/release/tools/render/petalrain-render --width 1920 --height 1080 --frames 120 \
    --save 1,60,120 --out "$out" "$@"
