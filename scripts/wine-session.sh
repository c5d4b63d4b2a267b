#!/usr/bin/env bash
# Starts or stops the private Wine prefix and Xvfb server that the Windows tests run in.
# usage: wine-session.sh start|stop SESSION_DIR
set -euo pipefail
cmd=$1
dir=$(mkdir -p "$2" && cd "$2" && pwd)
env_file=$dir/session.env

stop() {
    [ -f "$env_file" ] || return 0
    # shellcheck disable=SC1090
    . "$env_file"
    WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
    kill "$XVFB_PID" 2>/dev/null || true
    rm -f "$env_file"
}

case $cmd in
start)
    stop
    # Xvfb picks a free display itself and reports it: a lock file check alone
    # misses servers in other mount namespaces that share the abstract sockets.
    rm -f "$dir/display"
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
    display=$(head -n 1 "$dir/display" 2>/dev/null)
    if [ -z "$display" ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "Xvfb did not start; see $dir/xvfb.log" >&2
        kill "$xvfb_pid" 2>/dev/null || true
        exit 1
    fi
    prefix=$dir/prefix
    export WINEPREFIX=$prefix DISPLAY=:$display WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wineboot -i >"$dir/wineboot.log" 2>&1 || true
    # Wine has no "ＭＳ Ｐゴシック", the settings dialog's font, nor any Japanese face:
    # without one the dialog draws its texts as boxes. IPA P Gothic stands in for it.
    cp /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf "$prefix/drive_c/windows/Fonts/"
    # A wineserver still settling after wineboot can refuse the first write: try again.
    for try in 1 2 3; do
        LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 wine reg add \
            'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
            /v 'ＭＳ Ｐゴシック' /t REG_SZ /d 'IPAPGothic' /f >>"$dir/wineboot.log" 2>&1 && break
        [ "$try" -lt 3 ] || { echo "cannot map the dialog's font; see $dir/wineboot.log" >&2; exit 1; }
        wineserver -w || true
    done
    wineserver -w || true
    printf 'export DISPLAY=:%s\nexport WINEPREFIX=%s\nXVFB_PID=%s\n' "$display" "$prefix" "$xvfb_pid" >"$env_file"
    ;;
stop) stop ;;
*) echo "usage: $0 start|stop SESSION_DIR" >&2; exit 2 ;;
esac
