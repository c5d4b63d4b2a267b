#!/usr/bin/env bash
# The Linux host on Xvfb with the default settings and cadence (7500 flowers, size 100,
# 64 frames a second asked for): both frame paths, full screen at 1920x1080 and on a 1x1
# screen, on Mesa's llvmpipe and under GALLIUM_NOOP=1 (all of OpenGL's CPU work, no
# drawing: a stand-in for a machine with a GPU); a 400x300 preview; then its CPU use while
# its window is unmapped. Each figure comes from the difference of two runs of N and 2N
# frames, so start-up and tear-down drop out; the share of a core at the default cadence is
# also read from a running host's own CPU time.
# usage: host_bench.sh [PETALRAIN]   (default build/native/linux/petalrain)
set -euo pipefail
host=$(realpath "${1:-build/native/linux/petalrain}")
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT

start_xvfb() {  # WIDTHxHEIGHT
    kill "${xvfb:-}" 2>/dev/null || true
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=:$(head -n 1 "$work/display")
}

seconds() {  # wall and CPU seconds of one run: "WALL CPU"; FRAMES, then host options
    local TIMEFORMAT='%R %U %S' frames=$1
    shift
    { time "$host" --root --frames "$frames" "$@" >/dev/null 2>&1; } 2>&1 | awk '{ print $1, $2 + $3 }'
}

# Prints the rate, the CPU per frame and the share of a core; keeps the CPU per frame in $cpu_ms.
measure() {  # LABEL FRAMES [host options]
    local label=$1 frames=$2
    shift 2
    read -r wall1 cpu1 < <(seconds "$frames" "$@")
    read -r wall2 cpu2 < <(seconds $((frames * 2)) "$@")
    cpu_ms=$(awk -v n="$frames" -v c1="$cpu1" -v c2="$cpu2" 'BEGIN { printf "%.4f", (c2 - c1) * 1000 / n }')
    awk -v label="$label" -v n="$frames" -v w1="$wall1" -v w2="$wall2" -v c1="$cpu1" -v c2="$cpu2" 'BEGIN {
        printf "%-42s %6.1f frames/s  %9.3f ms CPU per frame  %6.1f %% of a core\n",
            label, n / (w2 - w1), (c2 - c1) * 1000 / n, (c2 - c1) / (w2 - w1) * 100 }'
}

compare_paths() {  # DRIVER SIZE FRAMES
    local fixed
    start_xvfb "$2"
    measure "$1, $2, fixed" "$3" --renderer fixed
    fixed=$cpu_ms
    measure "$1, $2, instanced" "$3" --renderer instanced
    awk -v f="$fixed" -v i="$cpu_ms" 'BEGIN { printf "%-42s instanced / fixed CPU per frame = 1/%.1f\n", "", f / i }'
}

cpu_ticks() {  # user + system clock ticks of a process
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

# The share of a core that a running host takes over the next 10 s; then it is ended.
sample_share() {  # LABEL PID
    local before after
    before=$(cpu_ticks "$2")
    sleep 10
    after=$(cpu_ticks "$2")
    kill "$2"
    wait "$2" || true
    awk -v label="$1" -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" 'BEGIN {
        printf "%-42s %6.2f %% of one core over 10 s\n", label, t / hz * 10 }'
}

share_of_core() {  # LABEL [host options]: after 2 s to settle
    local label=$1
    shift
    "$host" --root "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep 2
    sample_share "$label" $pid
}

compare_paths llvmpipe 1920x1080 20
compare_paths llvmpipe 1x1 40
GALLIUM_NOOP=1 compare_paths GALLIUM_NOOP=1 1920x1080 320
GALLIUM_NOOP=1 compare_paths GALLIUM_NOOP=1 1x1 320

start_xvfb 1920x1080
for renderer in fixed instanced; do
    GALLIUM_NOOP=1 share_of_core "GALLIUM_NOOP=1, 1920x1080, $renderer, running" --renderer $renderer
done

start_xvfb 400x300
measure "llvmpipe, 400 x 300 preview" 100

start_xvfb 1920x1080
"$host" >/dev/null 2>&1 &
pid=$!
for _ in $(seq 100); do
    window=$(xdotool search --name '^Petalrain$' 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 0.1
done
sleep 2
xdotool windowunmap "$window"
sleep 1
sample_share "unmapped own window" $pid
