#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes the story-file readers with libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer, seeded with the sample library's story file,
# then vantrel-make's .story reader, seeded with the sample's sources, and
# then the timing-file readers and the sentence split, seeded with a small
# timing file of each kind.
# Usage: scripts/fuzz.sh [SECONDS]   (default 60, shared by the three)
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
mkdir -p "$out/crashes"
library="$root/src/library"
maker="$root/src/maker"
first=$((seconds / 3))
second=$((seconds / 3))
third=$((seconds - first - second))

# fuzz_target NAME SECONDS SEEDS SOURCES...: builds and runs one fuzzer, with
# its own corpus, which grows from run to run.
fuzz_target() {
    local name=$1 time=$2 seeds=$3
    shift 3
    local binary="$out/$name" log="$out/$name.log"
    echo "== Building $name"
    clang++ -std=c++20 -O1 -g -fno-omit-frame-pointer \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -I"$library" -I"$maker" "$@" -o "$binary"
    mkdir -p "$out/corpus-$name"
    echo "== Fuzzing $name for $time s"
    local status=0
    # -rss_limit_mb guards against a reader that keeps what it should skip;
    # -max_len lets inputs grow past one whole story file.
    "$binary" -max_total_time="$time" -max_len=20000 -rss_limit_mb=1024 -timeout=10 \
        -artifact_prefix="$out/crashes/" -print_final_stats=1 \
        "$out/corpus-$name" "$seeds" >"$log" 2>&1 || status=$?
    echo "runs: $(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)"
    echo "exec/s: $(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n1)"
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$log" >&2
        failed=1
    fi
}

# The story file's seeds: the real one, and the same with each kind of line ending.
seeds="$out/seeds"
mkdir -p "$seeds"
cp "$root/stories/vtl.txt" "$seeds/vtl.txt"
sed 's/\r$//' "$root/stories/vtl.txt" >"$seeds/vtl-lf.txt"
tr -d '\n' <"$root/stories/vtl.txt" >"$seeds/vtl-cr.txt"
# The .story reader's seeds: the sample sources, one with CR LF endings and
# one as Notepad saves "Unicode" (UTF-16 with its byte order mark).
story_seeds="$out/story-seeds"
mkdir -p "$story_seeds"
cp "$root"/stories/src/*.story "$story_seeds/"
sed 's/$/\r/' "$root/stories/src/01-tarnwick-library-opens-again.story" >"$story_seeds/crlf.story"
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$root/stories/src/01-tarnwick-library-opens-again.story"; } \
    >"$story_seeds/utf16.story"
# The timing files' seeds: a WebVTT file with what other tools add, one with
# word times and other tags, and an Audacity label export.
timing_seeds="$out/timing-seeds"
mkdir -p "$timing_seeds"
printf 'WEBVTT - news\n\nNOTE made by hand\n\n1\n00:00.000 --> 00:02.500 align:start\nDr. Lee came at 6 p.m.\non Monday.\n\n00:02.500 --> 01:00:04.000\n\xe2\x80\x9cIs it safe?\xe2\x80\x9d asked J. Smith. It is!\n' \
    >"$timing_seeds/story.vtt"
printf 'WEBVTT\n\n00:00.500 --> 00:02.000\nThe <00:00.800>second <00:00:01.240>sentence <b>here</b> <00:1.2>x\n' \
    >"$timing_seeds/words.vtt"
printf '0.000000\t2.500000\tDr. Lee came.\r\n\\\t100.0\t2000.0\r\n2,5\t4,0\tIt is!\r\n' >"$timing_seeds/labels.txt"

failed=0
fuzz_target fuzz_story_file "$first" "$seeds" \
    "$root/tests/fuzz/fuzz_story_file.cpp" "$library/story_lines.cpp" "$library/story_block.cpp" \
    "$library/cp1252.cpp" "$library/text.cpp"
fuzz_target fuzz_story_source "$second" "$story_seeds" \
    "$root/tests/fuzz/fuzz_story_source.cpp" "$maker/story_source.cpp" "$maker/story_text.cpp" \
    "$maker/plain_spelling.cpp" "$library/cp1252.cpp" "$library/text.cpp"
fuzz_target fuzz_timing_file "$third" "$timing_seeds" \
    "$root/tests/fuzz/fuzz_timing_file.cpp" "$library/timing_file.cpp" "$library/timing_text.cpp" \
    "$library/cue_check.cpp" "$library/sentences.cpp" "$library/text.cpp"

crashes=$(find "$out/crashes" -type f | wc -l)
echo "crashes: $crashes"
if [ "$failed" -ne 0 ] || [ "$crashes" -ne 0 ]; then
    echo "fuzzing found a failure; inputs are in $out/crashes" >&2
    exit 1
fi
