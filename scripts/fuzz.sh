#!/usr/bin/env bash
# Fuzzes the story-file readers with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer, seeded with the sample library's story file.
# Usage: scripts/fuzz.sh [SECONDS]   (default 60)
# Builds with clang++ directly, apart from the CMake build, which uses g++.
# VANTREL_FUZZ_DIR chooses the work folder (default build-fuzz).
# Exit status: 0 with no crash, 1 when the fuzzer found one (the input is
# kept under build-fuzz/crashes/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
source "$root/scripts/packages.sh"
vantrel_need_packages clang libclang-rt-14-dev

out=${VANTREL_FUZZ_DIR:-$root/build-fuzz}
# The corpus grows from run to run; crashes are counted for this run only.
rm -rf "$out/crashes"
mkdir -p "$out/corpus" "$out/crashes"
binary="$out/fuzz_story_file"
library="$root/src/library"

echo "== Building the story-file fuzzer"
clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$library" \
    "$root/tests/fuzz/fuzz_story_file.cpp" "$library/story_lines.cpp" "$library/text.cpp" \
    -o "$binary"

# The seeds: the real story file, and the same file with each kind of line ending.
seeds="$out/seeds"
mkdir -p "$seeds"
cp "$root/stories/vtl.txt" "$seeds/vtl.txt"
sed 's/\r$//' "$root/stories/vtl.txt" >"$seeds/vtl-lf.txt"
tr -d '\n' <"$root/stories/vtl.txt" >"$seeds/vtl-cr.txt"

echo "== Fuzzing for $seconds s"
log="$out/fuzz.log"
status=0
# -rss_limit_mb guards against a reader that keeps what it should skip;
# -max_len lets inputs grow past one whole story file.
"$binary" -max_total_time="$seconds" -max_len=20000 -rss_limit_mb=1024 -timeout=10 \
    -artifact_prefix="$out/crashes/" -print_final_stats=1 \
    "$out/corpus" "$seeds" >"$log" 2>&1 || status=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n1)
crashes=$(find "$out/crashes" -type f | wc -l)
echo "runs: ${runs:-0}"
echo "exec/s: ${speed:-0}"
echo "crashes: $crashes"
if [ "$status" -ne 0 ] || [ "$crashes" -ne 0 ]; then
    tail -n 40 "$log" >&2
    echo "fuzzing found a failure; inputs are in $out/crashes" >&2
    exit 1
fi
