#!/usr/bin/env bash
# Frame rate and CPU time per frame of the Linux host on Xvfb with the default settings and
# cadence, full screen at 1920x1080 and in a 400x300 preview; then its CPU use while its
# window is unmapped. Each rate comes from the difference of two runs of N and 2N frames,
# so start-up and tear-down drop out.
# usage: host_bench.sh [PETALRAIN]   (default build/native/x11/petalrain)
set -euo pipefail
host=$(realpath "${1:-build/native/x11/petalrain}")
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

seconds() {  # wall and CPU seconds of one run: "WALL CPU"
    local TIMEFORMAT='%R %U %S'
    { time "$host" --root --frames "$1" >/dev/null 2>&1; } 2>&1 | awk '{ print $1, $2 + $3 }'
}

measure() {  # LABEL FRAMES
    read -r wall1 cpu1 < <(seconds "$2")
    read -r wall2 cpu2 < <(seconds $(($2 * 2)))
    awk -v label="$1" -v n="$2" -v w1="$wall1" -v w2="$wall2" -v c1="$cpu1" -v c2="$cpu2" 'BEGIN {
        printf "%-28s %6.1f frames/s   %6.1f ms CPU per frame\n", label, n / (w2 - w1), (c2 - c1) * 1000 / n }'
}

cpu_ticks() {  # user + system clock ticks of a process
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

start_xvfb 1920x1080
measure "1920 x 1080, root window" 40
start_xvfb 400x300
measure "400 x 300, preview" 200

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
before=$(cpu_ticks $pid)
sleep 10
after=$(cpu_ticks $pid)
kill $pid
wait $pid || true
awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" 'BEGIN {
    printf "%-28s %6.2f %% of one core over 10 s\n", "unmapped own window", t / hz * 10 }'
