#!/usr/bin/env bash
# README's sway lines, as a user puts them in ~/.config/sway/config, on a headless sway with
# 2 s in place of 300: swayidle starts the saver once the seat is idle, a key ends it, and
# the next idle period starts it again; with a locker after it, the locker follows the key.
# usage: sway_lines_test.sh PETALRAIN WORK_DIR
set -euo pipefail
work=$2
mkdir -p "$work"
rm -f "$work"/*

tools=(wtype swayidle swaylock)
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh"
wayland_session "$work" "$1"

start_sway 320x180
# A keyboard from the start, as a desk has: one made with each wtype may come after the
# saver took the seat's devices, and its key would reach nobody.
exec_in_session wtype -s 3600000 &
pids+=($!)
await $patience "the seat has no keyboard" eval 'in_session swaymsg -t get_inputs | grep -q keyboard'
saver="$run/petalrain --saver --count 2000 --size 150 2>>$run/saver.log"
# This session's saver alone: other tests' sessions run as the same user.
saver_pid() { pgrep -n -u "$user" -f "^$run/petalrain --saver" || true; }
shown() { [ -n "$(saver_pid)" ] && shows_flowers HEADLESS-1 "$1"; }
# A key, then that saver's end: the next idle period may start another soon after.
wake() {
    local pid
    pid=$(saver_pid)
    in_session wtype x
    await $patience "a key did not end the saver ($1)" eval "! kill -0 $pid 2>/dev/null"
}

# exec swayidle -w timeout 300 'petalrain --saver'
exec_in_session swayidle -w timeout 2 "$saver" >"$run/swayidle.log" 2>&1 &
pids+=($!)
for showing in first second; do
    await $patience "swayidle did not start the saver ($showing idle period)" shown "$showing"
    wake "$showing idle period"
done
# That swayidle goes, with the saver it may have started again meanwhile.
kill "${pids[-1]}"
pkill -u "$user" -f "^$run/petalrain --saver" || true
await $patience "the saver outlived its swayidle" eval '[ -z "$(saver_pid)" ]'

# exec swayidle -w timeout 300 'petalrain --saver; swaylock -f'
exec_in_session swayidle -w timeout 2 "$saver; swaylock -f" >"$run/swayidle-lock.log" 2>&1 &
pids+=($!)
await $patience "swayidle did not start the saver before the locker" shown locked-first
wake "before the locker"
await $patience "no locker after the saver" pgrep -u "$user" -x swaylock
pkill -u "$user" -x swaylock || true
echo "PASS"
