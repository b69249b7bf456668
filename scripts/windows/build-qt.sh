#!/usr/bin/env bash
# Builds Qt 6.4.2 for 64-bit Windows (x86_64-w64-mingw32, Debian's MinGW-w64
# "posix" compilers) into a cache folder, for scripts/windows/build.sh:
#
#   qtbase       from Debian's own qt6-base source package (apt-get source)
#   SQLite       from Debian's sqlite3 source package: amalgamation, static
#                library, used by Qt's qsqlite driver
#   Serial Port, WebSockets, HTTP Server, Charts
#                from release archives (qtX-everywhere-src-6.4.2.tar.xz) or
#                unpacked source folders in QT_MODULE_SOURCES (default
#                ../shared/third-party/qt-6.4.2 next to the checkout)
#
# The host tools (moc, rcc, uic, ...) come from the installed Linux Qt 6.4.2
# through QT_HOST_PATH. Only what the program needs is built: no examples,
# no tests, no OpenGL, no D-Bus, no ICU, no OpenSSL (Schannel does TLS).
# PostgreSQL's client library is not built: the Windows build has SQLite only.
#
#   LIFECYCLE_CACHE     cache root (default ~/.cache/lifecycle)
#   QT_MINGW_PREFIX     install folder (default $LIFECYCLE_CACHE/qt-6.4.2-mingw64)
#   QT_MODULE_SOURCES   folder with the four module archives or source folders
#   JOBS                parallel compile jobs (default: number of cores)
#
# Each stage leaves a stamp in the install folder; a run that finds the final
# stamp does nothing, one that was interrupted continues with the stage that
# had not finished, one started while another runs waits for it. Runs as
# root (apt-get) or with the packages installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
qt_version=6.4.2
cache=${LIFECYCLE_CACHE:-$HOME/.cache/lifecycle}
prefix=${QT_MINGW_PREFIX:-$cache/qt-$qt_version-mingw64}
modules_src=${QT_MODULE_SOURCES:-$root/../shared/third-party/qt-$qt_version}
jobs=${JOBS:-$(nproc)}
work=$cache/qt-$qt_version-mingw64-build
toolchain=$cache/mingw64-toolchain.cmake
stamp=$prefix/.lifecycle-qt-complete

# One build at a time: a second run waits for the first, then finds its stamp.
mkdir -p "$cache"
exec 9>"$cache/build-qt.lock"
flock 9
if [ -f "$stamp" ]; then
    echo "build-qt: Qt $qt_version for MinGW is ready in $prefix"
    exit 0
fi

log() { echo "build-qt: $(date -u +%H:%M:%S) $*"; }
start=$(date +%s)

# --- packages --------------------------------------------------------------
"$(dirname "$0")/../install-packages.sh" g++-mingw-w64-x86-64-posix cmake ninja-build tcl8.6 dpkg-dev xz-utils \
    qt6-base-dev qt6-base-dev-tools

# --- Debian source packages ------------------------------------------------
# apt-get source needs a deb-src entry for the suite the machine runs.
if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    log "adding a deb-src entry for bookworm"
    cat > /etc/apt/sources.list.d/lifecycle-deb-src.sources <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    apt-get update -qq
fi
mkdir -p "$cache/debian-src" "$work" "$prefix"
cd "$cache/debian-src"
if ! ls qt6-base_*.dsc >/dev/null 2>&1 || ! ls sqlite3_*.dsc >/dev/null 2>&1; then
    log "downloading the qt6-base and sqlite3 source packages"
    apt-get source --download-only qt6-base sqlite3
fi
unpack() { # dsc-glob folder
    local dsc
    dsc=$(ls $1 | sort -V | tail -1)
    [ -d "$2" ] || dpkg-source --no-check -x "$dsc" "$2" >/dev/null
}
unpack 'qt6-base_*.dsc' "$work/qtbase-src"
unpack 'sqlite3_*.dsc' "$work/sqlite3-src"

cat > "$toolchain" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 $prefix)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
TC

# --- SQLite ----------------------------------------------------------------
sqlite=$prefix/sqlite3
if [ ! -f "$prefix/.stamp-sqlite" ]; then
    log "SQLite amalgamation and static library"
    rm -rf "$work/sqlite3-host"; mkdir -p "$work/sqlite3-host" "$sqlite/include" "$sqlite/lib"
    (cd "$work/sqlite3-host" && "$work/sqlite3-src/configure" >/dev/null && make -s sqlite3.c >/dev/null)
    cp "$work/sqlite3-host/sqlite3.h" "$work/sqlite3-host/sqlite3.c" "$sqlite/include/"
    cp "$work/sqlite3-src/src/sqlite3ext.h" "$sqlite/include/" 2>/dev/null || true
    (cd "$work/sqlite3-host" &&
        x86_64-w64-mingw32-gcc-posix -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_COLUMN_METADATA=1 \
            -c sqlite3.c -o sqlite3-mingw.o &&
        x86_64-w64-mingw32-ar rcs "$sqlite/lib/libsqlite3.a" sqlite3-mingw.o)
    rm -f "$sqlite/include/sqlite3.c"
    touch "$prefix/.stamp-sqlite"
fi

# --- qtbase ----------------------------------------------------------------
if [ ! -f "$prefix/.stamp-qtbase" ]; then
    # An interrupted build goes on where it stopped (ninja keeps track).
    if [ ! -f "$work/qtbase-build/build.ninja" ]; then
        log "configuring qtbase"
        rm -rf "$work/qtbase-build"
        cmake -S "$work/qtbase-src" -B "$work/qtbase-build" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_INSTALL_PREFIX="$prefix" \
            -DQT_HOST_PATH=/usr \
            -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
            -DBUILD_SHARED_LIBS=ON \
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
            -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_vulkan=OFF \
            -DFEATURE_tabletevent=OFF -DFEATURE_dbus=OFF -DFEATURE_icu=OFF \
            -DFEATURE_openssl=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
            -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
            -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_png=OFF \
            -DFEATURE_system_doubleconversion=OFF \
            -DFEATURE_sql_sqlite=ON -DFEATURE_system_sqlite=ON \
            -DFEATURE_sql_psql=OFF -DFEATURE_sql_odbc=OFF -DFEATURE_sql_mysql=OFF \
            -DSQLite3_INCLUDE_DIR="$sqlite/include" -DSQLite3_LIBRARY="$sqlite/lib/libsqlite3.a" \
            > "$work/qtbase-configure.log"
    fi
    log "building qtbase (-j$jobs)"
    cmake --build "$work/qtbase-build" --parallel "$jobs"
    cmake --install "$work/qtbase-build" >/dev/null
    touch "$prefix/.stamp-qtbase"
    log "qtbase installed"
fi

# --- the other modules -----------------------------------------------------
module_source() { # name -> prints a source folder
    local name=$1 dir
    for dir in "$modules_src/$name-everywhere-src-$qt_version" "$modules_src/$name"; do
        [ -f "$dir/CMakeLists.txt" ] && { echo "$dir"; return; }
    done
    local archive=$modules_src/$name-everywhere-src-$qt_version.tar.xz
    [ -f "$archive" ] || { echo "build-qt: no $name sources in $modules_src" >&2; return 1; }
    rm -rf "$work/$name-src"; mkdir -p "$work/$name-src"
    tar -xJf "$archive" -C "$work/$name-src" --strip-components=1
    echo "$work/$name-src"
}
for module in qtserialport qtwebsockets qthttpserver qtcharts; do
    [ -f "$prefix/.stamp-$module" ] && continue
    src=$(module_source "$module")
    log "building $module"
    rm -rf "$work/$module-build"
    "$prefix/bin/qt-cmake" -S "$src" -B "$work/$module-build" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
        > "$work/$module-configure.log"
    cmake --build "$work/$module-build" --parallel "$jobs"
    cmake --install "$work/$module-build" >/dev/null
    touch "$prefix/.stamp-$module"
done

echo "Qt $qt_version for x86_64-w64-mingw32, built $(date -u +%FT%TZ) by scripts/windows/build-qt.sh" > "$stamp"
log "done in $(( ($(date +%s) - start) / 60 )) min: $prefix ($(du -sh "$prefix" | cut -f1))"
