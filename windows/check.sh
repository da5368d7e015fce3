#!/bin/bash
# The Windows check, on Debian: Recta for Windows and its installer built as `./dev windows`
# builds them, then, under Wine,
#   - every test program, with the offscreen platform;
#   - with RECTA_WINDOWS_SOUND=1, the plane's sound, played through waveOut into a sound server
#     of its own and recorded;
#   - the real window with the Windows platform plugin on an X display of its own, typed into,
#     its picture compared with the same session's on Debian;
#   - the installer, silently installed, its program started and its picture compared, then
#     silently removed, leaving nothing behind.
#   windows/check.sh      (after ./dev test, whose Release build gives Debian's picture)
# Each step prints one line with its time; what it prints is shown when it fails.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh

build=build/windows
host=build/release

step_prefix="windows: "

./dev windows
install_missing wine wine64 xvfb xauth openbox xdotool x11-utils imagemagick fonts-liberation \
    qt6-translations-l10n locales pulseaudio pulseaudio-utils
ensure_locale ca_ES.UTF-8
qt=$(windows/build-qt.sh --prefix)
step "building the tests" cmake --build "$build"
start=$SECONDS
windows/test-wine.sh "$build"
echo "windows: the tests under Wine: $((SECONDS - start)) s"

# The sessions run in the school's locale, with its decimal comma, on both systems.
export LC_ALL=ca_ES.UTF-8
step "building Debian's recta" cmake --build "$host" --target recta

# Wine in prefixes of the check's own, without its menu builder (which would write the Start
# menu's entries into this machine's desktop) or its offers to download Mono and Gecko; each
# prefix's server is ended on every path.
export WINEDEBUG=-all WINEDLLOVERRIDES='winemenubuilder.exe=d;mscoree=;mshtml='
prefixes=()
end_wine() {
    local prefix
    for prefix in "${prefixes[@]}"; do
        WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    done
}
trap end_wine EXIT
new_prefix() {
    rm -rf "$1"
    prefixes+=("$1")
    WINEPREFIX=$1 wineboot -i
    WINEPREFIX=$1 wineserver -w
}
step "a Wine prefix for the build" new_prefix "$PWD/$build/wine-window"

# The plane's sound through waveOut, heard by a sound server of the check's own: Debian's check,
# run with the Windows programs. Only when asked (RECTA_WINDOWS_SOUND=1): under Wine the recorder,
# started before the player, loses the sweep's start while Wine starts, too often for CI.
if [ -n "${RECTA_WINDOWS_SOUND:-}" ]; then
    for program in tests/recta-playsweep tests/tst_accessibility; do
        printf '#!/bin/sh\nexec "%s" "%s" "$@"\n' "$PWD/windows/wine-run.sh" "$PWD/$build/$program.exe" \
            >"$build/wine-${program#*/}"
        chmod +x "$build/wine-${program#*/}"
    done
    step "the plane's sound through waveOut" env WINEPREFIX="$PWD/$build/wine-window" \
        WINEPATH="$qt/bin" tests/desktop/sound_session.sh "$build/wine-recta-playsweep" \
        "$build/wine-tst_accessibility"
fi

pictures=$build/pictures
mkdir -p "$pictures"
step "Debian's session" windows/window-session.sh "$pictures/debian.png" "$host/app/recta"
step "Windows's session, from the build" env WINEPREFIX="$PWD/$build/wine-window" \
    WINEPATH="$qt/bin" windows/window-session.sh "$pictures/windows.png" wine "$build/app/recta.exe"
windows/compare-planes.py "$pictures/debian.png" "$pictures/windows.png"

# The installer, as Intune or group policy runs it, in a prefix that has seen nothing else.
msi=$(ls "$build"/recta-*-x64.msi)
export WINEPREFIX=$PWD/$build/wine-msi
step "a fresh Wine prefix for the installer" new_prefix "$WINEPREFIX"
drive=$WINEPREFIX/drive_c
# The files, but for Wine's temporary ones.
files() {
    wineserver -w
    find "$drive" -path "$drive/windows/Temp" -prune -o -path "$drive/users/*/Temp" -prune \
        -o -print | sort
}
files >"$pictures/before.txt"
step "silent install (msiexec /i $(basename "$msi") /qn)" wine msiexec /i "$msi" /qn
wineserver -w
installed="$drive/Program Files/Recta"
# The MSI's ALLUSERS is 1, which puts the entry in every user's Start menu on Windows; Wine
# resolves the Start menu's folder to the installing user's all the same.
entry=$(find "$drive/ProgramData/Microsoft/Windows/Start Menu/Programs" \
    "$drive/users"/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs -name Recta.lnk 2>/dev/null \
    | head -n1)
for file in "$installed/recta.exe" "$installed/platforms/qwindows.dll" "${entry:-the Start-menu entry}"; do
    [ -f "$file" ] || { echo "windows: the installer left no ${file#"$drive/"}" >&2; exit 1; }
done
# Add/Remove programs lists the product under its product code.
product=$(grep -B6 '^"DisplayName"="Recta"' "$WINEPREFIX/system.reg" \
    | sed -n 's/^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\{\([0-9A-F-]*\)}\].*/\1/p')
[ -n "$product" ] || { echo "windows: no Recta in Add/Remove programs" >&2; exit 1; }
echo "windows: installed under Program Files\\Recta with its Start-menu entry and its Add/Remove programs entry"
step "the installed program's session" windows/window-session.sh "$pictures/installed.png" \
    wine "$installed/recta.exe"
windows/compare-planes.py "$pictures/debian.png" "$pictures/installed.png"
step "silent removal (msiexec /x $(basename "$msi") /qn)" wine msiexec /x "$msi" /qn
files >"$pictures/after.txt"
# Windows Installer's own folder, made at its first install, stays, as on Windows. In the
# registry nothing may name Recta or its product code, whole or in the Installer's packed form
# (each of its first three parts reversed, then each pair of the rest swapped).
left=$(diff "$pictures/before.txt" "$pictures/after.txt" | grep '^[<>]' | grep -vx "> $drive/windows/Installer" || true)
packed=$(python3 -c 'import sys; p = sys.argv[1].split("-"); r = "".join(p[3:])
print(p[0][::-1] + p[1][::-1] + p[2][::-1] + "".join(r[i + 1] + r[i] for i in range(0, len(r), 2)))' "$product")
left+=$(grep -ihw -e recta -e "$product" -e "$packed" "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" || true)
if [ -n "$left" ]; then
    echo "windows: the removal left something behind:" >&2
    head -n 40 <<<"$left" >&2
    exit 1
fi
echo "windows: removed, and nothing is left behind"
