#!/usr/bin/env bash
# Runs a command in a desktop session of its own: a virtual X display (the first free one),
# a D-Bus session and a private runtime directory, where the accessibility bus puts its socket;
# otherwise two sessions at once on one machine would share ~/.cache/at-spi/bus.
#   tests/desktop/session.sh COMMAND [ARGUMENT...]
set -euo pipefail
runtime=$(mktemp -d /tmp/recta-session-XXXXXX)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime
# The accessibility bus is the new session's, not one of the desktop this may be started from.
unset AT_SPI_BUS_ADDRESS
status=0
# No auto-repeat (-r): on a busy machine the driver's key press and release can lie further
# apart than the repeat delay, and the repeated keys would make a run unrepeatable.
xvfb-run -a -s "-screen 0 1280x1024x24 -r" dbus-run-session -- "$@" || status=$?
exit "$status"
