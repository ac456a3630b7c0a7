#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints the size of the tests against the size of the program: non-blank
# lines of every text file under tests/ (any language, binary data left out)
# against non-blank lines of C++ under src/ (the .ui form not counted).
# With --folders, also the non-blank lines of each folder under tests/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

nonblank() { grep -Ivh '^[[:space:]]*$' "$@" 2>/dev/null | wc -l; }

mapfile -t test_files < <(git ls-files tests | while read -r f; do grep -Iq . "$f" 2>/dev/null && echo "$f"; done)
mapfile -t src_files < <(git ls-files src | grep -E '\.(cpp|h)$')
tests=$(nonblank "${test_files[@]}")
source=$(nonblank "${src_files[@]}")

if [ "${1:-}" = --folders ]; then
    for dir in $(printf '%s\n' "${test_files[@]}" | awk -F/ 'NF > 2 { print $2 }' | sort -u); do
        printf '  tests/%-10s %5d\n' "$dir" "$(nonblank $(printf '%s\n' "${test_files[@]}" | grep "^tests/$dir/"))"
    done
fi
awk -v t="$tests" -v s="$source" 'BEGIN { printf "tests: %d non-blank lines; src C++: %d; ratio %.2f (goal: at most 0.5, aim 0.4)\n", t, s, t / s }'
