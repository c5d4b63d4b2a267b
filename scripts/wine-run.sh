#!/usr/bin/env bash
# Runs a Windows executable under Wine: the emulator of the cross build.
# Inside a test run PETALRAIN_WINE_SESSION names the session that wine-session.sh started.
set -u
if [ -n "${PETALRAIN_WINE_SESSION:-}" ] && [ -f "$PETALRAIN_WINE_SESSION/session.env" ]; then
    # shellcheck disable=SC1091
    . "$PETALRAIN_WINE_SESSION/session.env"
fi
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
# Japanese texts reach the A functions as code page 932 only under a Japanese locale.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
exec wine "$@"
