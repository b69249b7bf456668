#!/usr/bin/env bash
# Cross-builds every target for 64-bit Windows into build-windows/ (or
# $WINDOWS_BUILD_DIR) with the Qt that scripts/windows/build-qt.sh keeps in
# its cache (built first when missing), then packs the program:
#
#   build-windows/lifecycle-<version>-win64.zip        the programs, the Qt
#       DLLs and plugins they load, and the MinGW runtime: unpack and run
#   build-windows/lifecycle-<version>-win64-setup.exe  the same as an NSIS
#       installer: for the current user or for all users, a Start menu
#       entry, an uninstaller in Apps & features
#
# Arguments go to cmake --build (for example --target lifecycle).
# WINDOWS_PACKAGE=0 builds without packing. The tests run under Wine with
# scripts/windows/test.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cache=${LIFECYCLE_CACHE:-$HOME/.cache/lifecycle}
qt=${QT_MINGW_PREFIX:-$cache/qt-6.4.2-mingw64}
build=${WINDOWS_BUILD_DIR:-$root/build-windows}
mingw=x86_64-w64-mingw32

"$root/scripts/install-packages.sh" g++-mingw-w64-x86-64-posix cmake ninja-build nsis zip librsvg2-bin python3 wine64
QT_MINGW_PREFIX=$qt "$root/scripts/windows/build-qt.sh"

# The programs' icon, from the same drawing as the Linux one: an .ico
# holding PNG pictures of the usual sizes.
mkdir -p "$build/icon"
icon=$build/icon/lifecycle.ico
if [ ! -f "$icon" ] || [ "$root/packaging/lifecycle.svg" -nt "$icon" ]; then
    for size in 16 24 32 48 64 256; do
        rsvg-convert -w $size -h $size "$root/packaging/lifecycle.svg" -o "$build/icon/$size.png"
    done
    python3 - "$icon" "$build"/icon/{16,24,32,48,64,256}.png <<'PY'
import struct, sys
out, pngs = sys.argv[1], sys.argv[2:]
images = [open(p, 'rb').read() for p in pngs]
head = struct.pack('<HHH', 0, 1, len(images))
offset = len(head) + 16 * len(images)
entries = b''
for data in images:
    w, h = struct.unpack('>II', data[16:24])
    entries += struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
open(out, 'wb').write(head + entries + b''.join(images))
PY
fi

options=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DLIFECYCLE_WINDOWS_ICON="$icon"
         -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/windows/wine-run.sh")
# As on Linux: CI (CI=true) fails the build on any compiler warning.
if [ "${CI:-}" = true ]; then
    options+=(-DLIFECYCLE_WERROR=ON)
else
    options+=(-DLIFECYCLE_WERROR=OFF)
fi
if command -v ccache >/dev/null 2>&1; then
    options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR=1
fi
"$qt/bin/qt-cmake" -S "$root" -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" --parallel "${JOBS:-$(nproc)}" "$@"
[ "${WINDOWS_PACKAGE:-1}" = 1 ] || exit 0

# --- the zip ---------------------------------------------------------------
version=$(sed -n 's/^project(lifecycle VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=lifecycle-$version-win64
stage=$build/package/$name
rm -rf "$build/package"
mkdir -p "$stage"
# Qt's project setup puts the Windows programs at the top of the build
# folder, next to the DLLs they would need there.
for exe in lifecycle lifecycle-sim; do
    cp "$(ls "$build/$exe.exe" "$build"/*/"$exe.exe" 2>/dev/null | head -1)" "$stage/"
done
# The plugins the program loads: the window system (and the offscreen one
# for pictures without a desktop), the Windows style, SQLite, TLS for the
# webhook. Printing on Windows is inside Qt6PrintSupport.dll in Qt 6.
for plugin in platforms/qwindows platforms/qoffscreen styles/qwindowsvistastyle sqldrivers/qsqlite \
              tls/qschannelbackend tls/qcertonlybackend; do
    mkdir -p "$stage/$(dirname "$plugin")"
    cp "$qt/plugins/$plugin.dll" "$stage/$plugin.dll"
done
# Every DLL the programs and plugins name that is not part of Windows, and
# the DLLs those name in turn.
dll_dirs=("$qt/bin" "/usr/lib/gcc/$mingw/12-posix" "/usr/$mingw/lib" "/usr/$mingw/bin")
declare -A copied=()
queue=("$stage"/*.exe "$stage"/*/*.dll)
while [ ${#queue[@]} -gt 0 ]; do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    for dll in $($mingw-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
        key=${dll,,}
        [ -z "${copied[$key]:-}" ] || continue
        copied[$key]=1
        for dir in "${dll_dirs[@]}"; do
            if [ -f "$dir/$dll" ]; then
                cp "$dir/$dll" "$stage/"
                queue+=("$stage/$dll")
                break
            fi
        done
    done
done
$mingw-strip --strip-unneeded "$stage"/*.exe "$stage"/*.dll "$stage"/*/*.dll
cp "$root/packaging/windows/README.txt" "$stage/README.txt"
rm -f "$build/$name.zip"
(cd "$build/package" && zip -qr9 "$build/$name.zip" "$name")

# --- the installer ---------------------------------------------------------
# NSIS needs the list of files both ways: to install them and to remove
# exactly those again (never the whole folder, which the user may share).
(cd "$stage" && find . -type d | sort | sed 's|^\./\?||' | while read -r dir; do
    [ -n "$dir" ] && echo "CreateDirectory \"\$INSTDIR\\${dir//\//\\}\""
done
find . -type f | sort | sed 's|^\./||' | while read -r f; do
    d=$(dirname "$f"); w=${f//\//\\}
    if [ "$d" = . ]; then echo "SetOutPath \"\$INSTDIR\""; else echo "SetOutPath \"\$INSTDIR\\${d//\//\\}\""; fi
    echo "File \"$stage/$f\""
done) > "$build/package/install-files.nsh"
(cd "$stage" && find . -type f | sort | sed 's|^\./||' | while read -r f; do
    echo "Delete \"\$INSTDIR\\${f//\//\\}\""
done
find . -mindepth 1 -type d | sort -r | sed 's|^\./||' | while read -r d; do
    echo "RMDir \"\$INSTDIR\\${d//\//\\}\""
done) > "$build/package/uninstall-files.nsh"
makensis -V2 -DVERSION="$version" -DICON="$icon" -DOUTFILE="$build/$name-setup.exe" \
    -DINSTALL_FILES="$build/package/install-files.nsh" -DUNINSTALL_FILES="$build/package/uninstall-files.nsh" \
    -DSIZE_KB="$(du -sk "$stage" | cut -f1)" "$root/packaging/windows/lifecycle.nsi"
ls -l "$build/$name.zip" "$build/$name-setup.exe" | awk '{print $5, $9}'
