#!/usr/bin/env bash
# Makes the Debian package build/lifecycle_<version>_amd64.deb (or in
# $BUILD_DIR) with CPack: lifecycle and lifecycle-sim in /usr/bin, the
# desktop entry, the icon in its sizes, the AppStream metadata and the man
# pages. Installs the Debian packages it needs when they are missing.
# scripts/test-deb.sh installs the package, tries it and removes it again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

# The icon's renderer, the man pages' writer and dpkg-shlibdeps.
"$root/scripts/install-packages.sh" librsvg2-bin help2man dpkg-dev file

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DLIFECYCLE_PACKAGING=ON >/dev/null
BUILD_DIR=$build "$root/scripts/build.sh" --target lifecycle lifecycle-sim lifecycle_desktop_files
rm -f "$build"/lifecycle_*_amd64.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/lifecycle_*_amd64.deb)
echo "$deb"
dpkg-deb --info "$deb" | sed -n 's/^ \(Version\|Depends\|Installed-Size\):/\1:/p'
