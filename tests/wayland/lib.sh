# What the Wayland tests share (sourced): the headless sway session, the program under test
# started and awaited in it, and photographs of its outputs judged by their colours.
#   wayland_session WORK_DIR PROGRAM...: checks the tools, opens the session, installs the
#   programs under their own names, copies the pictures and logs to WORK_DIR at the end

# shellcheck source=headless_sway.sh
. "$(dirname "${BASH_SOURCE[0]}")/headless_sway.sh"
patience=60

wayland_session() {
    local work=$1 program tool
    shift
    for tool in sway swaymsg grim weston weston-fullscreen compare python3 "${tools[@]}"; do
        command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup-deps.sh installs it)"
    done
    session_open
    for program; do session_install "$program" "${program##*/}"; done
    results=$work
    trap 'cp "$run"/*.png "$run"/*.log "$results"/ 2>/dev/null || true; session_close' EXIT
}

# Adds an output beside the others: NAME MODE X.
add_output() {
    swaymsg create_output
    swaymsg output "$1" mode "$2" position "$3" 0
}

saver_pid=
start_saver() {  # options...; standard error in saver.log
    exec_in_session "$run/petalrain" "$@" 2>"$run/saver.log" &
    saver_pid=$!
    pids+=("$saver_pid")
}

# Awaits the saver's end and sets code to its exit code (128 + N for signal N).
await_exit() {
    local deadline=$((SECONDS + patience))
    while kill -0 "$saver_pid" 2>/dev/null; do
        [ $SECONDS -lt $deadline ] || fail "still running after $patience s"
        sleep 0.1
    done
    code=0
    wait "$saver_pid" || code=$?
}

photograph() { in_session grim -o "$1" "$run/$2.png"; }


# Succeeds when the output's photograph shows tinted flowers on white.
shows_flowers() { photograph "$1" "$2" && has_flowers "$run/$2.png"; }

# Succeeds when the output's photograph shows no flowers.
shows_no_flowers() {
    photograph "$1" "$2" || return 1
    ! has_flowers "$run/$2.png" >/dev/null || { echo "flowers on $1"; return 1; }
}

# Fails the test unless the output can be photographed and shows no flowers.
assert_no_flowers() {  # output, photograph's name, what it would mean
    photograph "$1" "$2" || fail "grim could not photograph $1"
    ! has_flowers "$run/$2.png" >/dev/null || fail "$3"
}

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Succeeds when the process used at most a tick of CPU time over two seconds.
idle() {
    local before after
    before=$(cpu_ticks "$1")
    sleep 2
    after=$(cpu_ticks "$1")
    [ $((after - before)) -le 1 ] || { echo "$((after - before)) ticks in 2 s"; return 1; }
}

# The tests' virtual pointer (the program virtual_pointer, installed in the session), which
# gives the seat its pointer while it runs and takes commands on file descriptor 9.
start_pointer() {  # [X Y]: where it starts, away from the edges that would clamp its moves
    mkfifo "$run/pointer.in"
    [ "$(id -u)" -ne 0 ] || chown "$user:" "$run/pointer.in"
    exec_in_session "$run/virtual_pointer" <"$run/pointer.in" >"$run/pointer.log" 2>&1 &
    pids+=($!)
    exec 9>"$run/pointer.in"
    await $patience "the virtual pointer did not start" grep -q ready "$run/pointer.log"
    swaymsg seat seat0 cursor set "${1:-100}" "${2:-100}"
}
