#!/bin/bash
# Runs the Qt Test programs of a Windows build under Wine, with the offscreen platform, one at a
# time, and ends with one line "N passed, N failed" over all their test functions.
#
#   windows/test-wine.sh BUILD_DIR [TEST...]     (default: every tests/tst_*.exe)
#
# The Qt they run with is the one the build was configured with (windows/build-qt.sh). Wine gets
# a prefix of its own under BUILD_DIR, and its server is ended on every path.
set -euo pipefail

build=$(cd "$1" && pwd)
shift
qt=$(sed -n 's/^Qt6_DIR:[A-Z]*=\(.*\)\/lib\/cmake\/Qt6$/\1/p' "$build/CMakeCache.txt")
[ -d "$qt/bin" ] || {
    echo "no Qt for Windows found for $build" >&2
    exit 1
}

export WINEPREFIX=$build/wine
export WINEDEBUG=-all
# No offers to download Mono and Gecko, which no test needs, and no menu entries on this machine.
export WINEDLLOVERRIDES='winemenubuilder.exe=d;mscoree=;mshtml='
# Wine keeps the host's variables that start with QT_ from Windows programs and hands on those
# that start with WINEQT_ without the WINE; the DLLs are found along WINEPATH.
export WINEQT_QPA_PLATFORM=offscreen
# On Windows the offscreen platform reads fonts from one folder only, and finds none in Qt's:
# it is given the Liberation fonts that the window is laid out for, through Wine's Z: drive.
export WINEQT_QPA_FONTDIR='Z:\usr\share\fonts\truetype\liberation'
export WINEPATH="$qt/bin"
trap 'wineserver -k 2>/dev/null || true' EXIT
wineboot -i >/dev/null 2>&1

# Qt's Catalan texts, where the program looks for them beside itself on Windows.
mkdir -p "$build/tests/translations"
cp /usr/share/qt6/translations/qtbase_ca.qm "$build/tests/translations/"

if [ $# -eq 0 ]; then
    mapfile -t tests < <(cd "$build/tests" && ls tst_*.exe | sed 's/\.exe$//')
else
    tests=("$@")
fi

# One run: NAME [ARGUMENT...]; its Qt Test log goes to a file, since Qt Test's output does not
# reach a redirected standard output under Wine.
run() {
    local name=$1 exe=$2 log=$build/tests/$1.wine.txt status=0
    shift 2
    rm -f "$log"
    (cd "$build/tests" && timeout 900 wine "$exe.exe" "$@" -o "$(basename "$log"),txt") \
        >"$build/tests/$name.wine.out" 2>&1 || status=$?
    # Now and then Wine ends a program before it runs (status 1, no log at all): that one is
    # started once more, and said. A program that ran, whatever its verdict, is not.
    if [ ! -s "$log" ] && [ "$status" -ne 0 ]; then
        echo "$name: Wine ended it before it ran (exit $status), started again"
        status=0
        (cd "$build/tests" && timeout 900 wine "$exe.exe" "$@" -o "$(basename "$log"),txt") \
            >"$build/tests/$name.wine.out" 2>&1 || status=$?
    fi
    local totals
    totals=$(grep -h '^Totals:' "$log" 2>/dev/null || true)
    if [ -z "$totals" ]; then
        echo "$name: no totals (exit $status)"
        failed=$((failed + 1))
        return
    fi
    echo "$name: ${totals#Totals: } (exit $status)"
    passed=$((passed + $(sed 's/.* \([0-9]*\) passed.*/\1/' <<<"$totals")))
    failed=$((failed + $(sed 's/.* \([0-9]*\) failed.*/\1/' <<<"$totals")))
    skipped=$((skipped + $(sed 's/.* \([0-9]*\) skipped.*/\1/' <<<"$totals")))
}

passed=0 failed=0 skipped=0
for name in "${tests[@]}"; do
    run "$name" "$name"
    # The copied picture on a screen of twice the pixels as well.
    if [ "$name" = tst_picture ]; then
        WINEQT_SCALE_FACTOR=2 run tst_picture_ratio2 tst_picture copy
    fi
done
echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
