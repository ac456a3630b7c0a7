#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the sample library in stories/ from its sources in stories/src: the
# recordings are spoken by stories/src/make-recordings.sh, then vantrel-make
# builds vtl.txt, the MP3 files and their timing files (.vtt), which are
# copied into stories/.
# --check builds the same and compares it byte for byte with what stories/
# holds, changing nothing; it prints the time the build took.
#
# Usage: bash tools/make-sample-library.sh [--check] [VANTREL_MAKE]
#        (default VANTREL_MAKE: build-dev/src/maker/vantrel-make)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
check=0
if [ "${1:-}" = --check ]; then
    check=1
    shift
fi
make=${1:-$root/build-dev/src/maker/vantrel-make}
[ -x "$make" ] || { echo "make-sample-library: build vantrel-make first ($make)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

bash "$root/stories/src/make-recordings.sh" >/dev/null
# The sources live inside stories/, which vantrel-make would replace as a
# whole, so the library is made beside and its files copied in.
start=$(date +%s.%N)
"$make" "$root/stories/src" "$work/stories"
end=$(date +%s.%N)
echo "vantrel-make took $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }') s"

if [ "$check" = 1 ]; then
    status=0
    for file in "$work"/stories/*; do
        cmp "$file" "$root/stories/$(basename "$file")" || status=1
    done
    for file in "$root"/stories/*.MP3 "$root"/stories/*.vtt "$root/stories/vtl.txt"; do
        [ -e "$work/stories/$(basename "$file")" ] || { echo "not made: $file"; status=1; }
    done
    [ "$status" = 0 ] && echo "stories/ is reproduced byte for byte"
    exit "$status"
fi
rm -f "$root"/stories/*.MP3 "$root"/stories/*.vtt
cp "$work"/stories/* "$root/stories/"
echo "stories/ rebuilt"
