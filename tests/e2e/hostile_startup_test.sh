#!/usr/bin/env bash
# Starts the real program on story files it must refuse and checks how it
# ends: exit status 1, one diagnostic line naming vtl.txt on the error
# stream, no crash, no hang, no core dump.
#
# Usage: hostile_startup_test.sh VANTREL_BINARY size|unreadable
#   size        files outside 8860 to 8868 bytes; no window, no box, so the
#               offscreen platform is enough.
#   unreadable  no usable vtl.txt at all; the program shows a box first, so
#               this runs under Xvfb and presses Enter with xdotool.
#               Exits 77 (skipped) when Xvfb or xdotool is not installed.
set -uo pipefail
binary=$(realpath "$1")
mode=$2
failures=0
work=$(mktemp -d)
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    chmod -R u+rwx "$work" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# A runtime folder of its own keeps Qt from warning about a missing one, so
# the error stream holds only what the program says.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

fail() {
    echo "FAIL $case_name: $*" >&2
    failures=$((failures + 1))
    case_failed=1
}

# Checks the status and error stream of the run just made against the
# expected diagnostic (an extended regular expression).
check_run() {
    local status=$1 expected=$2
    if [ "$status" -eq 124 ]; then
        fail "did not end within the time limit"
    elif [ "$status" -ge 128 ]; then
        fail "ended by signal $((status - 128))"
    elif [ "$status" -ne 1 ]; then
        fail "exit status $status, expected 1"
    fi
    local lines
    lines=$(wc -l <"$folder/../stderr")
    if [ "$lines" -ne 1 ]; then
        fail "expected one line on the error stream, got $lines:"
        sed 's/^/    /' "$folder/../stderr" >&2
    elif ! grep -Eq "$expected" "$folder/../stderr"; then
        fail "error stream does not match /$expected/: $(cat "$folder/../stderr")"
    fi
    if compgen -G "$folder/core*" >/dev/null; then
        fail "left a core dump"
    fi
    [ "$case_failed" -eq 0 ] && echo "ok   $case_name: $(cat "$folder/../stderr")"
}

# A fresh story folder per case: $work/<case>/folder.
new_case() {
    case_name=$1
    case_failed=0
    folder="$work/$case_name/folder"
    mkdir -p "$folder"
}

run_size_cases() {
    local size
    for size in 0 8859 8869 2147483648 4294976160; do
        new_case "size-$size"
        # Sparse: the 2 GiB and 4 GiB files cost no disk space.
        truncate -s "$size" "$folder/vtl.txt"
        (cd "$folder" && QT_QPA_PLATFORM=offscreen timeout 30 "$binary" >/dev/null 2>../stderr)
        check_run $? "^vantrel: the story file \"vtl\.txt\" is $size bytes long; it must be 8860 to 8868 bytes$"
    done
    new_case "every-byte-value"
    printf "$(printf '\\%03o' $(seq 0 255))" >"$folder/vtl.txt"
    (cd "$folder" && QT_QPA_PLATFORM=offscreen timeout 30 "$binary" >/dev/null 2>../stderr)
    check_run $? "is 256 bytes long; it must be 8860 to 8868 bytes$"
}

start_xvfb() {
    if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
        echo "SKIP: needs Xvfb and xdotool (apt-get install xvfb xdotool)"
        exit 77
    fi
    local fifo="$work/display"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    local number
    read -r -t 20 number <"$fifo" || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
    export DISPLAY=":$number"
}

# Starts the program, waits for its box, presses Enter on it and checks how
# the program ends.
run_with_box() {
    local expected=$1
    (cd "$folder" && exec timeout 30 "$binary" >/dev/null 2>../stderr) &
    local pid=$! window
    window=$(timeout 15 xdotool search --sync --onlyvisible --name '^Vantrel$' | head -n1)
    if [ -z "$window" ]; then
        fail "no box titled Vantrel appeared"
    else
        xdotool windowfocus --sync "$window" 2>/dev/null
        xdotool key --clearmodifiers Return
    fi
    wait "$pid"
    check_run $? "$expected"
}

run_unreadable_cases() {
    start_xvfb
    local reason='^vantrel: cannot read the story file "vtl\.txt" in .*: '
    new_case missing
    run_with_box "${reason}No such file or directory$"

    new_case folder
    mkdir "$folder/vtl.txt"
    run_with_box "${reason}is a folder, not a file$"

    new_case broken-link
    ln -s gone.txt "$folder/vtl.txt"
    run_with_box "${reason}is a link to a missing file$"

    new_case link-to-itself
    ln -s vtl.txt "$folder/vtl.txt"
    run_with_box "${reason}.+$"

    new_case no-read-permission
    if [ "$(id -u)" -eq 0 ]; then
        echo "skip $case_name: runs as root, who reads a file whatever its mode"
    else
        printf '%8864s' '' | tr ' ' x >"$folder/vtl.txt"
        chmod 000 "$folder/vtl.txt"
        # The size can be had, so the start-up box comes first, then the error box.
        (cd "$folder" && exec timeout 30 "$binary" >/dev/null 2>../stderr) &
        local pid=$! window
        for title in '^Vantrel 5\.75$' '^Vantrel$'; do
            window=$(timeout 15 xdotool search --sync --onlyvisible --name "$title" | head -n1)
            [ -n "$window" ] || { fail "no box titled $title"; break; }
            xdotool windowfocus --sync "$window" 2>/dev/null
            xdotool key --clearmodifiers Return
            sleep 0.2
        done
        wait "$pid"
        check_run $? "${reason}Permission denied$"
    fi
}

case $mode in
    size) run_size_cases ;;
    unreadable) run_unreadable_cases ;;
    *) echo "unknown mode $mode" >&2; exit 2 ;;
esac
[ "$failures" -eq 0 ] || { echo "$failures case(s) failed" >&2; exit 1; }
