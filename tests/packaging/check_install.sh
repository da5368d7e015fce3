#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR with the prefix /usr and checks that the program,
# its desktop entry, icon, metainfo, manual page and copyright are where the desktop looks for
# them, that they name one another consistently, and that the desktop's validators accept them.
#   check_install.sh BUILD_DIR SOURCE_DIR APP_ID VERSION
set -euo pipefail
build=$1 app_id=$3 version=$4

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is not installed (Debian package $2)"; exit 1; }; }
need desktop-file-validate desktop-file-utils
need appstreamcli appstream
need xmllint libxml2-utils
need identify imagemagick

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
root=$stage/usr

desktop=$root/share/applications/$app_id.desktop
icon=$root/share/icons/hicolor/scalable/apps/$app_id.svg
metainfo=$root/share/metainfo/$app_id.metainfo.xml
for file in "$desktop" "$icon" "$metainfo" "$root/share/man/man1/recta.1.gz" \
    "$root/share/doc/recta/copyright"; do
    [ -f "$file" ] || fail "not installed: ${file#"$stage"}"
done
[ -x "$root/bin/recta" ] || fail "no executable /usr/bin/recta"
[ ! -e "$root/share/doc/recta/changelog.gz" ] || fail "the Debian changelog belongs to the package only"
[ "$failures" -eq 0 ] || exit 1

# The entry must start the installed program and show the installed icon.
key() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(key Exec)" = recta ] || fail "Exec is '$(key Exec)', not recta"
[ "$(key Icon)" = "$app_id" ] || fail "Icon is '$(key Icon)', not $app_id"
[ "$(key Name)" = Recta ] || fail "Name is '$(key Name)'"
# The class Qt gives the window on X11, so that docks tie the window to this entry.
[ "$(key StartupWMClass)" = recta ] || fail "StartupWMClass is '$(key StartupWMClass)', not recta"
case "$(key Categories)" in *Education\;*Math\;*) ;; *) fail "Categories is '$(key Categories)'" ;; esac

# desktop-file-validate exits 0 on warnings; a clean entry prints nothing at all.
if ! report=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$report" ]; then
    fail "desktop-file-validate: $report"
fi

grep -q "<id>$app_id</id>" "$metainfo" || fail "metainfo id is not $app_id"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"
# Recta has no web site, and AppStream 1.0 warns of the missing homepage; that warning alone is
# let through, by name, rather than an address made up for it. Any other warning or error fails.
validate() {
    local report
    report=$(appstreamcli "$@" --no-net --explain 2>&1) || true
    local serious
    serious=$(grep -E '^[EW]: ' <<<"$report" | grep -v '^W: [^ ]* url-homepage-missing$' || true)
    [ -z "$serious" ] || { echo "$report"; fail "appstreamcli $1: $serious"; }
    grep -q '^W: .* url-homepage-missing$' <<<"$report" \
        && echo "appstreamcli $1: no homepage (the one warning let through)"
    return 0
}
validate validate "$metainfo"
# validate-tree also checks that the launchable's desktop entry is installed beside it.
validate validate-tree "$root"

xmllint --noout "$icon" || fail "the icon is not well-formed XML"
for size in 16 24 32 48 64 128 256; do
    png=$root/share/icons/hicolor/${size}x$size/apps/$app_id.png
    [ "$(identify -format %wx%h "$png" 2>/dev/null)" = "${size}x$size" ] \
        || fail "no ${size}×$size PNG icon"
done
grep -q 'viewBox="0 0 128 128"' "$icon" || fail "the icon has no 128×128 viewBox"

zcat "$root/share/man/man1/recta.1.gz" | grep -q '^\.TH RECTA 1' || fail "the manual page has no title"

[ "$failures" -eq 0 ] && echo "install checks passed"
exit $((failures > 0))
