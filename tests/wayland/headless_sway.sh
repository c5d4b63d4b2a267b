# A headless sway of its own, for the Wayland mode's tests and benchmark (sourced). sway
# refuses root, so as root the compositor and its clients run as an unprivileged user made
# for the purpose, with a private runtime folder that also holds the programs (copied: the
# user may not reach the build folder) and the photographs.
#   session_open; session_install FILE NAME...; start_sway MODE [SCALE]; in_session COMMAND...
#   exec_in_session COMMAND... & (then $! is the command's pid); session_close

# shellcheck source=../support.sh
. "$(dirname "${BASH_SOURCE[0]}")/../support.sh"

user=petalrain-wayland
run=
pids=()
session_env=()
sanitizer_env=()

session_open() {
    if [ "$(id -u)" -eq 0 ]; then
        # Two test processes may make it at once: the loser's error is harmless.
        id "$user" >/dev/null 2>&1 ||
            useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user" 2>/dev/null ||
            id "$user" >/dev/null 2>&1 || fail "could not create the user $user"
        as_user=(setpriv --reuid="$user" --regid="$user" --clear-groups)
    else
        as_user=()
    fi
    run=$(mktemp -d -t petalrain-wayland.XXXXXX)
    # A sanitizer build reads its suppressions as the user too.
    local name value
    for name in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do
        value=${!name-}
        [ -n "$value" ] || continue
        if [[ $value =~ suppressions=([^:]+) ]]; then
            cp "${BASH_REMATCH[1]}" "$run/$name.supp"
            value=${value/${BASH_REMATCH[1]}/$run/$name.supp}
        fi
        sanitizer_env+=("$name=$value")
    done
    [ "$(id -u)" -ne 0 ] || chown -R "$user:" "$run"
    chmod 700 "$run"
}

session_install() {  # FILE NAME
    install -m 755 "$1" "$run/$2"
    [ "$(id -u)" -ne 0 ] || chown "$user:" "$run/$2"
}

session_close() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$run"
}

# Runs a command as the user in a clean environment, on the compositor's socket once
# there is one. In the background it takes the place of the subshell, so that $! is its pid.
in_session() { (exec_in_session "$@"); }
exec_in_session() {
    exec "${as_user[@]}" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME="$run" XDG_RUNTIME_DIR="$run" \
        "${session_env[@]}" "${sanitizer_env[@]}" "$@"
}

start_sway() {  # MODE [SCALE]: the first output, HEADLESS-1
    printf 'xwayland disable\noutput HEADLESS-1 mode %s position 0 0 scale %s\n' "$1" "${2:-1}" >"$run/sway.config"
    exec_in_session env WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        sway -c "$run/sway.config" >"$run/sway.log" 2>&1 &
    sway=$!
    pids+=("$sway")
    await 30 "sway did not start (sway.log)" compgen -G "$run/sway-ipc.*.sock"
    wayland_socket=$(compgen -G "$run/wayland-[0-9]" | head -n 1)
    session_env=(WAYLAND_DISPLAY="${wayland_socket##*/}" SWAYSOCK="$(compgen -G "$run/sway-ipc.*.sock" | head -n 1)")
    await 30 "sway answers no requests" in_session swaymsg -t get_outputs
}

swaymsg() { in_session swaymsg "$@" >/dev/null; }
