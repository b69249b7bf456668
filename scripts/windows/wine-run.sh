#!/usr/bin/env bash
# Runs one Windows program of the cross build under Wine (Debian's wine64),
# in the build's private Wine prefix (created on first use, about a
# minute). CTest runs every test through this (scripts/windows/build.sh
# makes it the build's CMAKE_CROSSCOMPILING_EMULATOR); scripts/windows/test.sh
# runs the packed program through it.
#
# The Qt DLLs and plugins and the MinGW runtime are found where they were
# built, without copying; WINE_RUN_BARE=1 leaves them out, for a program
# folder that has to bring its own (the zip's). Each run starts without the
# program's settings (registry) and data (AppData) unless WINE_RUN_KEEP=1:
# on Linux every test has folders of its own, here they share the prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cache=${LIFECYCLE_CACHE:-$HOME/.cache/lifecycle}
qt=${QT_MINGW_PREFIX:-$cache/qt-6.4.2-mingw64}
build=${WINDOWS_BUILD_DIR:-$root/build-windows}
wine=/usr/lib/wine/wine64
export WINEPREFIX=${LIFECYCLE_WINEPREFIX:-$build/wine}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: nothing here needs .NET or a browser engine, and Wine
# would otherwise offer to download them.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# A program without a console of its own (Wine gives none) sends QtTest's
# report and qDebug() to the debugger; this keeps them on stdout and stderr,
# where CTest and the scripts read them.
export QT_FORCE_STDERR_LOGGING=${QT_FORCE_STDERR_LOGGING:-1}
windows_path() { echo "Z:${1//\//\\}"; }
# Qt's offscreen platform on Windows reads fonts only from one folder (it
# finds none in Qt's own, and draws no text then). Liberation Sans, which
# scripts/setup.sh installs, has the metrics of Windows' Arial; alone in the
# folder, it is every window's font.
if [ -z "${QT_QPA_FONTDIR:-}" ]; then
    fonts=$build/fonts
    if [ ! -d "$fonts" ]; then
        mkdir -p "$fonts"
        ln -sf /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf "$fonts/"
    fi
    export QT_QPA_FONTDIR=$(windows_path "$fonts")
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    DISPLAY= "$wine" wineboot --init >/dev/null 2>&1
    "$(dirname "$wine")/wineserver" -w
fi
if [ "${WINE_RUN_BARE:-0}" != 1 ]; then
    WINEPATH="$(windows_path "$qt/bin");$(windows_path /usr/lib/gcc/x86_64-w64-mingw32/12-posix)"
    WINEPATH+=";$(windows_path /usr/x86_64-w64-mingw32/lib)"
    export WINEPATH
    export QT_PLUGIN_PATH="$(windows_path "$qt/plugins")"
fi
if [ "${WINE_RUN_KEEP:-0}" != 1 ]; then
    user_dir=$WINEPREFIX/drive_c/users/$(id -un)/AppData
    rm -rf "$user_dir/Roaming/RuqLifeCycle" "$user_dir/Local/RuqLifeCycle"
    "$wine" reg delete 'HKCU\Software\RuqLifeCycle' /f >/dev/null 2>&1 || true
fi
# Wine keeps the Linux QT_* variables from Windows programs (they would
# confuse a Windows Qt) and passes WINEQT_* under the QT_* name instead:
# without this the tests would not run offscreen.
for var in $(compgen -e); do
    case $var in QT_*) export "WINE$var=${!var}" ;; esac
done
# Without a display Wine says "no driver could be loaded" for the windows
# it cannot show: harmless with QT_QPA_PLATFORM=offscreen.
exec "$wine" "$@"
