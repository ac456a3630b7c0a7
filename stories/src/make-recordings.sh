#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Speaks the sample stories: for every *.story file in this folder, reads its
# transcript aloud with espeak-ng into the recording its "audio:" line names
# (a WAV file beside it). vantrel-make then turns the recordings into the
# library's MP3 files; tools/make-sample-library.sh does both.
#
# The same espeak-ng version gives the same bytes: it writes no timestamp.
# Needs espeak-ng (apt-get install espeak-ng).
set -euo pipefail

VOICE=en-us   # espeak-ng voice
SPEED=140     # words per minute, a calm pace for learners

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
command -v espeak-ng >/dev/null || { echo "make-recordings: install espeak-ng first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The transcript is every line after "transcript:" up to the first
# "question:", comments and blank lines left out, joined with single spaces,
# as vantrel-make joins it.
transcript_of() {
    awk '
        /^[ \t]*#/ || /^[ \t]*\r?$/ { next }
        /^question:/ { exit }
        reading { sub(/\r$/, ""); text = text (text == "" ? "" : " ") $0 }
        /^transcript:/ { reading = 1 }
        END { print text }' "$1"
}

for story in "$here"/*.story; do
    audio=$(sed -n 's/^audio: *\(.*[^ \r]\) *\r\?$/\1/p' "$story")
    transcript_of "$story" >"$work/text.txt"
    espeak-ng -v "$VOICE" -s "$SPEED" -f "$work/text.txt" -w "$here/$audio"
    echo "$audio"
done
