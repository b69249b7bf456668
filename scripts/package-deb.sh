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
missing=()
for p in librsvg2-bin help2man dpkg-dev file; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DLIFECYCLE_PACKAGING=ON >/dev/null
BUILD_DIR=$build "$root/scripts/build.sh" --target lifecycle lifecycle-sim lifecycle_desktop_files
rm -f "$build"/lifecycle_*_amd64.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/lifecycle_*_amd64.deb)
echo "$deb"
dpkg-deb --info "$deb" | sed -n 's/^ \(Version\|Depends\|Installed-Size\):/\1:/p'
