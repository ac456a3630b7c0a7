#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures what the test suite catches: applies one small slip at a time to
# the program's sources (scripts/mutations.txt), rebuilds incrementally, runs
# the tests that could see it, restores the file, and prints a score.
#
# Usage: scripts/mutate.sh [NAME_PATTERN...]
#   NAME_PATTERN  extended regular expressions; only patches whose name
#                 matches one of them run (all patches when none is given)
# Environment: VANTREL_MUTATE_DIR build folder (default build-mutate, Debug,
#              no sanitizer); VANTREL_MUTATE_JOBS (default 2);
#              VANTREL_MUTATE_ALL=1 runs every test in scope for each patch
#              and names every test that catches it, and for Qt Test
#              programs every failing function (slower; shows which tests
#              are the only ones to catch a slip).
# Exit status: 0 when every patch applied; 1 when a patch is stale (its text
# is not found exactly once) or the clean tree does not build.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
table="$root/scripts/mutations.txt"
build=${VANTREL_MUTATE_DIR:-$root/build-mutate}
jobs=${VANTREL_MUTATE_JOBS:-2}
work=$(mktemp -d)
started=$SECONDS
patched=""   # the source file currently holding a patch

restore() {
    [ -n "$patched" ] || return 0
    # The content exactly as it was; a fresh time stamp, so the next build
    # compiles the file again.
    cat "$work/original" >"$root/$patched"
    touch "$root/$patched"
    patched=""
}
trap 'restore; rm -rf "$work"' EXIT
trap 'echo; echo "interrupted: $patched restored" >&2; exit 130' INT TERM

# Splits the table into one folder per patch: name, file, find, replace.
python3 - "$table" "$work/patches" <<'PY' || exit 1
import os, sys
table, out = sys.argv[1], sys.argv[2]
patches, current, part = [], None, None
for raw in open(table, encoding="utf-8").read().split("\n"):
    if raw.startswith("== "):
        current = {"name": raw[3:].strip(), "file": "", "find": [], "replace": []}
        patches.append(current)
        part = None
    elif raw.startswith("# "):
        part = None  # a comment of the table ends a block; C++ has no "# "
    elif current is None or (part is None and not raw.strip()):
        continue
    elif part is None and raw.startswith("file: "):
        current["file"] = raw[6:].strip()
    elif raw in ("find:", "replace:"):
        part = raw[:-1]
    elif part:
        current[part].append(raw)
for i, p in enumerate(patches):
    d = os.path.join(out, "%03d" % i)
    os.makedirs(d)
    while p["replace"] and not p["replace"][-1].strip():
        p["replace"].pop()
    while p["find"] and not p["find"][-1].strip():
        p["find"].pop()
    for key in ("name", "file"):
        open(os.path.join(d, key), "w").write(p[key])
    for key in ("find", "replace"):
        open(os.path.join(d, key), "w").write("\n".join(p[key]))
PY

# Replaces the patch's text, which must occur exactly once.
apply_patch() {
    python3 - "$root/$1" "$2/find" "$2/replace" <<'PY'
import sys
path, find, replace = sys.argv[1], open(sys.argv[2]).read(), open(sys.argv[3]).read()
text = open(path, encoding="utf-8").read()
if not find or text.count(find) != 1:
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(find, replace))
PY
}

# Tests that could see a change in the file: only those linking its code.
scope_of() {
    case $1 in
        src/checker/*) echo '^checker\.' ;;
        src/maker/*) echo '^maker\.' ;;
        src/lesson/*) echo '^(lesson|e2e)\.' ;;
        src/audio/*) echo '^(audio|lesson|e2e)\.' ;;
        *) echo '.' ;;
    esac
}
# Slow tests run after the quick ones have passed.
slow='^(e2e\.|lesson\.tst_hostile_audio)'

# The names ctest lists under "The following tests FAILED".
failed_tests() {
    sed -n '/tests FAILED:/,$ s/^[[:space:]]*[0-9][0-9]* - \([^ ]*\) .*/\1/p' "$1"
}

# The Qt Test functions (Class::function) that failed, on one line.
failed_functions() {
    sed -n 's/^FAIL! *: *\([A-Za-z_]*::[A-Za-z_]*\).*/\1/p' "$1" | sort -u | paste -sd' '
}

# Without its record of past run times ctest starts the tests in the order
# they are defined: the quick unit tests first, so a failure ends the run soon.
run_ctest() {
    rm -f "$build/Testing/Temporary/CTestCostData.txt"
    ctest --test-dir "$build" "$@"
}

# True when no test in scope fails; quick tests first, stopping at a failure.
suite_passes() {
    local scope=$1 exclude=$2 slow_scope
    if [ "${VANTREL_MUTATE_ALL:-0}" = 1 ]; then
        run_ctest -j"$jobs" --timeout 120 --output-on-failure -R "$scope" -E "$exclude" >"$work/ctest.log" 2>&1
        return
    fi
    run_ctest -j"$jobs" --stop-on-failure --timeout 120 -R "$scope" -E "$slow|$exclude" \
        >"$work/ctest.log" 2>&1 || return 1
    # The slow ones that are in scope, by name.
    slow_scope=$(ctest --test-dir "$build" -N -R "$slow" -E "$exclude" | sed -n 's/^ *Test *#[0-9]*: //p' \
                 | grep -E "$scope" | paste -sd'|')
    [ -z "$slow_scope" ] && return 0
    run_ctest -j"$jobs" --stop-on-failure -R "^($slow_scope)\$" >>"$work/ctest.log" 2>&1
}

echo "== Building the clean tree in $build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=OFF -DVANTREL_WERROR=OFF >/dev/null \
    || exit 1
cmake --build "$build" -j"$jobs" >"$work/build.log" 2>&1 || { cat "$work/build.log"; exit 1; }

# A test that fails on the clean tree would "catch" every patch; leave it out.
echo "== Running the suite on the clean tree"
run_ctest -j"$jobs" --timeout 120 >"$work/clean.log" 2>&1
failing=$(failed_tests "$work/clean.log" \
          | sed 's/[.[\]*+?(){}|^$]/\\&/g; s/.*/^&$/' | paste -sd'|')
exclude=${failing:-^\$none\$}
[ -n "$failing" ] && echo "left out, failing on the clean tree: ${failing//\\/}"

caught=0 missed=0 invalid=0 stale=0
missed_names=() invalid_names=() stale_names=()
for dir in "$work"/patches/*; do
    name=$(cat "$dir/name")
    file=$(cat "$dir/file")
    if [ $# -gt 0 ]; then
        wanted=0
        for pattern in "$@"; do [[ $name =~ $pattern ]] && wanted=1; done
        [ $wanted = 1 ] || continue
    fi
    t0=$SECONDS
    cp "$root/$file" "$work/original"
    patched=$file
    if ! apply_patch "$file" "$dir"; then
        patched=""
        stale=$((stale + 1)); stale_names+=("$name")
        printf '%-44s STALE (text not found exactly once in %s)\n' "$name" "$file"
        continue
    fi
    # A second try, so that a build that failed for reasons of its own (a
    # busy machine) does not pass for an invalid patch.
    if ! cmake --build "$build" -j"$jobs" >"$work/build.log" 2>&1 \
        && ! { sleep 2; cmake --build "$build" -j"$jobs" >"$work/build.log" 2>&1; }; then
        verdict="invalid (does not build: $(grep -m1 -E 'error|Error' "$work/build.log"))"
        invalid=$((invalid + 1)); invalid_names+=("$name")
    elif suite_passes "$(scope_of "$file")" "$exclude"; then
        verdict="MISSED"; missed=$((missed + 1)); missed_names+=("$name")
    else
        if [ "${VANTREL_MUTATE_ALL:-0}" = 1 ]; then
            verdict="caught by $(failed_tests "$work/ctest.log" | paste -sd' ')"
            functions=$(failed_functions "$work/ctest.log")
            [ -n "$functions" ] && verdict+=" [$functions]"
        else
            verdict="caught by $(failed_tests "$work/ctest.log" | head -n1)"
        fi
        caught=$((caught + 1))
    fi
    restore
    printf '%-44s %s (%ds)\n' "$name" "$verdict" $((SECONDS - t0))
done

# Leave the build as the clean tree builds it.
cmake --build "$build" -j"$jobs" >/dev/null 2>&1
echo
[ ${#missed_names[@]} -gt 0 ] && echo "missed: ${missed_names[*]}"
[ ${#invalid_names[@]} -gt 0 ] && echo "not valid mutants: ${invalid_names[*]}"
[ ${#stale_names[@]} -gt 0 ] && echo "stale: ${stale_names[*]}"
echo "mutations: $caught caught, $missed missed, $invalid invalid$([ $stale -gt 0 ] && echo ", $stale stale")"
echo "elapsed: $((SECONDS - started)) s"
[ $stale -eq 0 ]
