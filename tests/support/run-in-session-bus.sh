#!/usr/bin/env bash
# Runs a command on a private D-Bus session bus, in a throwaway home, optionally with an unlocked Secret
# Service (gnome-keyring-daemon) and an X display of its own (Xvfb, 1280×800). CTest uses it as the launcher
# of the tests that need a bus or windows:
#   run-in-session-bus.sh [--keyring] [--display] -- COMMAND [ARGS…]
# Every helper started here is ended when the command ends.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

keyring=0
display=0
while [ $# -gt 0 ]; do
    case "$1" in
        --keyring) keyring=1; shift ;;
        --display) display=1; shift ;;
        --) shift; break ;;
        *) break ;;
    esac
done

if [ -z "${NIMBREL_TEST_BUS_INNER:-}" ]; then
    # The keyring must never wait on an unlock prompt that nobody can see.
    exec env -u DISPLAY -u WAYLAND_DISPLAY NIMBREL_TEST_BUS_INNER=1 NIMBREL_TEST_KEYRING="$keyring" \
        NIMBREL_TEST_DISPLAY="$display" \
        dbus-run-session --config-file="$here/dbus/session.conf" -- "$0" -- "$@"
fi

home="$(mktemp -d "${TMPDIR:-/tmp}/nimbrel-test-home.XXXXXX")"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$home"
}
trap cleanup EXIT

export HOME="$home"
export XDG_RUNTIME_DIR="$home/run" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
    XDG_CACHE_HOME="$home/cache"
mkdir -p -m 0700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"

if [ "${NIMBREL_TEST_KEYRING:-0}" = 1 ]; then
    # --unlock reads the password of the login keyring from standard input and creates it unlocked. The
    # daemon stays in the foreground, so that $! is its pid: tests run in parallel, each with a daemon of
    # its own, and looking one up by name could find (and later end) another test's.
    printf 'test-password' | gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null &
    pids+=("$!")
    if ! timeout 10 gdbus wait --session --timeout 10 org.freedesktop.secrets; then
        echo "run-in-session-bus: the keyring daemon did not appear on the bus" >&2
        exit 1
    fi
fi

if [ "${NIMBREL_TEST_DISPLAY:-0}" = 1 ]; then
    # Set only now, after the bus started: what the bus activates never sees a display (see above). Xvfb
    # picks a free display number and writes it to a pipe, so tests running in parallel never collide.
    mkfifo "$home/display-number"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$home/display-number" \
        >"$home/xvfb.log" 2>&1 &
    pids+=("$!")
    number=""
    read -r -t 20 number <"$home/display-number" || true
    if [ -z "$number" ]; then
        echo "run-in-session-bus: Xvfb did not start: $(cat "$home/xvfb.log")" >&2
        exit 1
    fi
    export DISPLAY=":$number" QT_QPA_PLATFORM=xcb
fi

"$@"
