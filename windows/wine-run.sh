#!/bin/bash
# Runs a program of a Windows build under Wine as its Linux build would run, so that a check
# written for Linux runs it unchanged:
#   windows/wine-run.sh PROGRAM.exe [ARGUMENT...]
# Wine keeps the variables that start with QT_ from Windows programs: they are handed on as
# WINEQT_…, which Wine gives the program without the WINE. Qt Test's output does not reach a
# redirected standard output under Wine: a test program writes its log to a file, printed here.
# The exit status is the program's. WINEPREFIX and WINEPATH (Qt's DLLs) are the caller's.
set -u
exe=${1:?usage: windows/wine-run.sh PROGRAM.exe [ARGUMENT...]}
shift
while IFS= read -r name; do
    export "WINE$name=${!name}"
done < <(compgen -e | grep '^QT_')
# The offscreen platform reads fonts from one folder on Windows: the Liberation fonts.
export WINEQT_QPA_FONTDIR=${WINEQT_QPA_FONTDIR:-'Z:\usr\share\fonts\truetype\liberation'}
export WINEDEBUG=${WINEDEBUG:--all}

case $(basename "$exe") in
tst_*)
    log=wine-run-$$.txt
    status=0
    wine "$exe" "$@" -o "$log,txt" || status=$?
    cat "$log" 2>/dev/null
    rm -f "$log"
    exit "$status"
    ;;
*)
    exec wine "$exe" "$@"
    ;;
esac
