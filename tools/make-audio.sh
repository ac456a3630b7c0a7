#!/usr/bin/env bash
# Make the spoken audio of the bundled story library.
#
# For every present story of the story file (a block of 24 lines whose
# line 1, the audio base name, is not empty) this speaks the transcript
# (line 3 of the block) with espeak-ng and encodes it with lame as MPEG
# audio at a constant 32 kbit/s, mono.  The result is written next to the
# story file as <line 1>.MP3.
#
# The program takes the length of one hearing as the file's size in bytes
# divided by 4, in milliseconds, which is the playing time of a 32 kbit/s
# constant-rate stream (4000 bytes a second).  So the files must hold
# audio frames only: no ID3 tag and no Xing/Info frame.  lame writes no
# ID3 tag unless asked to, and "-t" keeps it from writing the Info frame
# (at 32 kbit/s, 22.05 kHz mono the frames are too small to carry one
# anyway, so "-t" does not change the bytes with lame 3.100).
#
# Afterwards every file is decoded again and a table compares size/4 with
# the real duration of the decoded sound.
#
# Same input and same tool versions give the same bytes: neither
# espeak-ng nor lame writes a timestamp.
#
# Usage: bash tools/make-audio.sh [STORY_FILE]   (default: stories/vtl.txt)

set -euo pipefail

VOICE=en-us        # espeak-ng voice
SPEED=140          # words per minute, a calm pace for learners
BITRATE=32         # kbit/s, constant; 32 kbit/s = 4000 bytes a second
SLOTS=12           # story blocks in the file
BLOCK=24           # lines per block
MAX_DELAY=65535    # longest hearing the program's timer can wait, in ms

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
story_file=${1:-"$here/../stories/vtl.txt"}

missing=()
for tool in espeak-ng lame sox soxi awk; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if ((${#missing[@]})); then
    echo "make-audio: missing tool(s): ${missing[*]}" >&2
    echo "Install them (as root, or with sudo) with:" >&2
    echo "apt-get install espeak-ng lame sox" >&2
    exit 1
fi

if [[ ! -f $story_file ]]; then
    echo "make-audio: story file not found: $story_file" >&2
    exit 1
fi
out_dir=$(cd "$(dirname "$story_file")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Split the story file into lines.  A line ends at CR, and an LF right
# after that CR belongs to the same line ending.  NUL separates the lines
# handed to bash.
lines=()
while IFS= read -r -d '' line; do
    lines+=("$line")
done < <(awk 'BEGIN { RS = "\r\n|\r"; ORS = "\0" } { print }' "$story_file")

line_at() {  # line_at N -> text of line N (1-based), empty past the end
    local n=$1
    if ((n <= ${#lines[@]})); then
        printf '%s' "${lines[n - 1]}"
    fi
}

made=()
for ((slot = 1; slot <= SLOTS; slot++)); do
    base=$((BLOCK * (slot - 1)))
    name=$(line_at $((base + 1)))
    [[ -n $name ]] || continue           # absent story
    text=$(line_at $((base + 3)))
    if [[ -z $text ]]; then
        echo "make-audio: story $slot ($name) has no transcript" >&2
        exit 1
    fi
    if [[ $name == */* ]]; then
        echo "make-audio: story $slot: audio name must not hold '/': $name" >&2
        exit 1
    fi

    printf '%s\n' "$text" > "$work/text.txt"
    espeak-ng -v "$VOICE" -s "$SPEED" -f "$work/text.txt" -w "$work/speech.wav"
    lame --silent --cbr -b "$BITRATE" -m m -t --noreplaygain \
        "$work/speech.wav" "$work/audio.mp3"
    mv -f "$work/audio.mp3" "$out_dir/$name.MP3"
    made+=("$name")
done

if ((${#made[@]} == 0)); then
    echo "make-audio: no present story in $story_file" >&2
    exit 1
fi

# Timing table: size/4 against the duration of the decoded sound.
status=0
printf '%-12s %8s %10s %10s %8s\n' name bytes "size/4 ms" "real ms" "diff ms"
for name in "${made[@]}"; do
    file="$out_dir/$name.MP3"
    bytes=$(stat -c %s "$file")
    # Rounded as the program rounds: nearest whole number, halves to even.
    delay=$(awk -v b="$bytes" 'BEGIN {
        q = int(b / 4); r = b % 4
        if (r == 3 || (r == 2 && q % 2 == 1)) q++
        print q }')
    lame --silent --decode "$file" "$work/check.wav"
    real=$(soxi -D "$work/check.wav" | awk '{ printf "%d", $1 * 1000 + 0.5 }')
    diff=$((delay - real))
    printf '%-12s %8d %10d %10d %+8d\n' "$name" "$bytes" "$delay" "$real" "$diff"
    if ((delay > MAX_DELAY)); then
        echo "make-audio: $name is too long: $delay ms > $MAX_DELAY ms" >&2
        status=1
    fi
    if ((diff > 300 || diff < -300)); then
        echo "make-audio: $name: size/4 is off by $diff ms" >&2
        status=1
    fi
done
exit "$status"
