#!/bin/bash
# The real program on a private X server and accessibility bus, typed into as a pupil would,
# while a listener on the bus checks that every result reaches the control that has the focus.
#   a11y_session.sh path/to/recta
# With RECTA_A11Y_ORCA=file, the Orca screen reader (package orca) listens too, under a window
# manager (openbox), and writes its debug log there: its lines "SPEECH OUTPUT" are what it says.
set -u
recta=${1:?usage: a11y_session.sh path/to/recta}
here=$(cd "$(dirname "$0")" && pwd)

fail() {
    echo "a11y_session: $*" >&2
    exit 1
}

if [ -z "${RECTA_A11Y_INNER:-}" ]; then
    for tool in Xvfb dbus-run-session xdotool timeout; do
        command -v "$tool" >/dev/null || fail "$tool is missing (packages xvfb, dbus, xdotool)"
    done
    [ -x /usr/libexec/at-spi-bus-launcher ] || fail "at-spi-bus-launcher is missing (at-spi2-core)"
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || fail "pyatspi is missing (python3-pyatspi)"
    # A D-Bus session of its own, so that nothing of the desktop's takes part, and a runtime
    # folder of its own, where the accessibility bus puts its socket: other runs have theirs.
    # The whole run is bounded.
    runtime=$(mktemp -d)
    exec env XDG_RUNTIME_DIR="$runtime" RECTA_A11Y_INNER=1 \
        timeout -k 5 120 dbus-run-session -- "$0" "$@"
fi

work=$XDG_RUNTIME_DIR
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# An X server on a display number it picks itself: other runs may have servers of their own.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"

# Asking for the accessibility bus's address starts it (D-Bus activation of at-spi2-core's
# launcher); it ends with the session. Its registry must be up before anyone joins the bus.
a11y_bus() {
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >"$work/a11y.log" 2>&1
}
for _ in $(seq 50); do
    a11y_bus && break
    sleep 0.1
done
a11y_bus || fail "the accessibility bus did not start: $(cat "$work/a11y.log")"
address=$(sed -n 's/^ *string "\(.*\)"$/\1/p' "$work/a11y.log")
dbus-send --bus="$address" --print-reply --reply-timeout=20000 --dest=org.freedesktop.DBus \
    / org.freedesktop.DBus.StartServiceByName string:org.a11y.atspi.Registry uint32:0 \
    >"$work/registry.log" 2>&1 || fail "the AT-SPI registry did not start: $(cat "$work/registry.log")"

if [ -n "${RECTA_A11Y_ORCA:-}" ]; then
    openbox --sm-disable &
    pids+=($!)
    orca --replace --debug-file="$RECTA_A11Y_ORCA" -u "$work/orca" &
    pids+=($!)
    sleep 4 # Orca's start-up
    export RECTA_A11Y_PAUSE=1
fi
/usr/bin/python3 "$here/a11y_listener.py" "$recta"
status=$?
[ -z "${RECTA_A11Y_ORCA:-}" ] || sleep 2 # what Orca still has to say
exit $status
