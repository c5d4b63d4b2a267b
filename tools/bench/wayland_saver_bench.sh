#!/usr/bin/env bash
# Figures of the saver modes on a headless sway at 1920x1080, or MODE (numbers printed,
# nothing judged): the time from a click to the saver's exit; the share of a core and the resident
# memory of --idle while it waits; the share of a core while the saver shows, on the raster
# path (the default without a GPU) and on the sprite path on llvmpipe, with sway's beside it.
# usage: wayland_saver_bench.sh PETALRAIN VIRTUAL_POINTER [WAIT_SECONDS (default 60)] [MODE]
set -euo pipefail
wait_seconds=${3:-60}
mode=${4:-1920x1080}
tools=()
# shellcheck source=../../tests/wayland/lib.sh
. "$(dirname "$0")/../../tests/wayland/lib.sh"
results=$(mktemp -d)
wayland_session "$results" "$1" "$2"
hz=$(getconf CLK_TCK)

share_over() {  # SECONDS PID: percent of one core
    local before after
    before=$(cpu_ticks "$2")
    sleep "$1"
    after=$(cpu_ticks "$2")
    awk -v t=$((after - before)) -v hz="$hz" -v s="$1" 'BEGIN { printf "%.3f", t / hz / s * 100 }'
}

start_sway "$mode"
start_pointer

# Waiting: no surface, no frame.
start_saver --idle 3600
sleep 5
echo "--idle while waiting: $(share_over "$wait_seconds" "$saver_pid") % of one core over $wait_seconds s," \
    "resident $(awk '/VmRSS/ { print $2, $3 }' "/proc/$saver_pid/status")"
kill -TERM "$saver_pid"
await_exit

shown() {  # LABEL [env...]: the default scene shown, its share and sway's over 10 s
    local label=$1 saver0 sway0 saver1 sway1
    shift
    exec_in_session env "$@" "$run/petalrain" --saver 2>"$run/saver.log" &
    saver_pid=$!
    pids+=("$saver_pid")
    sleep 5
    saver0=$(cpu_ticks "$saver_pid") sway0=$(cpu_ticks "$sway")
    sleep 10
    saver1=$(cpu_ticks "$saver_pid") sway1=$(cpu_ticks "$sway")
    awk -v label="$label" -v a=$((saver1 - saver0)) -v b=$((sway1 - sway0)) -v hz="$hz" 'BEGIN {
        printf "%s: saver %.1f %% of one core, sway %.1f %%, over 10 s\n", label, a / hz * 10, b / hz * 10 }'
    echo "  resident $(awk '/VmRSS/ { print $2, $3 }' "/proc/$saver_pid/status")"
    kill -TERM "$saver_pid"
    await_exit
}
shown "--saver at $mode, raster path"
shown "--saver at $mode, sprite path on llvmpipe" PETALRAIN_RENDERER=sprite

# From the click's handling by the compositor to the exit, five times.
for _ in 1 2 3 4 5; do
    start_saver --saver
    await $patience "no flowers" shows_flowers HEADLESS-1 latency
    echo click >&9
    start=$(($(date +%s%N) / 1000000))
    while kill -0 "$saver_pid" 2>/dev/null; do sleep 0.002; done
    echo "click to exit: $(($(date +%s%N) / 1000000 - start)) ms"
    await_exit
done
