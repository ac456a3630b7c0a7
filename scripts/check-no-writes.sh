#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Shows that Vantrel writes nothing: runs one whole lesson of the real
# program under strace, on a real X server (Xvfb) driven by xdotool, and
# lists every file the program opened for writing, created, renamed, removed
# or made a folder of. Only the toolkit's own places are allowed: the XDG
# cache folder, the XDG runtime folder, /tmp, /dev and /proc. The story
# folder must see no write at all.
#
# Usage: scripts/check-no-writes.sh [VANTREL_BINARY]
#   Without a binary it builds one in build-nowrites.
# Exit status 0 when nothing was written outside the allowed places.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
vantrel_need_packages strace xvfb xdotool

binary=${1:-}
if [ -z "$binary" ]; then
    vantrel_need_packages "${vantrel_build_packages[@]}" libgtest-dev
    cmake -S "$root" -B "$root/build-nowrites" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$root/build-nowrites" --target vantrel -j"$(nproc)" >/dev/null
    binary="$root/build-nowrites/src/vantrel"
fi
binary=$(realpath "$binary")

work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# --- A story folder of twelve stories and tiny, silent sound files ---------
stories="$work/stories"
mkdir "$stories"
make_story_file() {
    local slot q letter
    for slot in $(seq 1 12); do
        printf 'S%d\r\nStory %d\r\nTranscript of story %d.\r\n' "$slot" "$slot" "$slot"
        for q in 1 2 3; do
            printf 'Question %d\r\n' "$q"
            for letter in A B C; do
                printf 'Answer %s\r\n' "$letter"
                # Question 1 is answered by A, 2 by B, 3 by C.
                if [ "$letter" = "$(echo ABC | cut -c"$q")" ]; then printf '*\r\n'; else printf '\r\n'; fi
            done
        done
    done
}
make_story_file >"$stories/vtl.txt"
pad=$((8864 - $(stat -c %s "$stories/vtl.txt")))
printf '%*s' "$pad" '' | tr ' ' '=' >>"$stories/vtl.txt"
# Three silent MPEG-1 Layer III frames, 32 kbit/s mono: 312 bytes, 78 ms.
for slot in $(seq 1 12); do
    for frame in 1 2 3; do
        printf '\xff\xfb\x10\xc0'
        printf '%100s' '' | tr ' ' '\0'
    done >"$stories/S$slot.MP3"
done
before=$(cd "$stories" && find . -printf '%p %s %T@\n' | sort)

# A desktop login session always has a runtime folder. Without one (a bare
# root shell, CI) the PulseAudio client library that the media toolkit loads
# falls back to making ~/.config/pulse/<machine-id>-runtime, which would show
# up below as the toolkit's write, not the program's.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    echo "XDG_RUNTIME_DIR was not set; using $XDG_RUNTIME_DIR, as a login session would provide"
fi

# --- A real X server -------------------------------------------------------
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
read -r -t 20 number <"$work/display" || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"

# --- The lesson ------------------------------------------------------------
trace="$work/strace.log"
(cd "$stories" && exec strace -f -y -qq -o "$trace" \
    -e trace=open,openat,creat,truncate,rename,renameat,renameat2,unlink,unlinkat,mkdir,mkdirat,rmdir,link,linkat,symlink,symlinkat \
    "$binary" >"$work/stdout" 2>"$work/stderr") &
program_pid=$!

step() { echo "-- $*"; }
# Waits for a window whose title matches, gives it the keyboard, and prints its id.
window() {
    local id
    id=$(timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -n1) || true
    [ -n "$id" ] || { echo "no window titled /$1/ appeared" >&2; exit 1; }
    xdotool windowfocus --sync "$id" 2>/dev/null || true
    echo "$id"
}
key() { xdotool key --clearmodifiers "$@"; sleep 0.3; }
click() { xdotool mousemove --sync --window "$main" "$1" "$2" click 1; sleep 0.3; }

step "start-up box: Enter"
window '^Vantrel 5\.75$' >/dev/null
key Return
main=$(window '^Vantrel: Choose a Story$')
step "story 1 chosen with the mouse, opened with Enter"
click 52 116
key Return
# The first hearing makes the media library start, which may take seconds
# on a fresh machine. Help opens only once a hearing has ended (the button is
# disabled meanwhile), so its box shows when the next step may go on.
help_box() {
    local tries id
    for tries in $(seq 1 40); do
        xdotool windowfocus --sync "$main" 2>/dev/null || true
        xdotool key --clearmodifiers alt+h
        id=$(timeout 1 xdotool search --sync --onlyvisible --name '^Help$' 2>/dev/null | head -n1) || true
        if [ -n "$id" ]; then
            xdotool windowfocus --sync "$id" 2>/dev/null || true
            key Return
            return 0
        fi
    done
    echo "the Help box never appeared: a hearing did not end" >&2
    exit 1
}
for hearing in 1 2 3; do
    step "hearing $hearing: Alt+C, then Alt+H and Enter once it has ended"
    xdotool windowfocus --sync "$main" 2>/dev/null || true
    key alt+c
    help_box
done
step "answers A, B, C with the mouse; check: Alt+A, Enter"
xdotool windowfocus --sync "$main" 2>/dev/null || true
click 196 130
click 196 274
click 196 418
key alt+a
window '^Checking Work$' >/dev/null
key Return
step "back to the menu: Esc"
xdotool windowfocus --sync "$main" 2>/dev/null || true
key Escape
step "closing box: Esc, Enter"
key Escape
window '^Vantrel$' >/dev/null
key Return
status=0
wait "$program_pid" || status=$?
program_pid=
step "program ended with status $status"
[ "$status" -eq 0 ] || { cat "$work/stderr" >&2; echo "the program did not end normally" >&2; exit 1; }

# --- What was written --------------------------------------------------------
cache=${XDG_CACHE_HOME:-$HOME/.cache}
runtime=$XDG_RUNTIME_DIR
perl -e '
    my ($folder) = @ARGV;
    while (<STDIN>) {
        next unless /^\d+\s+(\w+)\((.*)$/;
        my ($call, $args) = ($1, $2);
        my @paths;
        my $dir = $folder;
        $dir = $1 if $args =~ /^(?:AT_FDCWD|\d+)<([^>]*)>/;
        if ($call =~ /^open(at)?$/) {
            my ($path, $flags) = $args =~ /"((?:[^"\\]|\\.)*)",\s*([A-Z_|]+)/ or next;
            next unless $flags =~ /O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|O_APPEND/;
            @paths = ($path);
        } elsif ($call =~ /^symlink/) {
            # Only where the link is made; what it points to is not touched.
            @paths = ($args =~ /"((?:[^"\\]|\\.)*)"/g)[1];
        } elsif ($call =~ /^(creat|truncate|unlink|mkdir|rmdir|rename|link)/) {
            @paths = $args =~ /"((?:[^"\\]|\\.)*)"/g;
        } else {
            next;
        }
        my ($error) = /\)\s+=\s+-1\s+(E[A-Z]+)/;
        for my $path (@paths) {
            $path = "$dir/$path" unless $path =~ m{^/};
            1 while $path =~ s{/\./}{/} || $path =~ s{/[^/]+/\.\./}{/};
            printf "%s %s%s\n", $call, $path, (defined $error ? " (refused: $error)" : "");
        }
    }' "$stories" <"$trace" | sort -u >"$work/writes"

inside() { case $2 in "$1" | "$1"/*) return 0 ;; *) return 1 ;; esac; }
allowed=()
refused=()
forbidden=()
in_story_folder=()
while read -r call path; do
    file=${path% (refused: *)}
    if inside "$stories" "$file"; then
        # Even a refused attempt here counts: the program must not try.
        in_story_folder+=("$call $path")
    elif [ "$file" != "$path" ]; then
        # The system refused it (the folder already existed, the device is
        # absent): nothing was written.
        refused+=("$call $path")
    elif inside "$cache" "$file" || inside "$runtime" "$file" || inside /tmp "$file" \
        || inside /dev "$file" || inside /proc "$file"; then
        allowed+=("$call $path")
    else
        forbidden+=("$call $path")
    fi
done <"$work/writes"
after=$(cd "$stories" && find . -printf '%p %s %T@\n' | sort)

echo
echo "Writes in the allowed places (XDG cache $cache, XDG runtime $runtime, /tmp, /dev, /proc): ${#allowed[@]}"
printf '  %s\n' "${allowed[@]}"
echo "Attempts elsewhere that the system refused, so nothing was written: ${#refused[@]}"
[ ${#refused[@]} -eq 0 ] || printf '  %s\n' "${refused[@]}"
echo "Writes in the story folder: ${#in_story_folder[@]}"
[ ${#in_story_folder[@]} -eq 0 ] || printf '  %s\n' "${in_story_folder[@]}"
echo "Writes anywhere else: ${#forbidden[@]}"
[ ${#forbidden[@]} -eq 0 ] || printf '  %s\n' "${forbidden[@]}"
if [ "$before" != "$after" ]; then
    echo "The story folder changed:"
    diff <(echo "$before") <(echo "$after") || true
fi
if [ ${#in_story_folder[@]} -eq 0 ] && [ ${#forbidden[@]} -eq 0 ] && [ "$before" = "$after" ]; then
    echo "VERDICT: PASS - Vantrel wrote nothing outside the toolkit's own places, and nothing in the story folder."
else
    echo "VERDICT: FAIL - see the writes listed above."
    exit 1
fi
