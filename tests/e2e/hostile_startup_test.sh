#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program on story files it must refuse: it must end with
# status 1 and one line naming vtl.txt on the error stream, within 30 s, with
# no crash or core dump.
# Usage: hostile_startup_test.sh VANTREL_BINARY size|unreadable
#   size        wrong sizes: no window and no box, so offscreen is enough
#   unreadable  no usable vtl.txt: boxes come first, so this runs under Xvfb
#               and presses Enter with xdotool (exit 77, skipped, without them)
set -uo pipefail
binary=$(realpath "$1")
work=$(mktemp -d)
xvfb_pid=
failures=0
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid"; chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
# A runtime folder of its own keeps Qt quiet, so the error stream holds only what the program says.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
reason='^vantrel: cannot read the story file "vtl\.txt" in .*: '

# name | how vtl.txt is made (in the case's folder) | boxes Enter closes, in turn | diagnostic (an ERE)
# Sizes are sparse; the last wraps to an accepted size in 32 bits.
size_cases=()
for size in 0 8859 8869 4294976160; do
    size_cases+=("size-$size|truncate -s $size vtl.txt||^vantrel: the story file \"vtl\.txt\" is $size bytes long; it must be 8860 to 8868 bytes$")
done
unreadable_cases=(
    "missing|true|^Vantrel$|${reason}No such file or directory$"
    "folder|mkdir vtl.txt|^Vantrel$|${reason}is a folder, not a file$"
    "broken-link|ln -s gone.txt vtl.txt|^Vantrel$|${reason}is a link to a missing file$"
)
# Root reads a file whatever its mode. The size can be had, so the start-up box comes first.
[ "$(id -u)" -ne 0 ] && unreadable_cases+=(
    "no-read-permission|printf '%8864s' '' >vtl.txt && chmod 000 vtl.txt|^Vantrel 5\.75$ ^Vantrel$|${reason}Permission denied$")

start_xvfb() {
    if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
        echo "SKIP: needs Xvfb and xdotool (apt-get install xvfb xdotool)"
        exit 77
    fi
    mkfifo "$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    local number
    read -r -t 20 number <"$work/display" || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
    export DISPLAY=":$number"
}

# Runs one row: makes vtl.txt, starts the program, presses Enter on each box in
# turn, and checks how the program ended against the expected diagnostic.
run_case() {
    local setup boxes expected title window pid
    IFS='|' read -r name setup boxes expected <<<"$1"
    mkdir -p "$work/$name/folder"
    (cd "$work/$name/folder" && eval "$setup")
    (cd "$work/$name/folder" && exec timeout 30 "$binary" >/dev/null 2>../stderr) &
    pid=$!
    for title in $boxes; do
        window=$(timeout 15 xdotool search --sync --onlyvisible --name "$title" | head -n1)
        [ -n "$window" ] || { echo "no box titled $title" >>"$work/$name/stderr"; break; }
        xdotool windowfocus --sync "$window" 2>/dev/null
        xdotool key --clearmodifiers Return
        sleep 0.2
    done
    wait "$pid"
    local status=$? err="$work/$name/stderr" problem=
    if [ "$status" -eq 124 ]; then problem="did not end within the time limit"
    elif [ "$status" -ge 128 ]; then problem="ended by signal $((status - 128))"
    elif [ "$status" -ne 1 ]; then problem="exit status $status, expected 1"
    elif [ "$(wc -l <"$err")" -ne 1 ] || ! grep -Eq "$expected" "$err"; then problem="error stream is not /$expected/"
    elif compgen -G "$work/$name/folder/core*" >/dev/null; then problem="left a core dump"
    fi
    [ -z "$problem" ] && { echo "ok   $name: $(cat "$err")"; return; }
    echo "FAIL $name: $problem; error stream:" >&2
    sed 's/^/    /' "$err" >&2
    failures=$((failures + 1))
}

case $2 in
    size) export QT_QPA_PLATFORM=offscreen; for row in "${size_cases[@]}"; do run_case "$row"; done ;;
    unreadable) start_xvfb; for row in "${unreadable_cases[@]}"; do run_case "$row"; done ;;
    *) echo "unknown mode $2" >&2; exit 2 ;;
esac
[ "$failures" -eq 0 ] || { echo "$failures case(s) failed" >&2; exit 1; }
