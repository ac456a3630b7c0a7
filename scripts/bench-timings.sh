#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How right vantrel-make's sentence timings (OUTPUT/STORYnn.vtt) are, on the
# twelve sample stories spoken so that the truth is known: every sentence is
# spoken alone, trimmed to its sound and joined with 0.2-0.8 s pauses. One
# library per condition:
#
#   espeak                  espeak-ng en-us at 140 words a minute, as the sample library
#   festival                Festival's cmu_us_slt_arctic_hts voice
#   tempo-0.85              the espeak sentences slowed with sox tempo 0.85
#   tempo-1.15              the espeak sentences sped up with sox tempo 1.15
#   noise                   the espeak recordings with white noise at 20 dB SNR
#   noise-15                the same at 15 dB SNR
#   festival-1.15-noise     Festival at 1.15x, white noise at 20 dB over a faint room tone
#   festival-0.85-noise-15  Festival at 0.85x, white noise at 15 dB over a faint room tone
#
# Per condition: |error| of sentence starts and ends in ms (median / largest),
# the worst story/sentence, the MP3 decoding delay measured here, and the build
# time. Goal: every start within 100 ms, every median within 40 ms. Then the
# time aligning a 60 s story takes, and the time to build the espeak library,
# with and without --no-timings. Then the word times in the cue text
# (<mm:ss.ttt> before a word) against where the voice itself began each word
# (espeak-ng's word events, the first phone of Festival's word), moved with
# its sentence: sentences with word times, words compared, |error| median,
# share within 100 ms, largest, words more than 100 ms late, the worst word,
# and the sentences whose word times were dropped. Goal: median within 40 ms,
# 90 % within 100 ms, no word more than 100 ms late. Both timing goals are
# for espeak, festival, tempo-0.85, tempo-1.15 and noise, the others shown
# beside. Last, the recording heard against its transcript: each sentence of
# each story left out of the transcript in turn (found: named at its place),
# the genuine stories flagged, another story's recording refused, and the
# match of the two. Goal: no genuine story flagged, every left-out sentence of
# 2 s or more found, every other story's recording refused. Exit 0 when all
# three goals hold.
#
# Usage: scripts/bench-timings.sh [--keep DIR] [--only CONDITION] [VANTREL_MAKE]
#   --keep DIR    copy the spoken stories, their truth.json, libraries and logs to DIR
#   --only NAME   just that condition, no speed lines (for tuning)
#   VANTREL_MAKE  default build-dev/src/maker/vantrel-make
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
vantrel_need_packages espeak-ng sox festival festvox-us-slt-hts gstreamer1.0-tools \
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good python3

keep= only= maker=$root/build-dev/src/maker/vantrel-make
while [ $# -gt 0 ]; do
    case $1 in
        --keep) keep=${2:?--keep needs a folder}; shift 2 ;;
        --only) only=${2:?--only needs a condition}; shift 2 ;;
        -*) sed -n '/^# Usage/,/^[^#]/s/^# \?//p' "$0" >&2; exit 2 ;;
        *) maker=$1; shift ;;
    esac
done
case ${only:-espeak} in
    espeak|festival|tempo-0.85|tempo-1.15|noise|noise-15|festival-1.15-noise|festival-0.85-noise-15) ;;
    *) echo "bench-timings: no condition \"$only\"" >&2; exit 2 ;;
esac
[ -x "$maker" ] || { echo "bench-timings: no vantrel-make at $maker" >&2; exit 2; }
maker=$(cd "$(dirname "$maker")" && pwd)/$(basename "$maker")
timings=yes
"$maker" --help 2>/dev/null | grep -q -- --no-timings || timings=

work=$(mktemp -d)
cleanup() {
    if [ -n "$keep" ]; then
        mkdir -p "$keep" && cp -a "$work/." "$keep/" && echo "kept in $keep"
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# build DIR NAME [OPTION]: builds DIR/src into DIR/NAME, its output in
# DIR/NAME.log and its wall-clock seconds in DIR/NAME.seconds. A failed build
# is the report's business, not a reason to stop.
build() {
    local dir=$1 name=$2 start
    shift 2
    start=$EPOCHREALTIME
    "$maker" --force "$@" "$dir/src" "$dir/$name" >"$dir/$name.log" 2>&1 || true
    awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.3f\n", b - a }' >"$dir/$name.seconds"
}

# best DIR NAME [OPTION]: the faster of two builds, as others share the cores.
best() {
    build "$@" && mv "$1/$2.seconds" "$1/$2.first"
    build "$@"
    sort -n "$1/$2.first" "$1/$2.seconds" | head -1 >"$1/$2.best" && mv "$1/$2.best" "$1/$2.seconds"
}

/usr/bin/python3 "$root/bench/bench_timings.py" make "$work" "$root/stories/src" $only
for condition in ${only:-espeak festival tempo-0.85 tempo-1.15 noise noise-15 festival-1.15-noise festival-0.85-noise-15}; do
    echo "building $condition"
    if [ "$condition" = espeak ] && [ -z "$only" ]; then best "$work/espeak" out
    else build "$work/$condition" out; fi
done
if [ -z "$only" ] && [ -n "$timings" ]; then
    echo "building the espeak library with --no-timings, and the 60 s story, twice each way"
    best "$work/espeak" plain --no-timings
    best "$work/long" out
    best "$work/long" plain --no-timings
fi

echo
echo "Sentence timings of $maker"
[ -n "$timings" ] || echo "(this vantrel-make has no --no-timings option: it makes no timings yet)"
echo "errors in ms against the MP3 as played, |cue - (truth + MP3 delay)|; worst start: story/sentence, signed"
status=0
/usr/bin/python3 "$root/bench/bench_timings.py" report "$work" $only || status=$?
echo
/usr/bin/python3 "$root/bench/bench_timings.py" check "$work" "$maker" $only || status=$?
exit $status
