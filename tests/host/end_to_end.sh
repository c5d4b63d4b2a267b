#!/usr/bin/env bash
# Runs the built Petalrain.scr under Wine on the test session's X screen:
# the saver (/s) draws tinted flowers on white over the whole screen and ends on a key,
# the preview (/p) runs inside another program's window and ends with it,
# the settings dialog (/c) stores the values on Enter.
# usage: end_to_end.sh PETALRAIN_SCR PREVIEW_PARENT_EXE WORK_DIR PATH_LINE
# PATH_LINE: what the saver says of the frame path it draws with (an extended regex).
set -euo pipefail
scr=$1
preview_parent=$2
work=$3
path_line=$4
wine_run=$(cd "$(dirname "$0")/../../scripts" && pwd)/wine-run.sh
mkdir -p "$work"
# shellcheck disable=SC1091
. "$PETALRAIN_WINE_SESSION/session.env"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

# shellcheck source=../support.sh
. "$(dirname "$0")/../support.sh"

# Waits up to $1 seconds for a mapped X window whose name matches $2; prints its id.
wait_for_window() {
    local id
    for _ in $(seq $(($1 * 5))); do
        id=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -1) || true
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}

# Waits up to $1 seconds for process $2 to end; fails unless its exit code is 0.
expect_exit_zero() {
    local pid=$2
    for _ in $(seq $(($1 * 5))); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.2
    done
    kill -0 "$pid" 2>/dev/null && { kill "$pid"; fail "$3 still running after $1 s"; }
    wait "$pid" || fail "$3 ended with exit code $?"
}

temp_folder=$("$wine_run" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
model_file=$("$wine_run" winepath -u "$temp_folder\\xoeqaze.tmp" 2>/dev/null)
"$wine_run" reg delete 'HKCU\Control Panel\ScreenSaver\Petalrain' /f >/dev/null 2>&1 || true

echo "== saver"
"$wine_run" "$scr" /s 2>"$work/saver.stderr" &
saver=$!
wait_for_window 60 '^Screen Saver$' >/dev/null || fail "no saver window"
# Tinted flowers in every part of the screen, white between them, nothing else; prints
# what is missing. Awaited, as the first frames take as long as the machine needs.
saver_screen() {
    [ -f "$model_file" ] || { echo "the model file $model_file is missing while the saver runs"; return 1; }
    import -window root "$work/saver.png"
    rm -f "$work"/cell-*.png
    convert "$work/saver.png" -crop 4x4@ +repage "$work/cell-%02d.png"
    local cell s
    for cell in "$work"/cell-*.png; do
        s=$(share "$cell" "$tinted" 480x270)
        at_least "$s" 0.2 || { echo "$(basename "$cell"): only $s of it is tinted"; return 1; }
    done
    s=$(share "$work/saver.png" "$white" 480x270)
    at_least "$s" 0.02 || { echo "only $s of the screen is white"; return 1; }
    s=$(share "$work/saver.png" 'r < 0.8' 480x270)
    at_most "$s" 0.01 || { echo "$s of the screen is neither white nor a flower"; return 1; }
}
await 90 "the saver's screen" saver_screen
convert "$work/saver.png" -resize 960x540 -colors 256 -strip PNG8:"$work/screenshot.png"
xdotool key space
expect_exit_zero 60 "$saver" "the saver"
grep -aEq "drawing with the $path_line" "$work/saver.stderr" ||
    fail "the saver did not say it draws with the $path_line path: $(cat "$work/saver.stderr")"
[ -e "$model_file" ] && fail "the model file is still there after the saver ended"

echo "== preview"
# The parent looks for the preview's child until it comes, for as long as the preview's Wine
# start-up may take on a slow machine.
"$wine_run" "$preview_parent" 300 200 480 320 180 >"$work/handle.txt" &
parent=$!
for _ in $(seq 300); do [ -s "$work/handle.txt" ] && break; sleep 0.2; done
handle=$(head -1 "$work/handle.txt" | tr -d '\r\n')
[ -n "$handle" ] || fail "the preview parent printed no handle"
"$wine_run" "$scr" /p "$handle" &
preview=$!
expect_exit_zero 200 "$parent" "the preview parent"
expect_exit_zero 60 "$preview" "the preview"
# Wine keeps the OpenGL surface of a child window owned by another process off screen,
# so the parent reports the child it held instead of a screenshot showing it.
grep -q '^child 480 320' "$work/handle.txt" || fail "the preview parent saw: $(tail -1 "$work/handle.txt")"

echo "== settings dialog"
"$wine_run" "$scr" /c &
dialog=$!
window=$(wait_for_window 60 'スクリーンセーバーの設定') || fail "no settings dialog"
# Mapped is not yet painted: await the dialog's controls in its picture.
dialog_painted() {
    import -window "$window" "$work/settings-dialog.png" 2>/dev/null &&
        [ "$(identify -format '%k' "$work/settings-dialog.png")" -gt 8 ]
}
await 60 "the settings dialog shows nothing" dialog_painted
import -window root "$work/dialog.png"
xdotool key --window "$window" Return
expect_exit_zero 60 "$dialog" "the settings dialog"
"$wine_run" reg query 'HKCU\Control Panel\ScreenSaver\Petalrain' 2>/dev/null | tr -d '\r' >"$work/registry.txt"
grep -Eq 'HanaNum +REG_DWORD +0x1d4c$' "$work/registry.txt" || fail "HanaNum not stored: $(cat "$work/registry.txt")"
grep -Eq 'HanaRate +REG_DWORD +0x64$' "$work/registry.txt" || fail "HanaRate not stored"
grep -Eq 'screen +REG_DWORD +0x1$' "$work/registry.txt" || fail "screen not stored"
"$wine_run" reg delete 'HKCU\Control Panel\ScreenSaver\Petalrain' /f >/dev/null 2>&1 || true
echo "all passed; screenshots in $work/screenshot.png and $work/settings-dialog.png"
