#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program on story files it must refuse: it must end with
# status 1 and one line naming vtl.txt on the error stream, within 30 s, with
# no crash or core dump.
# Usage: hostile_startup_test.sh VANTREL_BINARY size|unreadable
#   size        wrong sizes: no window and no box, so offscreen is enough
#   unreadable  no usable vtl.txt: a box comes first, so this runs under Xvfb
#               and presses Enter with xdotool (exit 77, skipped, without them)
set -uo pipefail
binary=$(realpath "$1")
work=$(mktemp -d)
xvfb_pid=
failures=0
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid"; chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
# A runtime folder of its own keeps Qt quiet, so the error stream holds only
# what the program says.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

new_case() {
    name=$1
    folder="$work/$name/folder"
    mkdir -p "$folder"
}

# Checks how the program ended against the expected diagnostic (an ERE).
check_run() {
    local status=$1 expected=$2 err="$work/$name/stderr" problem=
    if [ "$status" -eq 124 ]; then problem="did not end within the time limit"
    elif [ "$status" -ge 128 ]; then problem="ended by signal $((status - 128))"
    elif [ "$status" -ne 1 ]; then problem="exit status $status, expected 1"
    elif [ "$(wc -l <"$err")" -ne 1 ] || ! grep -Eq "$expected" "$err"; then problem="error stream is not /$expected/"
    elif compgen -G "$folder/core*" >/dev/null; then problem="left a core dump"
    fi
    if [ -n "$problem" ]; then
        echo "FAIL $name: $problem; error stream:" >&2
        sed 's/^/    /' "$err" >&2
        failures=$((failures + 1))
    else
        echo "ok   $name: $(cat "$err")"
    fi
}

run_size_cases() {
    # Sparse; the last one wraps to an accepted size in 32 bits.
    for size in 0 8859 8869 4294976160; do
        new_case "size-$size"
        truncate -s "$size" "$folder/vtl.txt"
        (cd "$folder" && QT_QPA_PLATFORM=offscreen timeout 30 "$binary" >/dev/null 2>../stderr)
        check_run $? "^vantrel: the story file \"vtl\.txt\" is $size bytes long; it must be 8860 to 8868 bytes$"
    done
}

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

# Starts the program, presses Enter on each box titled as given, in turn.
run_with_boxes() {
    local expected=$1 title window; shift
    (cd "$folder" && exec timeout 30 "$binary" >/dev/null 2>../stderr) &
    local pid=$!
    for title in "$@"; do
        window=$(timeout 15 xdotool search --sync --onlyvisible --name "$title" | head -n1)
        [ -n "$window" ] || { echo "no box titled $title" >>"$work/$name/stderr"; break; }
        xdotool windowfocus --sync "$window" 2>/dev/null
        xdotool key --clearmodifiers Return
        sleep 0.2
    done
    wait "$pid"
    check_run $? "$expected"
}

run_unreadable_cases() {
    start_xvfb
    local reason='^vantrel: cannot read the story file "vtl\.txt" in .*: '
    new_case missing
    run_with_boxes "${reason}No such file or directory$" '^Vantrel$'
    new_case folder
    mkdir "$folder/vtl.txt"
    run_with_boxes "${reason}is a folder, not a file$" '^Vantrel$'
    new_case broken-link
    ln -s gone.txt "$folder/vtl.txt"
    run_with_boxes "${reason}is a link to a missing file$" '^Vantrel$'
    if [ "$(id -u)" -ne 0 ]; then  # root reads a file whatever its mode
        new_case no-read-permission
        printf '%8864s' '' >"$folder/vtl.txt"
        chmod 000 "$folder/vtl.txt"
        # The size can be had, so the start-up box comes first.
        run_with_boxes "${reason}Permission denied$" '^Vantrel 5\.75$' '^Vantrel$'
    fi
}

case $2 in
    size) run_size_cases ;;
    unreadable) run_unreadable_cases ;;
    *) echo "unknown mode $2" >&2; exit 2 ;;
esac
[ "$failures" -eq 0 ] || { echo "$failures case(s) failed" >&2; exit 1; }
