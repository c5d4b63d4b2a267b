#!/usr/bin/env bash
# The Linux host with the default settings and cadence (7500 flowers, size 100, 64 frames a
# second asked for), on Mesa's llvmpipe and under GALLIUM_NOOP=1 (all of OpenGL's CPU work,
# no drawing: a stand-in for a machine with a GPU):
# - on Xvfb, each frame path (raster, sprite, its OpenGL 1.1 form, instanced, fixed) full
#   screen at 1920x1080 and on a 1x1 screen, with ratios to fixed; the share of a core of each
#   while running; the raster path with the X server's share beside the host's; a 400x300
#   preview; its CPU use while its window is unmapped;
# - the Wayland mode on a headless sway at 1920x1080 beside the X11 host on Xvfb;
# - resident memory while running at 1920x1080.
# Rates and CPU per frame come from the difference of two runs of N and 2N frames, so
# start-up and tear-down drop out; a running host's share of a core is read from its own
# CPU time.
# usage: host_bench.sh [PETALRAIN]   (default build/native/linux/petalrain)
#   HOST_BENCH_MEMORY_SECONDS: how long the memory run lasts (default 60; 600 for the target)
set -euo pipefail
host=$(realpath "${1:-build/native/linux/petalrain}")
memory_seconds=${HOST_BENCH_MEMORY_SECONDS:-60}
work=$(mktemp -d)
. "$(dirname "$0")/../../tests/wayland/headless_sway.sh"
finish() {
    kill "${xvfb:-}" 2>/dev/null || true
    [ -z "$run" ] || session_close
    rm -rf "$work"
}
trap finish EXIT
# The 1.1 form of the sprite path: Mesa stands in for a context of OpenGL 1.1 alone.
gl11=(MESA_GL_VERSION_OVERRIDE=1.1 MESA_EXTENSION_MAX_YEAR=1997)
limit=60

start_xvfb() {  # WIDTHxHEIGHT
    kill "${xvfb:-}" 2>/dev/null || true
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=:$(head -n 1 "$work/display")
}

# The host as the next measurements start it: on X11 on the root window, or in the
# Wayland session (whose clean environment takes the driver's variables as arguments).
driver_env=()
x11_host() { env "${driver_env[@]}" "$host" --root "$@"; }
runner=(x11_host)

seconds() {  # FRAMES [host options]: sets wall and cpu (seconds); fails as the host does
    local TIMEFORMAT='%R %U %S' frames=$1
    shift
    { time "${runner[@]}" --frames "$frames" "$@" >/dev/null 2>"$work/stderr"; } 2>"$work/time" || return
    read -r wall cpu < <(awk '{ print $1, $2 + $3 }' "$work/time")
}

# Prints the rate, the CPU per frame and the share of a core; keeps the CPU per frame in
# $cpu_ms (empty when the host did not run to the end).
measure() {  # LABEL FRAMES [host options]
    local label=$1 frames=$2 wall1 cpu1 wall2 cpu2 status=0
    shift 2
    cpu_ms=
    if seconds "$frames" "$@"; then
        wall1=$wall cpu1=$cpu
        seconds $((frames * 2)) "$@" || status=$?
        wall2=$wall cpu2=$cpu
    else
        status=$?
    fi
    case $status in
    0) ;;
    2) printf '%-52s refused: %s\n' "$label" "$(head -n 1 "$work/stderr")"; return 0 ;;
    124) printf '%-52s stalled: not done after %d s\n' "$label" "$limit"; return 0 ;;
    *) printf '%-52s failed (exit %d): %s\n' "$label" "$status" "$(head -n 1 "$work/stderr")"; return 0 ;;
    esac
    cpu_ms=$(awk -v n="$frames" -v c1="$cpu1" -v c2="$cpu2" 'BEGIN { printf "%.4f", (c2 - c1) * 1000 / n }')
    awk -v label="$label" -v n="$frames" -v w1="$wall1" -v w2="$wall2" -v c1="$cpu1" -v c2="$cpu2" 'BEGIN {
        printf "%-52s %6.1f frames/s  %9.3f ms CPU per frame  %6.1f %% of a core\n",
            label, n / (w2 - w1), (c2 - c1) * 1000 / n, (c2 - c1) / (w2 - w1) * 100 }'
}

ratio() {  # LABEL NUMERATOR DENOMINATOR: "1/x" below 1/4, else a decimal
    [ -n "$2" ] && [ -n "$3" ] || { printf '%-52s %s\n' "" "$1: no figure"; return 0; }
    awk -v label="$1" -v a="$2" -v b="$3" 'BEGIN {
        r = a / b
        if (r < 0.25) printf "%-52s %s = 1/%.1f\n", "", label, b / a
        else printf "%-52s %s = %.2f\n", "", label, r }'
}

compare_paths() {  # DRIVER SIZE FRAMES
    local fixed instanced sprite raster
    start_xvfb "$2"
    measure "$2, raster (no OpenGL)" $(($3 * 4)) --renderer raster
    raster=$cpu_ms
    measure "$1, $2, fixed" "$3" --renderer fixed
    fixed=$cpu_ms
    measure "$1, $2, instanced" "$3" --renderer instanced
    instanced=$cpu_ms
    measure "$1, $2, sprite" "$3" --renderer sprite
    sprite=$cpu_ms
    export "${gl11[@]}"
    measure "$1, $2, sprite, OpenGL 1.1 form" "$3" --renderer sprite
    unset MESA_GL_VERSION_OVERRIDE MESA_EXTENSION_MAX_YEAR
    ratio "CPU per frame: instanced / fixed" "$instanced" "$fixed"
    ratio "sprite / fixed" "$sprite" "$fixed"
    ratio "sprite 1.1 form / fixed" "$cpu_ms" "$fixed"
    ratio "sprite 1.1 form / sprite" "$cpu_ms" "$sprite"
    ratio "raster / sprite" "$raster" "$sprite"
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
        printf "%-52s %6.2f %% of one core over 10 s\n", label, t / hz * 10 }'
}

share_of_core() {  # LABEL [host options]: after 2 s to settle
    local label=$1
    shift
    "$host" --root "$@" >/dev/null 2>&1 &
    local pid=$!
    sleep 2
    sample_share "$label" $pid
}

echo "== frame paths on Xvfb (CPU time counts all of the host's threads)"
compare_paths llvmpipe 1920x1080 20
compare_paths llvmpipe 1x1 40
GALLIUM_NOOP=1 compare_paths GALLIUM_NOOP=1 1920x1080 320
GALLIUM_NOOP=1 compare_paths GALLIUM_NOOP=1 1x1 320

start_xvfb 1920x1080
for renderer in fixed instanced sprite; do
    GALLIUM_NOOP=1 share_of_core "GALLIUM_NOOP=1, 1920x1080, $renderer, running" --renderer $renderer
done

echo "== the raster path, 1920x1080 on Xvfb: the host and the X server together (the aim: 64 frames/s on one core)"
start_xvfb 1920x1080
measure "raster, 1920x1080" 320 --renderer raster
"$host" --root --renderer raster >/dev/null 2>&1 &
pid=$!
sleep 2
server_before=$(cpu_ticks "$xvfb")
sample_share "raster, 1920x1080, running: the host" $pid
awk -v t=$(($(cpu_ticks "$xvfb") - server_before)) -v hz="$(getconf CLK_TCK)" 'BEGIN {
    printf "%-52s %6.2f %% of one core over the same 10 s\n", "the X server (Xvfb) meanwhile", t / hz * 10 }'

echo "== a 400x300 preview, default path (the aim: 64 frames/s on at most 10 % of a core)"
start_xvfb 400x300
measure "llvmpipe, 400x300 preview" 200
share_of_core "llvmpipe, 400x300 preview, running"

echo "== own window, unmapped"
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

echo "== Wayland on a headless sway (pixman, 60 Hz output) beside X11 on Xvfb, 1920x1080, default path"
if command -v sway >/dev/null; then
    start_xvfb 1920x1080
    session_open
    session_install "$host" petalrain
    start_sway 1920x1080
    for driver in raster llvmpipe GALLIUM_NOOP=1; do
        frames=20
        driver_env=()
        case $driver in
        raster) frames=320 driver_env=(PETALRAIN_RENDERER=raster) ;;
        llvmpipe) driver_env=(PETALRAIN_RENDERER=sprite) ;;
        *) frames=320 driver_env=("$driver" PETALRAIN_RENDERER=sprite) ;;
        esac
        runner=(x11_host)
        measure "$driver, X11 (Xvfb)" $frames
        # Mesa's no-op driver may present no buffer, and a client paced by frame callbacks
        # then waits for its second frame forever: a time limit shows it.
        wayland_host() { in_session env "${driver_env[@]}" timeout $limit "$run/petalrain" --wayland "$@"; }
        runner=(wayland_host)
        sway_before=$(cpu_ticks "$sway") since=$(date +%s.%N)
        measure "$driver, Wayland (sway)" $frames
        awk -v t=$(($(cpu_ticks "$sway") - sway_before)) -v hz="$(getconf CLK_TCK)" -v s="$since" -v e="$(date +%s.%N)" \
            'BEGIN { printf "%-52s sway itself: %.1f %% of a core meanwhile\n", "", t / hz / (e - s) * 100 }'
    done
    runner=(x11_host)
    driver_env=()
else
    echo "no sway: skipped"
fi

echo "== resident memory, 1920x1080, default settings and path, over $memory_seconds s"
start_xvfb 1920x1080
"$host" --root >/dev/null 2>&1 &
pid=$!
start=$SECONDS
resident() {  # after AT seconds of running
    [ $(($1 - (SECONDS - start))) -le 0 ] || sleep $(($1 - (SECONDS - start)))
    printf '%-52s %6d MB resident after %d s\n' "" $(($(ps -o rss= -p $pid) / 1024)) "$1"
}
for at in 10 30 60 120 300; do
    if [ "$at" -lt "$memory_seconds" ]; then resident "$at"; fi
done
resident "$memory_seconds"
kill $pid
wait $pid || true
