#!/usr/bin/env bash
# Fails when a C++ file of the project is not laid out as .clang-format
# says, naming the files; with --fix it lays them out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
command -v clang-format >/dev/null 2>&1 || "$root/scripts/setup.sh"
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
    clang-format -i "${files[@]}"
    exit 0
fi
if ! out=$(clang-format --dry-run --Werror "${files[@]}" 2>&1); then
    printf '%s\n' "$out" | grep -o '^[^ :]*\.\(cpp\|h\):' | sort -u | sed 's/:$//; s/^/not formatted: /' >&2
    echo "scripts/check-format.sh --fix lays them out." >&2
    exit 1
fi
