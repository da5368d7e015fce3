#!/usr/bin/env bash
# Builds the Debian package with cpack into a scratch directory and checks its control fields,
# its file list with owners and modes, and lintian's verdict (errors and warnings fail).
#   check_package.sh BUILD_DIR SOURCE_DIR APP_ID VERSION
set -euo pipefail
build=$1 app_id=$3 version=$4

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
command -v dpkg-shlibdeps >/dev/null || { echo "FAIL: dpkg-shlibdeps is not installed (Debian package dpkg-dev)"; exit 1; }

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 \
    || { cat "$out/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$out/recta_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { cat "$out/cpack.log"; echo "FAIL: no $(basename "$deb")"; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = recta ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Section)" = education ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"

# Every library the program links comes from a package it depends on, under the name this
# release gives that package (Debian 13 renamed several for its 64-bit time), and the platform
# plugins besides. Each dependency is a package name at the start of a comma-separated item.
dpkg-deb -x "$deb" "$out/root"
mapfile -t needed < <(objdump -p "$out/root/usr/bin/recta" | awk '$1 == "NEEDED" { print $2 }')
[ ${#needed[@]} -gt 0 ] || fail "objdump found no linked library in /usr/bin/recta"
providers=()
for library in "${needed[@]}"; do
    # The file the loader takes, and the package that holds it under either of the merged
    # /lib and /usr/lib.
    path=$(ldd "$out/root/usr/bin/recta" | awk -v lib="$library" '$1 == lib { print $3 }')
    owner=
    for candidate in "$path" "/usr$path" "${path#/usr}"; do
        [ -n "$owner" ] || owner=$(dpkg -S "$candidate" 2>/dev/null | sed -n '1s/[:,].*//p' || true)
    done
    [ -n "$owner" ] || { fail "no installed package holds $library ($path)"; continue; }
    providers+=("$owner")
done
depends=" $(field Depends),"
for package in "${providers[@]}" qt6-qpa-plugins qt6-translations-l10n; do
    [[ $depends == *" $package "* || $depends == *" $package,"* ]] \
        || fail "Depends lacks $package: $(field Depends)"
done
[[ $depends != *-dev[\ ,]* ]] || fail "Depends names a development package: $(field Depends)"
[[ " $(field Recommends)," == *" fonts-liberation,"* ]] || fail "Recommends is '$(field Recommends)'"
[[ " $(field Recommends)," == *" qt6-wayland,"* ]] || fail "Recommends lacks qt6-wayland: $(field Recommends)"

# The dependencies can be met on this release.
apt-get install --simulate --no-install-recommends "$deb" >"$out/apt.log" 2>&1 \
    || { cat "$out/apt.log"; fail "apt cannot install the package on this system"; }

# Every entry is root's, under /usr, writable by its owner only; the program is executable.
listing=$(dpkg-deb -c "$deb")
while read -r mode owner _ _ _ path; do
    [ "$owner" = root/root ] || fail "$path is owned by $owner"
    [[ $path == ./usr/* ]] || fail "$path lies outside /usr"
    case "$mode" in
        d*) [ "$mode" = drwxr-xr-x ] || fail "directory $path has mode $mode" ;;
        *) [ "$mode" = -rw-r--r-- ] || [ "$path" = ./usr/bin/recta ] || fail "$path has mode $mode" ;;
    esac
done <<<"$listing"
for path in bin/recta share/applications/$app_id.desktop \
    share/icons/hicolor/scalable/apps/$app_id.svg share/metainfo/$app_id.metainfo.xml \
    share/man/man1/recta.1.gz share/doc/recta/copyright share/doc/recta/changelog.gz; do
    grep -q " \./usr/$path\$" <<<"$listing" || fail "the package lacks /usr/$path"
done
grep -q '^-rwxr-xr-x .* \./usr/bin/recta$' <<<"$listing" || fail "/usr/bin/recta is not 0755"

if command -v lintian >/dev/null; then
    # lintian warns when it runs as root, as CI does; that line is noise here.
    status=0
    # Recta has no web site, so AppStream 1.0 fails its metainfo for want of a homepage, and
    # the lintian of its releases reports that failure. check_install.sh validates the metainfo
    # itself and lets that one warning through by name, failing on any other: the tag is left
    # out here, where lintian knows it (an older one refuses an unknown tag to suppress).
    suppress=()
    lintian-explain-tags appstream-metadata-validation-failed >/dev/null 2>&1 \
        && suppress=(--suppress-tags appstream-metadata-validation-failed)
    report=$(lintian --fail-on error,warning "${suppress[@]}" "$deb" 2>&1) || status=$?
    grep -v 'root privileges' <<<"$report" || true
    [ "$status" -eq 0 ] || fail "lintian found errors or warnings"
else
    echo "lintian is not installed (Debian package lintian): the lint is skipped"
fi

[ "$failures" -eq 0 ] && echo "package checks passed"
exit $((failures > 0))
