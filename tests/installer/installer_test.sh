#!/usr/bin/env bash
# The Windows installer under Wine, in a fresh prefix of its own: a silent install puts the
# saver in system32 with its uninstall key and makes it the user's screen saver; the installed
# saver runs (the end-to-end runner); an install over it works; the silent uninstall leaves
# the prefix as it was, but for the user's settings, and keeps another saver that the user
# chose since.
# usage: installer_test.sh SETUP_EXE PETALRAIN_SCR PREVIEW_PARENT_EXE WORK_DIR
set -euo pipefail
setup=$1 scr=$2 preview_parent=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)
scripts=$here/../../scripts
rm -rf "$work"
mkdir -p "$work"
export PETALRAIN_WINE_SESSION=$work/session
trap 'bash "$scripts/wine-session.sh" stop "$PETALRAIN_WINE_SESSION"' EXIT
bash "$scripts/wine-session.sh" start "$PETALRAIN_WINE_SESSION"
# shellcheck disable=SC1091
. "$PETALRAIN_WINE_SESSION/session.env"
wine() { bash "$scripts/wine-run.sh" "$@"; }

# shellcheck source=../support.sh
. "$(dirname "$0")/../support.sh"

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Petalrain'
desktop_key='HKCU\Control Panel\Desktop'
settings_key='HKCU\Control Panel\ScreenSaver\Petalrain'
installed=$WINEPREFIX/drive_c/windows/system32/Petalrain.scr
uninstaller='C:\Program Files\Petalrain\Uninstall.exe'

# Prints value $2 of key $1 (its data alone), or nothing.
value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v name="$2" '$1 == name { $1 = $2 = ""; sub(/^ +/, ""); print }'
}

# The prefix's files and registry once Wine has settled and saved it. Left out: the temporary
# folder, where the uninstaller runs a copy of itself that goes at the next restart, and
# what Wine rewrites on every start: key times and the display driver's date.
snapshot() {
    WINEPREFIX=$WINEPREFIX wineserver -w
    (cd "$WINEPREFIX" && find drive_c -path 'drive_c/users/*/Temp' -prune -o -print | LC_ALL=C sort) >"$1.files"
    sed -E -e '/^#time=/d' -e 's/^(\[.*\]) [0-9]+$/\1/' -e '/^"DriverDateData"=/d' \
        -e '/^"PendingFileRenameOperations"=/d' "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" >"$1.registry"
}

# Installs silently and checks what an install leaves.
install_silently() {
    wine "$setup" /S || fail "$1: the installer ended with $?"
    WINEPREFIX=$WINEPREFIX wineserver -w
    cmp -s "$scr" "$installed" || fail "$1: system32 holds no copy of Petalrain.scr"
    [ -f "$WINEPREFIX/drive_c/Program Files/Petalrain/Uninstall.exe" ] || fail "$1: no uninstaller"
    local name expected
    for name in DisplayName DisplayVersion Publisher DisplayIcon UninstallString QuietUninstallString \
                EstimatedSize NoModify NoRepair; do
        [ -n "$(value "$uninstall_key" "$name")" ] || fail "$1: the uninstall key lacks $name"
    done
    expected="\"$uninstaller\" /S"
    [ "$(value "$uninstall_key" QuietUninstallString)" = "$expected" ] ||
        fail "$1: QuietUninstallString is $(value "$uninstall_key" QuietUninstallString)"
    [ "$(value "$desktop_key" SCRNSAVE.EXE)" = 'C:\windows\system32\Petalrain.scr' ] ||
        fail "$1: SCRNSAVE.EXE is '$(value "$desktop_key" SCRNSAVE.EXE)'"
    [ "$(value "$desktop_key" ScreenSaveActive)" = 1 ] || fail "$1: ScreenSaveActive is not 1"
}

uninstall_silently() {
    # The uninstaller hands over to its copy in the temporary folder and returns at once:
    # wineserver -w waits for the copy too.
    wine "$uninstaller" /S || fail "the uninstaller ended with $?"
    WINEPREFIX=$WINEPREFIX wineserver -w
}

# A first command under the test's locale, so that Wine's own locale-dependent writes (the
# fonts' names) happen before the snapshot.
wine reg query "$desktop_key" >/dev/null
snapshot "$work/before"

echo "== install"
install_silently "install"
echo "== the installed saver"
bash "$here/../host/end_to_end.sh" 'C:\windows\system32\Petalrain.scr' "$preview_parent" "$work/end_to_end" \
    "raster path: OpenGL here is llvmpipe"
echo "== install over the installed one"
install_silently "second install"

echo "== uninstall"
wine reg add "$settings_key" /v HanaNum /t REG_DWORD /d 100 /f >/dev/null
uninstall_silently
[ "$(value "$settings_key" HanaNum)" = 0x64 ] || fail "the user's settings went with the uninstall"
# The kept settings go, and the key above them where they made it, before the comparison.
wine reg delete "$settings_key" /f >/dev/null
grep -qxF '[Control Panel\\ScreenSaver]' "$work/before.registry" ||
    wine reg delete 'HKCU\Control Panel\ScreenSaver' /f >/dev/null
snapshot "$work/after"
diff -u "$work/before.files" "$work/after.files" || fail "the uninstall left files other than before"
diff -u "$work/before.registry" "$work/after.registry" || fail "the uninstall left the registry other than before"

echo "== uninstall keeps a screen saver chosen since"
install_silently "install again"
wine reg add "$desktop_key" /v SCRNSAVE.EXE /t REG_SZ /d 'C:\windows\system32\other.scr' /f >/dev/null
uninstall_silently
[ "$(value "$desktop_key" SCRNSAVE.EXE)" = 'C:\windows\system32\other.scr' ] ||
    fail "the uninstall changed another screen saver's SCRNSAVE.EXE"
[ ! -e "$installed" ] || fail "the uninstall left Petalrain.scr"
echo "all passed"
