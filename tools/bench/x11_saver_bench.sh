#!/usr/bin/env bash
# Figures of the saver of its own on X11 (Xvfb, 1920x1080, default settings), printed, never
# judged: --idle's share of a core and resident memory while it waits, and --saver's share
# of a core while it shows, on the raster path (the default without a GPU), on the sprite path
# on Mesa's llvmpipe and under GALLIUM_NOOP=1; the time from a key press (xdotool's, its own
# start included) to the saver's exit at 1920x1080 and 3840x2160 on both paths.
# usage: x11_saver_bench.sh [PETALRAIN]   (default build/native/linux/petalrain)
#   SAVER_BENCH_WAIT_SECONDS: how long the wait is sampled (default 60)
set -euo pipefail
host=$(realpath "${1:-build/native/linux/petalrain}")
wait_seconds=${SAVER_BENCH_WAIT_SECONDS:-60}
work=$(mktemp -d)
pids=()
finish() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT

start_xvfb() {  # WIDTHxHEIGHT
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$work/display" 2>/dev/null &
    pids+=("$!")
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=:$(head -n 1 "$work/display")
}
start_xvfb 1920x1080

# Resident memory: all of it, and the part that is the heap and other private memory rather
# than libraries' pages.
resident() {  # LABEL PID
    awk -v label="$1" '/VmRSS/ { all = $2 } /RssAnon/ { anon = $2 }
        END { printf "%-56s %7d kB resident, %d kB of it private\n", label, all, anon }' "/proc/$2/status"
}
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# Share of a core over SECONDS, from the process's own CPU time (all its threads).
sample_share() {  # LABEL PID SECONDS
    local before since
    before=$(cpu_ticks "$2") since=$(date +%s.%N)
    sleep "$3"
    awk -v t=$(($(cpu_ticks "$2") - before)) -v hz="$(getconf CLK_TCK)" -v s="$since" -v e="$(date +%s.%N)" \
        -v label="$1" 'BEGIN { printf "%-56s %7.3f %% of a core\n", label, t / hz / (e - s) * 100 }'
}

echo "== --idle waiting (no window, no frame)"
"$host" --idle 3600 2>/dev/null &
pid=$!
pids+=("$pid")
sleep 3
resident "before it first shows" "$pid"
kill "$pid"
# After one showing (OpenGL's driver stays loaded, the scene goes): input every second
# keeps the next one away and reaches no client.
"$host" --idle 3 2>"$work/idle.stderr" &
pid=$!
pids+=("$pid")
until xwininfo -root -children 2>/dev/null | grep -q '"Petalrain"'; do
    kill -0 "$pid" 2>/dev/null || { echo "the saver daemon ended: $(cat "$work/idle.stderr")" >&2; exit 1; }
    sleep 0.2
done
sleep 2
xdotool key a
( while sleep 1; do xdotool mousemove_relative -- 1 1; done ) &
pids+=("$!")
sleep 2
sample_share "waiting after one showing, over $wait_seconds s" "$pid" "$wait_seconds"
resident "waiting after one showing" "$pid"
kill "$pid" "${pids[-1]}"
wait "${pids[-1]}" 2>/dev/null || true  # no motion from it reaches the next saver

echo "== --saver shown at 1920x1080"
for driver in raster llvmpipe GALLIUM_NOOP=1; do
    renderer=sprite driver_env=()
    case $driver in
    raster) renderer=raster ;;
    GALLIUM_NOOP=1) driver_env=("$driver") ;;
    esac
    env "${driver_env[@]}" "$host" --saver --renderer "$renderer" 2>"$work/stderr" &
    pid=$!
    pids+=("$pid")
    sleep 4
    kill -0 "$pid" 2>/dev/null || { echo "$driver: the saver ended: $(cat "$work/stderr")"; continue; }
    sample_share "$driver, $renderer path" "$pid" 10
    resident "$driver, shown" "$pid"
    kill "$pid"
done

for renderer in raster sprite; do
  echo "== from a key press to the saver's exit, $renderer path (5 runs each)"
  for size in 1920x1080 3840x2160; do
    start_xvfb $size
    for _ in 1 2 3 4 5; do
        "$host" --saver --renderer $renderer 2>/dev/null &
        pid=$!
        until xwininfo -root -children 2>/dev/null | grep -q '"Petalrain"'; do sleep 0.2; done
        sleep 2
        since=$(date +%s%N)
        xdotool keydown a
        while kill -0 "$pid" 2>/dev/null; do sleep 0.001; done
        ended=$(date +%s%N)
        xdotool keyup a
        printf '%-56s %7.1f ms\n' "$size, key to exit" "$(awk -v a="$since" -v b="$ended" 'BEGIN { print (b - a) / 1e6 }')"
    done
  done
done
