#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints the size of the tests against the size of the program: non-blank
# lines of test code under tests/ (C++, Python, shell: any language; the
# CMake build files, sanitizer suppressions and binary data left out)
# against non-blank lines of C++ under src/ (the .ui form not counted).
# With --folders, also the non-blank lines of each folder under tests/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

nonblank() { grep -Ivh '^[[:space:]]*$' "$@" 2>/dev/null | wc -l; }

build='(^|/)CMakeLists\.txt$|\.supp$'
mapfile -t test_files < <(git ls-files tests | grep -v -E "$build" \
                          | while read -r f; do grep -Iq . "$f" 2>/dev/null && echo "$f"; done)
build_lines=$(nonblank $(git ls-files tests | grep -E "$build"))
mapfile -t src_files < <(git ls-files src | grep -E '\.(cpp|h)$')
tests=$(nonblank "${test_files[@]}")
source=$(nonblank "${src_files[@]}")

if [ "${1:-}" = --folders ]; then
    for dir in $(printf '%s\n' "${test_files[@]}" | awk -F/ 'NF > 2 { print $2 }' | sort -u); do
        printf '  tests/%-10s %5d\n' "$dir" "$(nonblank $(printf '%s\n' "${test_files[@]}" | grep "^tests/$dir/"))"
    done
fi
awk -v t="$tests" -v s="$source" -v b="$build_lines" 'BEGIN { printf "tests: %d non-blank lines; src C++: %d; ratio %.3f (goal: at most 0.5, aim 0.4); build files under tests/: %d more lines\n", t, s, t / s, b }'
