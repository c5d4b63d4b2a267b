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
    display=
    for n in $(seq 91 140); do
        if [ ! -e /tmp/.X$n-lock ] && [ ! -e /tmp/.X11-unix/X$n ]; then display=$n; break; fi
    done
    [ -n "$display" ] || { echo "no free X display" >&2; exit 1; }
    Xvfb :$display -screen 0 1920x1080x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.1; done
    prefix=$dir/prefix
    export WINEPREFIX=$prefix DISPLAY=:$display WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wineboot -i >"$dir/wineboot.log" 2>&1 || true
    wineserver -w || true
    printf 'export DISPLAY=:%s\nexport WINEPREFIX=%s\nXVFB_PID=%s\n' "$display" "$prefix" "$xvfb_pid" >"$env_file"
    ;;
stop) stop ;;
*) echo "usage: $0 start|stop SESSION_DIR" >&2; exit 2 ;;
esac
