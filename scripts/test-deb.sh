#!/usr/bin/env bash
# Installs the Debian package that scripts/package-deb.sh made (build/, or
# $BUILD_DIR), tries what it installed from /usr/bin and /usr/share, and
# removes it again, also when a step fails. Needs root (apt-get) and a
# machine where the package is not installed yet.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
deb=$(ls "$build"/lifecycle_*_amd64.deb 2>/dev/null | sort -V | tail -1)
[ -n "$deb" ] || { echo "test-deb: no package in $build (run scripts/package-deb.sh)" >&2; exit 1; }
version=$(dpkg-deb --field "$deb" Version)
if dpkg-query -W -f='${Status}' lifecycle 2>/dev/null | grep -q "install ok installed"; then
    echo "test-deb: lifecycle is installed already; remove it first" >&2
    exit 1
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt_get() { DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=300 "$@"; }

tmp=$(mktemp -d)
cleanup() {
    apt_get purge -y -qq lifecycle >/dev/null 2>&1 || true
    rm -rf "$tmp"
}
trap cleanup EXIT

fail() { echo "test-deb: FAIL: $*" >&2; exit 1; }

apt_get install -y -qq "$deb" > "$tmp/install.log" 2>&1 || { cat "$tmp/install.log"; fail "apt-get install"; }
grep -q "dialout" "$tmp/install.log" || fail "the post-install note about the dialout group"

[ "$(command -v lifecycle)" = /usr/bin/lifecycle ] || fail "lifecycle is not /usr/bin/lifecycle"
[ "$(/usr/bin/lifecycle --version)" = "lifecycle $version" ] || fail "lifecycle --version: $(/usr/bin/lifecycle --version)"
/usr/bin/lifecycle-sim --version >/dev/null || fail "lifecycle-sim --version"
for f in /usr/share/applications/lifecycle.desktop /usr/share/metainfo/lifecycle.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/lifecycle.svg /usr/share/icons/hicolor/48x48/apps/lifecycle.png \
         /usr/share/icons/hicolor/256x256/apps/lifecycle.png \
         /usr/share/man/man1/lifecycle.1.gz /usr/share/man/man1/lifecycle-sim.1.gz; do
    [ -s "$f" ] || fail "$f missing"
done
zcat /usr/share/man/man1/lifecycle.1.gz | grep -q 'fB\\-\\-simulate' || fail "the man page lacks --simulate"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate /usr/share/applications/lifecycle.desktop || fail "desktop entry"
fi

# The installed program against its simulated tester, on a virtual display,
# with its own settings and data folders.
mkdir -p "$tmp/config" "$tmp/data" "$tmp/runtime"
chmod 700 "$tmp/runtime"
XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data XDG_RUNTIME_DIR=$tmp/runtime \
    timeout 120 xvfb-run -a /usr/bin/lifecycle --simulate --screenshot "$tmp/shot.png" > "$tmp/run.log" 2>&1 \
    || { cat "$tmp/run.log"; fail "lifecycle --simulate --screenshot"; }
[ "$(head -c 8 "$tmp/shot.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "the screenshot is no PNG"

apt_get purge -y -qq lifecycle >/dev/null
[ ! -e /usr/bin/lifecycle ] || fail "/usr/bin/lifecycle left after removal"
echo "test-deb: $(basename "$deb") installed, ran and removed"
