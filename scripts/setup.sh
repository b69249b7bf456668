#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the simulated
# run need, when any of them is missing. Safe to run again. With
# LIFECYCLE_SANITIZE=1 also clang, its sanitizer and libFuzzer runtimes and
# the symbolizer that names the lines of a sanitizer report.
set -euo pipefail
# The run archive: Qt SQL drivers for SQLite and PostgreSQL, and a PostgreSQL
# server that the archive tests start in a temporary folder. The web view's
# page is tested in headless Chromium.
packages=(cmake g++ make qt6-base-dev qt6-serialport-dev qt6-charts-dev libgl-dev fonts-liberation poppler-utils xvfb xauth
          libqt6sql6-sqlite libqt6sql6-psql postgresql
          chromium clang-format)
if [ "${LIFECYCLE_SANITIZE:-0}" = 1 ]; then
    packages+=(clang libclang-rt-dev llvm)
fi
"$(dirname "$0")/install-packages.sh" "${packages[@]}"
