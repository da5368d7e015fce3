#!/bin/bash
# Builds the part of Qt that Recta uses (Core, Gui, Widgets, PrintSupport, Test; the windows and
# offscreen platform plugins) for x86-64 Windows, from Debian's source of the host's Qt version,
# with Debian's mingw-w64 compilers. The result is kept under /var/cache/recta, keyed by the Qt
# version, the compiler version and the configure options, and reused when complete.
#
#   windows/build-qt.sh            builds when needed; the last line is the Qt prefix
#   windows/build-qt.sh --prefix   prints the prefix a build would have, and builds nothing
#
# RECTA_CACHE (default /var/cache/recta) is where the cache lives, RECTA_JOBS (default: the
# number of processors) how many compilers run at once. Logs are shown only on failure.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../tools/setup.sh"

cache=${RECTA_CACHE:-/var/cache/recta}
jobs=${RECTA_JOBS:-$(nproc)}
triplet=x86_64-w64-mingw32
host_cmake_dir=/usr/lib/x86_64-linux-gnu/cmake


as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# apt-get source needs a deb-src entry; Debian's images ship only deb ones. The entry added names
# the same archive, suites and components as the binary one, so the source is the host's.
ensure_deb_src() {
    grep -rqsE '^(deb-src[[:space:]]|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/ \
        && return 0
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
            | as_root tee /etc/apt/sources.list.d/recta-deb-src.sources >/dev/null
    else
        grep -E '^deb[[:space:]]' /etc/apt/sources.list | sed 's/^deb[[:space:]]/deb-src /' \
            | as_root tee /etc/apt/sources.list.d/recta-deb-src.list >/dev/null
    fi
    as_root $apt_locked apt-get update
}

packages=(mingw-w64 gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix cmake ninja-build
    dpkg-dev perl python3 qt6-base-dev qt6-base-dev-tools)

configure_options=(
    -G Ninja
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    # moc, rcc and uic are the host's; Debian keeps their CMake files in the multiarch folder.
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=$host_cmake_dir
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_BENCHMARKS=OFF
    -DQT_QPA_DEFAULT_PLATFORM=windows
    -DFEATURE_gui=ON
    -DFEATURE_widgets=ON
    -DFEATURE_printsupport=ON
    -DFEATURE_testlib=ON
    -DFEATURE_network=OFF
    -DFEATURE_sql=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_opengl=OFF
    -DINPUT_opengl=no
    -DFEATURE_vulkan=OFF
    -DFEATURE_icu=OFF
    -DFEATURE_zstd=OFF
    -DFEATURE_jpeg=OFF
    -DFEATURE_gif=OFF
    -DFEATURE_freetype=ON
    -DFEATURE_system_freetype=OFF
    # pkg-config would find the host's Linux libraries.
    -DFEATURE_pkg_config=OFF
    # Debian's source builds it even when cross-compiling; it is of no use here.
    -DFEATURE_androiddeployqt=OFF
    # Debian's +dfsg source lacks 3rdparty/wintab, which tablet events need.
    -DFEATURE_tabletevent=OFF
    # The Direct2D paint engine is not used; patches/6.4/directwrite-without-direct2d.patch
    # lets DirectWrite, which draws the text, be built without it.
    -DFEATURE_direct2d=OFF
    -DFEATURE_directwrite=ON
)

qt_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev 2>/dev/null || true)
# GCC says only "12-posix"; the Debian package's version tells one build of it from another.
compiler_version=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix 2>/dev/null || true)

# Patches are kept a Qt series apart (patches/6.4/...): what mends one release may be fixed, or
# not apply, in the next.
qt_series() {
    local version=${qt_version#*:}
    cut -d. -f1,2 <<<"$version"
}

# The key covers everything that changes the result: the sources, the compiler, the options,
# the toolchain file and the patches.
cache_key() {
    {
        echo "$qt_version"
        echo "$compiler_version"
        printf '%s\n' "${configure_options[@]}"
        cat "$here/mingw-w64-x86_64.cmake"
        cat "$here/patches/$(qt_series)"/*.patch 2>/dev/null || true
    } | sha256sum | cut -c1-12
}

if [ "${1:-}" = --prefix ]; then
    if [ -z "$qt_version" ] || [ -z "$compiler_version" ]; then
        echo "qt6-base-dev or the mingw-w64 compilers are not installed" >&2
        exit 1
    fi
    echo "$cache/qt-${qt_version%%+*}-mingw-gcc${compiler_version%%-*}-$(cache_key)"
    exit 0
fi

step "deb-src entry" ensure_deb_src
step "packages" install_missing "${packages[@]}"
qt_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
compiler_version=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)
key=$(cache_key)
name=qt-${qt_version%%+*}-mingw-gcc${compiler_version%%-*}-$key
prefix=$cache/$name
work=$cache/work/$name
stamp=$prefix/.complete

if [ -f "$stamp" ]; then
    echo "Qt $qt_version for Windows: reused from the cache"
    echo "$prefix"
    exit 0
fi

# An entry without its stamp is what an interrupted or failed build left. A configured build
# folder goes on where it stopped (ninja rebuilds what is out of date); anything less starts
# again.
resume=
if [ -f "$work/build/build.ninja" ] && [ -f "$prefix/mingw-w64-x86_64.cmake" ]; then
    resume=yes
else
    as_root mkdir -p "$cache"
    as_root rm -rf "$prefix" "$work"
    as_root mkdir -p "$prefix" "$work"
    [ "$(id -u)" -eq 0 ] || as_root chown "$(id -u):$(id -g)" "$prefix" "$work"
fi

fetch_source() {
    cd "$work"
    $apt_locked apt-get source --only-source "qt6-base=$qt_version"
    mv "$(find . -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)" src
    local patch
    for patch in "$here/patches/$(qt_series)"/*.patch; do
        [ -e "$patch" ] || continue
        patch -d src -p1 --forward <"$patch"
    done
}

# Qt's installed qt.toolchain.cmake loads the toolchain it was configured with by its path, so
# the cache keeps its own copy rather than point into a checkout.
configure_qt() {
    cp "$here/mingw-w64-x86_64.cmake" "$prefix/mingw-w64-x86_64.cmake"
    cmake -S "$work/src" -B "$work/build" "${configure_options[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64-x86_64.cmake" \
        -DCMAKE_INSTALL_PREFIX="$prefix"
}

build_qt() {
    cmake --build "$work/build" --parallel "$jobs"
}

install_qt() {
    cmake --install "$work/build"
    # The C++ runtime the compiler links against, beside Qt's own DLLs, so that programs built
    # with this Qt find it wherever they run.
    local dll
    for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        cp "$($triplet-g++-posix -print-file-name="$dll")" "$prefix/bin/"
    done
}

if [ -n "$resume" ]; then
    echo "Resuming the build left in $work"
else
    step "source (qt6-base $qt_version)" fetch_source
    step "configure" configure_qt
fi
step "build ($jobs jobs)" build_qt
step "install" install_qt
step "clean up" rm -rf "$work"
date -u +%FT%TZ >"$stamp"
echo "Qt $qt_version for Windows: $(du -sh "$prefix" | cut -f1) in the cache"
echo "$prefix"
