#!/bin/bash
# The real program on a private X server and accessibility bus, typed into as a pupil would,
# while a listener on the bus checks that every result reaches the control that has the focus.
#   a11y_session.sh [--orca] path/to/recta
# With --orca, the Orca screen reader (packages orca, speech-dispatcher,
# speech-dispatcher-espeak-ng) listens too, under a window manager (openbox), with a speech
# server of the run's own that speaks into ALSA's null device; what Orca says (its debug log's
# "SPEECH OUTPUT" lines) is checked afterwards: each result once, no symbol read by its name.
# Orca, the speech server and everything else the run starts end with it.
set -u
orca=
if [ "${1:-}" = --orca ]; then
    orca=1
    shift
fi
recta=${1:?usage: a11y_session.sh [--orca] path/to/recta}
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
    isolate=()
    if [ -n "$orca" ]; then
        for tool in orca speech-dispatcher openbox script; do
            command -v "$tool" >/dev/null || fail "$tool is missing (packages orca, speech-dispatcher, openbox)"
        done
        # Orca refuses to start beside another Orca of the same user, and --replace would end
        # that one: a process namespace of the run's own shows Orca none but its own, and ends
        # whatever the run started when the run ends.
        if unshare --pid --fork --mount-proc true 2>/dev/null; then
            isolate=(unshare --pid --fork --mount-proc)
        elif pgrep -u "$(id -u)" -x orca >/dev/null; then
            echo "a11y_session: another Orca of this user is running and no process namespace can be made; not run" >&2
            exit 77
        fi
    fi
    # A D-Bus session of its own, so that nothing of the desktop's takes part, and a runtime
    # folder of its own, where the accessibility bus and the speech server put their sockets:
    # other runs have theirs. The whole run is bounded.
    runtime=$(mktemp -d)
    chmod 700 "$runtime"
    status=0
    env XDG_RUNTIME_DIR="$runtime" RECTA_A11Y_INNER=1 "${isolate[@]}" \
        timeout -k 5 "${RECTA_A11Y_BOUND:-120}" dbus-run-session -- "$0" ${orca:+--orca} "$@" \
        || status=$?
    if [ "$status" -eq 124 ]; then
        echo "a11y_session: the run did not end within its bound" >&2
        log=${RECTA_A11Y_ORCA_LOG:-$runtime/orca.log}
        if [ -n "$orca" ] && [ -f "$log" ]; then
            echo "--- the end of Orca's log:" >&2
            tail -n 40 "$log" >&2
        fi
    fi
    rm -rf "$runtime"
    exit "$status"
fi

work=$XDG_RUNTIME_DIR
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    # A screen reader that hangs may not end when asked.
    for _ in $(seq 20); do
        alive=
        for pid in "${pids[@]}"; do
            kill -0 "$pid" 2>/dev/null && alive=1
        done
        [ -z "$alive" ] && break
        sleep 0.1
    done
    for pid in "${pids[@]}"; do
        kill -KILL "$pid" 2>/dev/null
    done
    wait 2>/dev/null
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

if [ -z "$orca" ]; then
    /usr/bin/python3 "$here/a11y_listener.py" "$recta"
    exit
fi

# Orca's log is kept where RECTA_A11Y_ORCA_LOG says, for a look after the run.
orca_log=${RECTA_A11Y_ORCA_LOG:-$work/orca.log}
orca_pid=
orca_tail() {
    echo "--- the end of Orca's log:" >&2
    tail -n 40 "$orca_log" >&2
}
orca_fail() {
    echo "a11y_session: $*" >&2
    orca_tail
    exit 1
}

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)

# The speech server: the run's own configuration, socket and log, espeak-ng into ALSA's null
# device, so that nothing is heard and no sound card is needed. No client may start another.
mkdir -p "$work/speechd/modules" "$work/home"
cp /etc/speech-dispatcher/modules/espeak-ng.conf "$work/speechd/modules/"
cat >"$work/speechd/speechd.conf" <<'EOF'
LogLevel 3
AudioOutputMethod "alsa"
AudioALSADevice "null"
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
DefaultModule espeak-ng
DefaultLanguage "ca"
SymbolsPreproc "char"
SymbolsPreprocFile "symbols.dic"
SymbolsPreprocFile "orca.dic"
SymbolsPreprocFile "orca-chars.dic"
EOF
export SPEECHD_ADDRESS="unix_socket:$work/speechd.sock"
speech-dispatcher --run-single --timeout 0 --config-dir "$work/speechd" \
    --communication-method unix_socket --socket-path "$work/speechd.sock" \
    --log-dir "$work/speechd-log" >"$work/speechd.out" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    [ -S "$work/speechd.sock" ] && break
    sleep 0.05
done
[ -S "$work/speechd.sock" ] || fail "the speech server did not start: $(cat "$work/speechd.out")"

# Orca with settings of its own (a fresh home), its debug log written through a terminal, where
# Python writes each line as it comes; the log is what Orca says.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export LC_ALL=C.UTF-8
: >"$orca_log"
script --quiet --flush --command \
    "exec orca --user-prefs=$work/orca --debug-file=/dev/tty" "$orca_log" </dev/null >/dev/null 2>&1 &
script_pid=$!
pids+=($script_pid)
for _ in $(seq 100); do
    orca_pid=$(pgrep -P "$script_pid" -x orca)
    [ -n "$orca_pid" ] && break
    sleep 0.05
done
[ -n "$orca_pid" ] || orca_fail "Orca did not start"
pids=("$orca_pid" "${pids[@]}")
# Orca is ready once it has said that it is.
for _ in $(seq 300); do
    grep -q "SPEECH OUTPUT" "$orca_log" && break
    kill -0 "$orca_pid" 2>/dev/null || orca_fail "Orca ended at start-up"
    sleep 0.1
done
grep -q "SPEECH OUTPUT" "$orca_log" || orca_fail "Orca said nothing at start-up"

export RECTA_A11Y_PAUSE=1 RECTA_A11Y_HEARD=$orca_log
status=0
/usr/bin/python3 "$here/a11y_listener.py" "$recta" || status=$?
# What Orca still has to say: it has said it once its log has stood still for a while.
for _ in $(seq 40); do
    size=$(stat -c %s "$orca_log")
    sleep 0.5
    [ "$(stat -c %s "$orca_log")" = "$size" ] && break
done
kill -0 "$orca_pid" 2>/dev/null || orca_fail "Orca ended during the session"
/usr/bin/python3 "$here/orca_said.py" "$orca_log" "$here/orca_expected.txt" || orca_fail "what Orca said is not what a pupil should hear"
exit "$status"
