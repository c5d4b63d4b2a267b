#!/usr/bin/env bash
# The saver modes on Wayland (--saver, --idle SECONDS) on a headless sway: overlays on every
# output, ended by input from a virtual keyboard (wtype) and the tests' virtual pointer, that
# input kept from the windows below (wev logs what reaches it), and the idle time as the
# compositor reports it.
# usage: saver_test.sh CASE PETALRAIN VIRTUAL_POINTER WORK_DIR
set -euo pipefail
case_name=$1
work=$4
mkdir -p "$work"
rm -f "$work"/*

tools=(wtype wev swayidle stdbuf)
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
wayland_session "$work" "$2" "$3"

scene=(--count 2000 --size 150)

# pointer COMMAND returns once the compositor has handled the command.
pointer_done() { grep -c done "$run/pointer.log" || true; }
pointer_done_above() { [ "$(pointer_done)" -gt "$1" ]; }
pointer() {
    local before
    before=$(pointer_done)
    echo "$*" >&9
    await $patience "the compositor did not take: $*" pointer_done_above "$before"
}

# A window below the saver that logs every key reaching it, focused.
start_wev() {
    exec_in_session stdbuf -oL wev >"$run/wev.log" 2>&1 &
    pids+=($!)
    await $patience "no wev window" grep -q activated "$run/wev.log"
}
# A virtual keyboard that only waits, so that the seat has a keyboard from the start, as a
# desk does: without it the seat gains one only with each wtype, and the saver may bind it
# after that wtype's key has gone by.
hold_keyboard() {
    exec_in_session wtype -s 3600000 &
    pids+=($!)
    await $patience "the seat has no keyboard" grep -q 'capabilities: keyboard' "$run/wev.log"
}
key_presses() { grep -c 'state: 1 (pressed)' "$run/wev.log" || true; }
key_reached_window() { [ "$(key_presses)" -gt 0 ]; }

running() { kill -0 "$saver_pid" 2>/dev/null; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Awaits the saver's end after input sent at START_MS, and says how long it took (a figure
# for the log, never judged).
await_exit_after() {
    local deadline=$((SECONDS + patience))
    while running; do
        [ $SECONDS -lt $deadline ] || fail "still running $patience s after the input"
        sleep 0.005
    done
    echo "input to exit: $(($(now_ms) - $1)) ms (polled every 5 ms)"
    await_exit
}

ends_with_0() {  # what ended it
    [ "$code" -eq 0 ] || fail "$1 ended it with $code: $(tail -n 3 "$run/saver.log")"
}

case $case_name in
saver_outputs)
    # Two outputs, then three: each shows its part of the one scene.
    start_sway 320x180
    add_output HEADLESS-2 320x180 320
    start_saver --saver "${scene[@]}"
    await $patience "no flowers on the first of two outputs" shows_flowers HEADLESS-1 two-first
    await $patience "no flowers on the second of two outputs" shows_flowers HEADLESS-2 two-second
    kill -TERM "$saver_pid"
    await_exit
    ends_with_0 SIGTERM
    add_output HEADLESS-3 320x180 640
    start_saver --saver "${scene[@]}"
    for output in 1 2 3; do
        await $patience "no flowers on output $output of three" shows_flowers HEADLESS-$output three-$output
    done
    ;;
saver_hot_plug)
    start_sway 320x180
    start_saver --saver "${scene[@]}"
    await $patience "no flowers on the first output" shows_flowers HEADLESS-1 first
    add_output HEADLESS-2 320x180 320
    await $patience "no flowers on the output plugged in while it shows" shows_flowers HEADLESS-2 added
    running || fail "the saver ended: $(tail -n 3 "$run/saver.log")"
    ;;
saver_motion)
    # The jitter crosses from one output to the next: judged in the layout's coordinates, not
    # each surface's own.
    start_sway 320x180
    add_output HEADLESS-2 320x180 320
    start_pointer 319 100
    start_saver --saver "${scene[@]}"
    await $patience "no flowers" shows_flowers HEADLESS-1 shown
    for move in "2 0" "-2 0" "0 2" "0 -2" "2 2" "-2 -2" "1 0" "-1 0" "0 1" "0 -1" "2 0" "-2 0"; do
        pointer move $move
    done
    sleep 1  # time to handle what came; a slow machine only makes this pass wrongly, never fail
    running || fail "jitter within 3 px ended it"
    start=$(now_ms)
    pointer move 20 0
    await_exit_after "$start"
    ends_with_0 "a move of 20 px"
    ;;
saver_button)
    # With the protocol logged: the pointer is hidden on its surface.
    start_sway 320x180
    start_pointer
    exec_in_session env WAYLAND_DEBUG=1 "$run/petalrain" --saver "${scene[@]}" 2>"$run/saver.log" &
    saver_pid=$!
    pids+=("$saver_pid")
    await $patience "no flowers" shows_flowers HEADLESS-1 shown
    for _ in 1 2 3 4 5 6; do pointer move 20 10; done
    sleep 1
    running || fail "the first six motions ended it"
    start=$(now_ms)
    pointer click
    await_exit_after "$start"
    ends_with_0 "a click"
    grep -Eq -- '-> wl_pointer@[0-9]+\.set_cursor\([0-9]+, nil, 0, 0\)' "$run/saver.log" ||
        fail "the pointer was not hidden"
    ;;
saver_key)
    start_sway 320x180
    start_wev
    hold_keyboard
    start_saver --saver "${scene[@]}"
    await $patience "no flowers" shows_flowers HEADLESS-1 shown
    start=$(now_ms)
    in_session wtype x
    await_exit_after "$start"
    ends_with_0 "a key"
    [ "$(key_presses)" -eq 0 ] || fail "the key that ended the saver reached the window below: $(grep pressed "$run/wev.log")"
    # The window takes keys once the saver is gone: the check above could see one.
    in_session wtype y
    await $patience "the window below gets no key after the saver" key_reached_window
    ;;
idle_shows)
    # Shown after the idle time, ended by input, shown again the idle time after the last input.
    start_sway 320x180
    start_pointer
    started=$(now_ms)
    start_saver --idle 3 "${scene[@]}"
    await $patience "not shown after the idle time" shows_flowers HEADLESS-1 first
    [ $(($(now_ms) - started)) -ge 3000 ] || fail "shown before 3 s without input"
    echo "shown $(($(now_ms) - started)) ms after start"
    pointer click
    # Moving on meanwhile, so that it cannot show again before the photograph. (await runs
    # it in a subshell: the time of the last move goes through a file.)
    hidden() { pointer move 1 0 && now_ms >"$run/last_input" && shows_no_flowers HEADLESS-1 hidden; }
    await $patience "a click did not hide it" hidden
    last_input=$(cat "$run/last_input")
    running || fail "the daemon ended with the saver: $(tail -n 3 "$run/saver.log")"
    await $patience "not shown again after the idle time" shows_flowers HEADLESS-1 again
    [ $(($(now_ms) - last_input)) -ge 3000 ] || fail "shown again before 3 s without input"
    kill -TERM "$saver_pid"
    await_exit
    ends_with_0 SIGTERM
    ;;
idle_inhibited)
    # A window that holds sway's idle inhibitor: no saver while it is open.
    start_sway 320x180
    start_wev
    swaymsg '[app_id="wev"] inhibit_idle open'
    start_saver --idle 1 "${scene[@]}"
    sleep 5
    assert_no_flowers HEADLESS-1 inhibited "shown while an idle inhibitor is held"
    swaymsg '[app_id="wev"] inhibit_idle none'
    await $patience "not shown once the inhibitor went" shows_flowers HEADLESS-1 released
    swaymsg exit 2>/dev/null || true  # sway leaves before it answers
    await_exit
    ends_with_0 "the compositor's end while it showed"
    ;;
idle_not_activity)
    # swayidle beside it stays idle while the saver shows: showing it is no input.
    start_sway 320x180
    start_pointer
    exec_in_session stdbuf -oL swayidle -w timeout 1 'echo idle' resume 'echo resumed' >"$run/swayidle.log" 2>&1 &
    pids+=($!)
    start_saver --idle 2 "${scene[@]}"
    await $patience "swayidle saw no idle time" grep -q idle "$run/swayidle.log"
    await $patience "not shown" shows_flowers HEADLESS-1 shown
    sleep 3
    ! grep -q resumed "$run/swayidle.log" || fail "showing the saver counted as input for swayidle"
    pointer click
    await $patience "swayidle saw no input after the saver" grep -q resumed "$run/swayidle.log"
    swaymsg exit 2>/dev/null || true
    await_exit
    ends_with_0 "the compositor's end while it waited"
    ;;
without_protocols)
    # weston offers neither idle notification, nor the layer shell.
    printf '[core]\nshell=fullscreen-shell.so\n[input-method]\npath=\n' >"$run/weston.ini"
    exec_in_session weston --backend=headless-backend.so --socket=weston-petalrain --config="$run/weston.ini" \
        --idle-time=0 >"$run/weston.log" 2>&1 &
    pids+=($!)
    await 30 "weston did not start" test -S "$run/weston-petalrain"
    session_env=(WAYLAND_DISPLAY=weston-petalrain)
    in_session env WAYLAND_DEBUG=1 "$run/petalrain" --idle 2 2>"$run/globals.log" || true
    ! grep -Eq 'global\([0-9]+, "(ext_idle_notifier_v1|org_kde_kwin_idle)"' "$run/globals.log" ||
        fail "weston offers an idle notification: $(grep -E 'idle' "$run/globals.log")"
    in_session "$run/petalrain" --idle 2 2>"$run/saver.log" && code=0 || code=$?
    [ "$code" -eq 1 ] || fail "without an idle notification it exits with $code"
    [ "$(wc -l <"$run/saver.log")" -eq 1 ] && grep -q 'idle notification' "$run/saver.log" ||
        fail "without an idle notification it says: $(cat "$run/saver.log")"
    in_session "$run/petalrain" --saver 2>"$run/saver.log" && code=0 || code=$?
    [ "$code" -eq 1 ] || fail "without the layer shell --saver exits with $code"
    [ "$(wc -l <"$run/saver.log")" -eq 1 ] && grep -q 'layer shell.*--saver' "$run/saver.log" ||
        fail "without the layer shell --saver says: $(cat "$run/saver.log")"
    ;;
saver_stall)
    start_sway 320x180
    start_wev
    hold_keyboard
    # Under GALLIUM_NOOP=1 no frame reaches sway, so none is asked for again: a loop with
    # nothing to draw (as with its outputs off) waits on its input, which is no stall.
    exec_in_session env GALLIUM_NOOP=1 "$run/petalrain" --saver "${scene[@]}" 2>"$run/saver.log" &
    saver_pid=$!
    pids+=("$saver_pid")
    sleep 4
    running || fail "a saver with nothing to draw ended: $(cat "$run/saver.log")"
    kill -TERM "$saver_pid"
    await_exit
    ends_with_0 SIGTERM
    # A frame that never ends: the process ends by itself and the window below gets keys.
    exec_in_session env PETALRAIN_TEST_STALL_FRAME=3 "$run/petalrain" --saver "${scene[@]}" 2>"$run/saver.log" &
    saver_pid=$!
    pids+=("$saver_pid")
    await_exit
    [ "$code" -ne 0 ] || fail "a stalled saver ended with 0"
    grep -q 'has not come back to its input' "$run/saver.log" || fail "it says: $(cat "$run/saver.log")"
    in_session wtype y
    await $patience "the window below gets no key after the stalled saver" key_reached_window
    ;;
*) fail "unknown case $case_name" ;;
esac
echo "PASS $case_name"
