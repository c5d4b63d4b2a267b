#!/usr/bin/env bash
# The Linux saver's Wayland mode on a real compositor: sway on its headless back end with
# the software renderer, started here, photographed with grim, compared with the headless
# renderer.
# usage: wayland_test.sh CASE PETALRAIN PETALRAIN-RENDER WORK_DIR [EGL_FAULTS_LIBRARY]
#   CASE: one_output two_outputs scale_2 hot_plug plugin_contract ending white_without_opengl
#   bad_input; failed_swap alpha_configs, with the library
set -euo pipefail
case_name=$1
work=$4
mkdir -p "$work"
rm -f "$work"/*

tools=()
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
egl_faults=${5:-}
wayland_session "$work" "$2" "$3" ${5:+"$5"}

seed=20261209
scene=(--seed "$seed" --count 2000 --size 150)
frames=5

# The headless renderer's frame for the scene at WIDTH HEIGHT, as expected.png.
expected_frame() {
    "$run/petalrain-render" --width "$1" --height "$2" --flowers 2000 --size 150 --seed "$seed" \
        --frames "$frames" --out "$run/expected" >/dev/null
    convert "$run/expected/frame_000$frames.png" -alpha off "$run/expected.png"
}

# Succeeds when the picture differs from expected.png in at most 0.2 % of its pixels
# (flower edges, where rasterisers may round differently).
matches_expected() {
    local differing total
    convert "$1" -alpha off "$run/compared.png"
    differing=$(compare -metric AE "$run/compared.png" "$run/expected.png" null: 2>&1) || true
    total=$(identify -format '%[fx:w*h]' "$run/expected.png")
    [[ $differing =~ ^[0-9]+$ ]] && [ "$differing" -le $((total / 500)) ] ||
        { echo "$differing of $total pixels differ"; return 1; }
}

photo_matches() {  # output name: its photograph shows expected.png
    photograph "$1" shown && matches_expected "$run/shown.png"
}

joined_matches() {  # two outputs: their photographs side by side show expected.png
    photograph "$1" left && photograph "$2" right &&
        convert "$run/left.png" "$run/right.png" +append "$run/joined.png" &&
        matches_expected "$run/joined.png"
}

# EGL from the faults library, on a path by name: where OpenGL is software the raster path
# would need no EGL at all.
with_egl_faults() {  # VARIABLE=VALUE, then --wayland's options; the protocol logged
    exec_in_session env LD_PRELOAD="$run/${egl_faults##*/}" WAYLAND_DEBUG=1 "$1" "$run/petalrain" --wayland \
        --renderer sprite "${@:2}" \
        2>"$run/saver.log" &
    saver_pid=$!
    pids+=("$saver_pid")
}

all_white() {  # the first output's photograph is white throughout
    photograph HEADLESS-1 white && [ "$(share "$run/white.png" 'r > 0.98 && g > 0.98 && b > 0.98')" = 1 ]
}

case $case_name in
one_output)
    start_sway 320x180
    expected_frame 320 180
    start_saver --wayland "${scene[@]}" --frames $frames --hold
    await $patience "the output does not show the headless frame" photo_matches HEADLESS-1
    ;;
raster_without_egl)
    # A machine that would have OpenGL (the no-op driver stands in) where EGL cannot be had:
    # the raster path draws all the same, into shared memory, and says so.
    start_sway 320x180
    expected_frame 320 180
    exec_in_session env GALLIUM_NOOP=1 __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent "$run/petalrain" --wayland \
        "${scene[@]}" --frames $frames --hold 2>"$run/saver.log" &
    saver_pid=$!
    pids+=("$saver_pid")
    await $patience "the output does not show the headless frame" photo_matches HEADLESS-1
    grep -q 'drawing with the raster path' "$run/saver.log" || fail "it does not say so: $(cat "$run/saver.log")"
    ;;
two_outputs)
    # One scene over the layout: each output shows its half of the joined frame.
    start_sway 320x180
    add_output HEADLESS-2 320x180 320
    expected_frame 640 180
    start_saver --wayland "${scene[@]}" --frames $frames --hold
    await $patience "the two outputs do not show the joined headless frame" joined_matches HEADLESS-1 HEADLESS-2
    ;;
scale_2)
    # 320 x 180 logical, 640 x 360 pixels: drawn at the pixel size, not magnified.
    start_sway 640x360 2
    expected_frame 640 360
    start_saver --wayland "${scene[@]}" --frames $frames --hold
    await $patience "the scaled output does not show the headless frame at its pixel size" photo_matches HEADLESS-1
    ;;
hot_plug)
    start_sway 320x180
    start_saver --wayland "${scene[@]}"
    await $patience "no flowers on the first output" shows_flowers HEADLESS-1 first
    add_output HEADLESS-2 320x180 320
    await $patience "no flowers on the output added while running" shows_flowers HEADLESS-2 added
    kill -0 "$saver_pid" || fail "the saver ended: $(tail -n 3 "$run/saver.log")"
    ;;
plugin_contract)
    # As swaylock-plugin starts its child: a connection made for it, handed over as
    # WAYLAND_SOCKET, and the output named in the environment.
    start_sway 320x180
    add_output HEADLESS-2 320x180 320
    exec_in_session env -u WAYLAND_DISPLAY WAYLAND_DEBUG=1 SWAYLOCK_PLUGIN_OUTPUT_NAME=HEADLESS-2 python3 -c '
import os, socket, sys
connection = socket.socket(socket.AF_UNIX)
connection.connect(sys.argv[1])
os.set_inheritable(connection.fileno(), True)
os.environ["WAYLAND_SOCKET"] = str(connection.fileno())
os.execv(sys.argv[2], sys.argv[2:])' "$wayland_socket" \
        "$run/petalrain" "${scene[@]}" 2>"$run/saver.log" &
    saver_pid=$!
    pids+=("$saver_pid")
    await $patience "no flowers on the named output" shows_flowers HEADLESS-2 named
    assert_no_flowers HEADLESS-1 other "flowers on the output not named"
    log=$run/saver.log
    grep -Eq 'wl_registry@[0-9]+\.bind\([0-9]+, "wl_seat"' "$log" && fail "wl_seat bound"
    versions=$(grep -Eo 'bind\([0-9]+, "wl_compositor", [0-9]+' "$log" | grep -Eo '[0-9]+$') ||
        fail "no wl_compositor bound"
    for version in $versions; do [ "$version" -le 4 ] || fail "wl_compositor bound at version $version"; done
    surfaces=$(grep -Ec -- '-> zwlr_layer_shell_v1@[0-9]+\.get_layer_surface\(new id zwlr_layer_surface_v1@[0-9]+, wl_surface@[0-9]+, wl_output@[0-9]+' "$log") || true
    [ "$surfaces" -eq 1 ] || fail "$surfaces layer surfaces for one named output"
    grep -Eq -- '-> wl_surface@[0-9]+\.attach\(nil' "$log" && fail "a null buffer attached"
    ;;
ending)
    # Paused while its output is covered: no frame callbacks, no CPU time. (sway 1.7 cannot
    # turn a headless output off: its back end refuses the commit.)
    start_sway 640x360
    start_saver --wayland "${scene[@]}"
    await $patience "no flowers" shows_flowers HEADLESS-1 running
    exec_in_session weston-fullscreen >"$run/cover.log" 2>&1 &
    pids+=($!)
    await $patience "no window to cover the output" swaymsg '[app_id="org.freedesktop.weston.fullscreen"] fullscreen enable'
    await $patience "the saver keeps working while its output is covered" idle "$saver_pid"
    kill "${pids[-1]}"
    await $patience "no flowers once uncovered" shows_flowers HEADLESS-1 uncovered
    kill -TERM "$saver_pid"
    await_exit
    [ "$code" -eq 0 ] || fail "ended with $code on SIGTERM: $(tail -n 3 "$run/saver.log")"
    # The compositor ending ends it, without a crash.
    start_saver --wayland --count 500
    await $patience "no flowers" shows_flowers HEADLESS-1 again
    swaymsg exit 2>/dev/null || true  # sway leaves before it answers
    await_exit
    [ "$code" -eq 0 ] || fail "ended with $code when the compositor went away: $(tail -n 3 "$run/saver.log")"
    ;;
white_without_opengl)
    # No EGL vendor for libglvnd: white, from one pixel that the viewport stretches over the
    # output's 160 x 90 logical pixels (320 x 180 at scale 2).
    start_sway 320x180 2
    exec_in_session env __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent WAYLAND_DEBUG=1 "$run/petalrain" --wayland \
        --renderer sprite 2>"$run/saver.log" &
    saver_pid=$!
    pids+=("$saver_pid")
    await $patience "the output is not white" all_white
    grep -q 'no OpenGL on Wayland' "$run/saver.log" || fail "it does not say why it is white"
    grep -Eq -- '-> wl_shm_pool@[0-9]+\.create_buffer\(new id wl_buffer@[0-9]+, 0, 1, 1, 4, ' "$run/saver.log" ||
        fail "the white buffer is not one pixel: $(grep create_buffer "$run/saver.log")"
    grep -Eq -- '-> wp_viewport@[0-9]+\.set_destination\(160, 90\)' "$run/saver.log" ||
        fail "the white pixel is not stretched over the output"
    kill -0 "$saver_pid" || fail "it ended"
    ;;
failed_swap)
    # One failed swap: the output goes on (the run reaches its last frame). Two in a row: it
    # shows white. Either way the reason is said once.
    start_sway 320x180
    with_failing_swaps() {  # SWAPS options...
        local swaps=$1
        shift
        with_egl_faults PETALRAIN_TEST_FAILING_SWAPS="$swaps" "$@"
    }
    with_failing_swaps 3 "${scene[@]}" --frames 30
    await_exit
    [ "$code" -eq 0 ] || fail "after a failed swap it ended with $code: $(cat "$run/saver.log")"
    [ "$(grep -c 'could not be shown' "$run/saver.log")" -eq 1 ] || fail "it says: $(cat "$run/saver.log")"
    with_failing_swaps 3,4 "${scene[@]}"
    await $patience "the output is not white after two failed swaps" all_white
    [ "$(grep -c 'could not be shown' "$run/saver.log")" -eq 1 ] || fail "it says: $(cat "$run/saver.log")"
    ;;
alpha_configs)
    # Configurations with alpha alone: the scene clears with alpha 0, so such a surface would
    # show what lies below (sway's blending hides it over white: the buffers tell). Presented
    # opaque where EGL can (EGL_EXT_present_opaque), else white, said once; never see-through.
    start_sway 320x180
    expected_frame 320 180
    with_egl_faults PETALRAIN_TEST_ALPHA_CONFIGS=1 "${scene[@]}" --frames $frames --hold
    refused() { grep -q 'no opaque OpenGL window configuration' "$run/saver.log"; }
    await $patience "neither the headless frame nor the reason for white" eval 'refused || photo_matches HEADLESS-1'
    ! refused || await $patience "the output is not white without an opaque configuration" all_white
    formats=$(grep -Eo -- '-> wl_shm_pool@[0-9]+\.create_buffer\(.*\)' "$run/saver.log" | grep -Eo '[0-9]+\)$' | sort -u)
    [ "$formats" = "1)" ] || fail "buffers in formats other than XRGB8888 (1): $formats"
    ;;
bad_input)
    start_sway 320x180
    in_session "$run/petalrain" --wayland --output NOWHERE-9 2>"$run/saver.log" && code=0 || code=$?
    [ "$code" -eq 2 ] || fail "an unknown output exits with $code"
    grep -q HEADLESS-1 "$run/saver.log" || fail "the message lists no outputs: $(cat "$run/saver.log")"
    # A compositor without layer-shell: weston's headless back end, with no helper clients.
    printf '[core]\nshell=fullscreen-shell.so\n[input-method]\npath=\n' >"$run/weston.ini"
    exec_in_session weston --backend=headless-backend.so --socket=weston-petalrain --config="$run/weston.ini" \
        --idle-time=0 >"$run/weston.log" 2>&1 &
    pids+=($!)
    await 30 "weston did not start" test -S "$run/weston-petalrain"
    session_env=(WAYLAND_DISPLAY=weston-petalrain)
    in_session "$run/petalrain" --wayland 2>"$run/saver.log" && code=0 || code=$?
    [ "$code" -eq 1 ] || fail "without layer-shell it exits with $code"
    [ "$(wc -l <"$run/saver.log")" -eq 1 ] || fail "without layer-shell it says: $(cat "$run/saver.log")"
    ;;
*) fail "unknown case $case_name" ;;
esac
echo "PASS $case_name"
