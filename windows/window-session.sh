#!/bin/bash
# The real window on an X display of its own with a window manager, typed into with xdotool as a
# pupil would, and its picture taken at the end:
#   windows/window-session.sh OUT.png COMMAND [ARGUMENT...]
# COMMAND starts Recta: build/release/app/recta on Debian, or wine …/recta.exe, whose Windows
# platform plugin draws through Wine onto the same display. The session: A (0, 1) and B (1, 3)
# draw y = 2x + 1, the test point (2, 5) is on it, "nova recta" keeps it, and the equation
# y=-x/2+3 crosses it. The X server, the window manager and the program are ended by their
# process ids on every path.
set -euo pipefail

out=${1:?usage: windows/window-session.sh OUT.png COMMAND [ARGUMENT...]}
shift
work=$(mktemp -d)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        timeout 10 tail --pid="$pid" -f /dev/null 2>/dev/null || kill -KILL "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "window-session: $*" >&2
    exit 1
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)

"$@" >"$work/program.log" 2>&1 &
pids+=($!)
# Wine's first start in a prefix takes a while; a window that never comes fails the session.
# Asked again and again rather than waited for with --sync, which ends on the X error of a
# window that goes while it looks (Wine makes and drops some as it starts).
wid=
for _ in $(seq 240); do
    wid=$(xdotool search --onlyvisible --name '^Recta$' 2>/dev/null | head -n1) || true
    [ -n "$wid" ] && break
    kill -0 "${pids[2]}" 2>/dev/null || break
    sleep 0.5
done
[ -n "$wid" ] || { cat "$work/program.log" >&2; fail "no window named Recta came up"; }
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
sleep 2

# Keys one at a time, with time between them, as a busy machine under Wine needs.
keys() {
    local key
    for key in "$@"; do
        xdotool key --clearmodifiers "$key"
        sleep 0.3
    done
}
text() {
    xdotool type --delay 80 "$1"
    sleep 0.3
}
text 0
keys Tab
text 1
keys Tab
text 1
keys Tab
text 3
keys Return
text 2
keys Tab
text 5
keys Return alt+n Tab Tab Tab Tab
text 'y=-x/2+3'
keys Return
sleep 2
kill -0 "${pids[2]}" 2>/dev/null || { cat "$work/program.log" >&2; fail "the program ended during the session"; }
import -window "$wid" "$out"
echo "$out"
