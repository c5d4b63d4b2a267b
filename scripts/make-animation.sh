#!/usr/bin/env bash
# Makes docs/petalrain.gif, the animation at the top of README: the default scene (7500
# flowers, size 100) rendered headless at 480x270, one picture every 4 steps (16 a second),
# 3 seconds, looping. Usage: bash scripts/make-animation.sh [output, default docs/petalrain.gif]
set -euo pipefail
cd "$(dirname "$0")/.."
output=${1:-docs/petalrain.gif}

width=480 height=270 seed=7
every=4      # steps between pictures; the saver runs 64 steps a second
pictures=48  # 3 seconds
colors=64    # the flowers are flat, so one shared palette of 64 shows no banding
limit=$((2 * 1024 * 1024))

bash scripts/setup-deps.sh run
command -v convert >/dev/null || { echo "needs ImageMagick: sudo apt-get install imagemagick" >&2; exit 1; }
cmake --preset release >/dev/null
cmake --build --preset release --target petalrain-render

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/release/tools/render/petalrain-render --width $width --height $height \
    --frames $((every * pictures)) --save-every $every --seed $seed --out "$work/frames" >/dev/null
frames=("$work"/frames/frame_*.png)
[ ${#frames[@]} -eq $pictures ] || { echo "expected $pictures pictures, got ${#frames[@]}" >&2; exit 1; }

# One palette for every picture, without dithering: pixels that do not change stay identical
# from one picture to the next, which keeps the frame differences small.
convert "${frames[0]}" "${frames[$((pictures / 2))]}" "${frames[-1]}" +append \
    +dither -colors $colors -unique-colors "$work/palette.png"

# GIF delays are in hundredths of a second; every/64 s is not a whole number of them, so each
# delay is the difference of rounded-down running totals (6, 6, 6, 7 for every=4).
args=()
for ((i = 0; i < pictures; i++)); do
    delay=$(( (i + 1) * every * 100 / 64 - i * every * 100 / 64 ))
    args+=(-delay "$delay" "${frames[$i]}")
done
mkdir -p "$(dirname "$output")"
convert "${args[@]}" -loop 0 +dither -remap "$work/palette.png" -layers Optimize "$output"

size=$(stat -c %s "$output")
echo "$output: ${width}x${height}, $pictures pictures, $((pictures * every * 1000 / 64)) ms, $size bytes"
[ "$size" -lt $limit ] || { echo "larger than $limit bytes" >&2; exit 1; }
