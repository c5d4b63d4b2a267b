#!/usr/bin/env bash
# The background pauses on battery: on a headless sway, with python3-dbusmock's UPower on a
# private bus standing in for the system bus, the photographs stop changing while OnBattery
# holds and change again on mains; --on-battery run keeps drawing.
# usage: battery_test.sh PETALRAIN WORK_DIR
set -euo pipefail
work=$2
mkdir -p "$work"
rm -f "$work"/*

# shellcheck source=headless_sway.sh
. "$(dirname "$0")/headless_sway.sh"
for tool in sway swaymsg grim dbus-daemon convert; do
    command -v $tool >/dev/null || fail "$tool is missing (scripts/setup-deps.sh installs it)"
done
/usr/bin/python3 -c 'import dbusmock' 2>/dev/null || fail "python3-dbusmock is missing (scripts/setup-deps.sh)"
session_open
session_install "$1" petalrain
cleanup() {
    cp "$run"/*.log "$work"/ 2>/dev/null || true
    session_close
}
trap cleanup EXIT
patience=60

start_sway 480x270
bus="unix:path=$run/system_bus"
exec_in_session dbus-daemon --session --nofork --nopidfile --address="$bus" >"$run/dbus.log" 2>&1 &
pids+=("$!")
await 30 "the private bus did not start" test -S "$run/system_bus"
session_env+=(DBUS_SYSTEM_BUS_ADDRESS="$bus")
exec_in_session /usr/bin/python3 -m dbusmock --system --template upower >"$run/upower.log" 2>&1 &
pids+=("$!")

upower() {  # a python statement on the mock's object, as upower
    in_session /usr/bin/python3 -c "import dbus
upower = dbus.Interface(dbus.SystemBus().get_object('org.freedesktop.UPower', '/org/freedesktop/UPower'),
                        'org.freedesktop.DBus.Mock')
$1"
}
battery() { upower "upower.UpdateProperties('org.freedesktop.UPower', {'OnBattery': dbus.Boolean($1)})"; }
await 30 "the stand-in UPower did not come" upower "pass"

# Two photographs a second apart: the same picture, or another.
photographs() { in_session grim "$run/a.png" && sleep 1 && in_session grim "$run/b.png"; }
changing() { photographs && ! cmp -s "$run/a.png" "$run/b.png"; }
still() { photographs && cmp -s "$run/a.png" "$run/b.png"; }

start_background() {  # options...
    exec_in_session "$run/petalrain" --wayland --count 800 "$@" 2>"$run/background.log" &
    background=$!
    pids+=("$background")
}

battery False
start_background
await $patience "the background does not draw on mains" changing
battery True
await $patience "the background still draws on battery" still
still || fail "the paused background changed"
battery False
await $patience "the background does not draw again on mains" changing
kill "$background"

# Started on battery it shows one picture, then pauses; run draws on.
battery True
start_background
await $patience "the background started on battery keeps drawing" still
pictured=$(convert "$run/b.png" -format '%[fx:standard_deviation]' info:)
awk -v d="$pictured" 'BEGIN { exit !(d > 0.05) }' || fail "the background started on battery shows no picture"
kill "$background"
start_background --on-battery run
await $patience "--on-battery run does not draw on battery" changing
kill "$background"
echo PASS
