#!/bin/bash
# The real program as a Wayland client of a compositor of its own (weston, headless back-end), on
# outputs of several sizes and scales: it starts without a word on stderr, opens inside the
# output, and names its desktop file, whose icon the desktop shows; then the driver's window is
# zoomed by keys, maximised and zoomed again, and shows and closes the message box.
#   wayland_session.sh path/to/recta path/to/wayland_driver
# Each weston and each program it starts is ended by its process id on every way out.
set -u
recta=${1:?usage: wayland_session.sh path/to/recta path/to/wayland_driver}
driver=${2:?usage: wayland_session.sh path/to/recta path/to/wayland_driver}
here=$(cd "$(dirname "$0")" && pwd)

fail() {
    echo "wayland_session: $*" >&2
    exit 1
}

[ -x "$driver" ] || fail "the driver is $driver"
for tool in weston weston-debug timeout; do
    command -v "$tool" >/dev/null || fail "$tool is missing (package weston)"
done
plugin=$(find /usr/lib/*/qt6/plugins/platforms -name 'libqwayland-generic.so' 2>/dev/null | head -n1)
[ -n "$plugin" ] || fail "Qt's Wayland platform plugin is missing (package qt6-wayland)"

# Debian 12's weston 10 names its back-ends by module file, weston 12 and later by name.
version=$(weston --version 2>/dev/null | sed -n 's/^weston \([0-9]*\)\..*/\1/p')
backend=headless
[ "${version:-0}" -ge 12 ] || backend=headless-backend.so

work=$(mktemp -d /tmp/recta-wayland-XXXXXX) # mode 0700, as a runtime folder must be
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

export XDG_RUNTIME_DIR=$work
export QT_QPA_PLATFORM=wayland
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR

# One output: width, height and scale as weston's options take them.
session() {
    local width=$1 height=$2 scale=$3
    local name="recta-$$-${width}x$height-$scale"
    local log="$work/$name"
    echo "weston $version, output ${width}×$height at scale $scale"
    # --debug lets weston-debug read the scene graph; --no-config keeps the machine's weston.ini out.
    weston --backend="$backend" --socket="$name" --width="$width" --height="$height" \
        --scale="$scale" --idle-time=0 --no-config --debug --log="$log.weston" \
        >"$log.weston-out" 2>&1 &
    local weston_pid=$!
    pids+=("$weston_pid")
    for _ in $(seq 100); do
        [ -S "$work/$name" ] && break
        kill -0 "$weston_pid" 2>/dev/null || break
        sleep 0.05
    done
    [ -S "$work/$name" ] || fail "weston did not start: $(tail -n 5 "$log.weston" "$log.weston-out")"
    export WAYLAND_DISPLAY=$name
    # The shell's panel comes up on its own time; a window mapped before it is placed as if the
    # whole output were free.
    for _ in $(seq 100); do
        weston-debug scene-graph 2>/dev/null | grep -q 'panel for output' && break
        sleep 0.05
    done
    weston-debug scene-graph 2>/dev/null | grep -q 'panel for output' || fail "weston's panel never appeared"

    "$recta" >"$log.recta-out" 2>"$log.recta-err" &
    local recta_pid=$!
    pids+=("$recta_pid")
    timeout -k 5 60 "$driver" --program-pid "$recta_pid" 2>"$log.driver-err"
    local status=$?
    kill -0 "$recta_pid" 2>/dev/null || fail "the program ended by itself: $(cat "$log.recta-err")"
    kill "$recta_pid"
    wait "$recta_pid" 2>/dev/null
    [ "$status" -eq 0 ] || fail "the driver failed (status $status): $(cat "$log.driver-err")"
    [ ! -s "$log.recta-err" ] || fail "the program wrote to stderr: $(cat "$log.recta-err")"
    [ ! -s "$log.driver-err" ] || fail "the driver's window wrote to stderr: $(cat "$log.driver-err")"
    kill "$weston_pid"
    wait "$weston_pid" 2>/dev/null
}

# The icon the desktop shows for the window is the one its desktop file names.
grep -qx 'Icon=cat.recta.Recta' "$here/../../data/cat.recta.Recta.desktop" \
    || fail "the desktop file names no icon cat.recta.Recta"

session 1280 800 1
session 1280 800 2
session 800 600 1
session 640 400 2
echo "wayland_session: every output passed"
