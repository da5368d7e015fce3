#!/bin/bash
# The plane's sound through a real sound server: a PulseAudio of its own with a null sink, under
# a runtime folder of its own; the sink's monitor is recorded while the player plays one sweep,
# and the recording must be the sweep's own samples; then a sweep stopped half way must fall
# silent. Before the server starts, the player must report that there is no sound device.
# RECTA_SOUND_KEEP=PREFIX keeps the recordings as PREFIX-N.raw.
#   sound_session.sh path/to/recta-playsweep [path/to/tst_accessibility]
# With the window's test, F3 in the window must play the line and tell its landmarks after it.
# The server and the recorder are ended by their process ids on every way out. A server that
# never comes up is a failure, not a skip.
set -u
playsweep=${1:?usage: sound_session.sh path/to/recta-playsweep [path/to/tst_accessibility]}
window_test=${2:-}

fail() {
    echo "sound_session: $*" >&2
    exit 1
}

[ -x "$playsweep" ] || fail "the player is $playsweep"
for tool in pulseaudio pactl parec pacat timeout; do
    command -v "$tool" >/dev/null || fail "$tool is missing (packages pulseaudio, pulseaudio-utils)"
done

work=$(mktemp -d /tmp/recta-sound-XXXXXX) # mode 0700, as a runtime folder must be
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

# Every client of this run talks to this server alone, and none starts another by itself.
export XDG_RUNTIME_DIR=$work HOME=$work
export PULSE_SERVER=unix:$work/native
export PULSE_RUNTIME_PATH=$work/runtime PULSE_STATE_PATH=$work/state
export PULSE_CLIENTCONFIG=$work/client.conf
echo 'autospawn = no' >"$PULSE_CLIENTCONFIG"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS

line='y=x/2+2'
kept='y=-x/2-4'

# Before there is a server there is no sound device: the player says so, and does not hang.
timeout -k 5 30 "$playsweep" --kept "$kept" "$line" 2>"$work/play.err"
status=$?
[ "$status" -eq 3 ] || fail "with no sound server the player ended with status $status, not 3 (no sound device): $(cat "$work/play.err")"

# -n: none of the machine's default.pa; the sink at the sweep's own format, so that nothing is
# resampled.
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
    --log-target=file:"$work/pulseaudio.log" \
    -L "module-native-protocol-unix socket=$work/native auth-anonymous=1" \
    -L "module-null-sink sink_name=recta_null rate=44100 channels=2 format=s16le" \
    >"$work/pulseaudio.out" 2>&1 &
server=$!
pids+=("$server")
for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
done
pactl info >/dev/null 2>&1 \
    || fail "the sound server did not start: $(tail -n 5 "$work/pulseaudio.log" "$work/pulseaudio.out" 2>/dev/null)"
pactl set-default-sink recta_null || fail "the null sink is missing"
# A stream of silence keeps the null sink running at a low latency: idle, it renders in blocks of
# up to two seconds, and would hand the monitor the sweep's start that much later.
pacat -p --rate=44100 --channels=2 --format=s16le --latency-msec=20 </dev/zero \
    2>"$work/pacat.err" &
pids+=("$!")

# One sweep played and recorded from the sink's monitor, then compared with its samples; the
# arguments go to the player both times (--stop-after SECONDS).
heard() {
    local recording="$work/recording-$#.raw"
    parec -d recta_null.monitor --rate=44100 --channels=2 --format=s16le --latency-msec=20 \
        >"$recording" 2>"$work/parec.err" &
    local recorder=$!
    pids+=("$recorder")
    # The recorder is connected once the server lists its stream.
    for _ in $(seq 50); do
        pactl list short source-outputs 2>/dev/null | grep -q . && break
        sleep 0.1
    done
    pactl list short source-outputs | grep -q . || fail "the recorder did not connect: $(cat "$work/parec.err")"
    # Listed, the recorder may still miss its first moments; a player that starts slowly (a
    # Windows one under Wine) would lose its start there.
    sleep 1
    timeout -k 5 30 "$playsweep" "$@" --kept "$kept" "$line" 2>"$work/play.err"
    local status=$?
    [ "$status" -eq 0 ] || fail "the player failed (status $status): $(cat "$work/play.err")"
    sleep 0.5
    kill "$recorder"
    wait "$recorder" 2>/dev/null
    [ -z "${RECTA_SOUND_KEEP:-}" ] || cp "$recording" "$RECTA_SOUND_KEEP-$#.raw"
    "$playsweep" --compare "$recording" "$@" --kept "$kept" "$line" \
        || fail "the recording is not the sweep${1:+ stopped after $2 s}"
}

heard
heard --stop-after 2

# The window itself: F3 plays the line, and its landmarks are told after the sweep.
if [ -n "$window_test" ]; then
    RECTA_SOUND_SERVER=1 QT_QPA_PLATFORM=offscreen timeout -k 5 60 "$window_test" windowPlaysTheLine \
        >"$work/window.out" 2>&1
    grep -q "^PASS   : .*::windowPlaysTheLine()" "$work/window.out" \
        || fail "the window did not play the line and tell its landmarks: $(grep -E 'FAIL|SKIP|Actual|Expected' "$work/window.out")"
fi
kill "$server"
wait "$server" 2>/dev/null
echo "sound_session: the sweep was heard as it was made, and stopped when asked${window_test:+; the window played the line and told its landmarks after it}"
