#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that the README's two commands work on a fresh, minimal Debian 12:
# makes one with debootstrap (variant minbase) in a temporary folder, clones
# the repository into it and runs, as root inside the chroot, from the clone's
# top folder, first `bash scripts/run.sh`, then `bash scripts/test.sh`.
#
# Usage: sudo bash scripts/check-fresh-machine.sh [--keep] [--tail N] [--logs DIR] [REPO]
#   REPO        the repository to clone (default: the one this script is in).
#               The clone holds its checked-out branch as committed: changes
#               not committed yet are not part of the check.
#   --keep      keep the chroot for inspection (everything is unmounted all
#               the same); by default it is removed on exit, even when
#               interrupted.
#   --tail N    lines of each command's output to print (default 20).
#   --logs DIR  where the full logs go (default a new /var/tmp/vantrel-fresh-logs.*).
# VANTREL_FRESH_RUN_LIMIT and VANTREL_FRESH_TEST_LIMIT cap each command's
# time in seconds (default 3600 and 7200); a command that runs over it counts
# as hung. Takes about 15 minutes on 2 cores; not part of the test run.
#
# What counts as success:
#   run.sh   builds the program and ends by starting it. The chroot has no
#            display (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM unset), so
#            the expected end is: the build succeeded (build/src/vantrel
#            exists) and the program said it has no display and exited with
#            a plain non-zero status (not a signal, not a timeout). Anything
#            else, a status of 0 included, is a failure.
#   test.sh  exit status 0.
# Exit status: 0 when both succeed, 1 when either fails, 2 for a bad usage or
# when the fresh machine itself could not be made.
#
# The chroot is plain minbase plus what a fresh machine has anyway: apt
# sources for the same mirror as this machine's (suites bookworm, and
# bookworm-updates and bookworm-security when this machine uses them),
# /etc/resolv.conf and /etc/hosts when debootstrap left none, and a
# policy-rc.d so that installing packages starts no daemons in the chroot
# (they would outlive the check and keep its mounts busy). git is not
# installed in it: the clone is made from this side.
set -euo pipefail

arguments=("$@")
keep=0
tail_lines=20
logs=
repo=
usage() { sed -n '/^# Usage:/,/^# as hung/p' "$0" | sed 's/^# \{0,1\}//'; }
while [ $# -gt 0 ]; do
    case $1 in
        --keep) keep=1 ;;
        --tail) tail_lines=${2:?--tail needs a number}; shift ;;
        --logs) logs=${2:?--logs needs a folder}; shift ;;
        -h|--help) usage; exit 0 ;;
        -*) echo "check-fresh-machine: unknown option $1" >&2; usage >&2; exit 2 ;;
        *) repo=$1 ;;
    esac
    shift
done

if [ "$(id -u)" -ne 0 ]; then
    echo "check-fresh-machine: needs root (debootstrap, mount and chroot). Run:" >&2
    echo "  sudo bash $0 ${arguments[*]}" >&2
    exit 2
fi

[ -n "$repo" ] || repo=$(cd "$(dirname "$0")/.." && pwd)
if ! repo=$(git -c safe.directory='*' -C "$repo" rev-parse --show-toplevel 2>/dev/null); then
    echo "check-fresh-machine: not a git repository: $repo" >&2
    exit 2
fi

run_limit=${VANTREL_FRESH_RUN_LIMIT:-3600}
test_limit=${VANTREL_FRESH_TEST_LIMIT:-7200}
[ -n "$logs" ] || logs=/var/tmp/vantrel-fresh-logs.$(date +%Y%m%d-%H%M%S)
mkdir -p "$logs"
logs=$(cd "$logs" && pwd)

# mirror_for SUITE: the URI this machine's apt uses for SUITE, from deb822
# .sources files first, then one-line .list files; empty when none.
mirror_for() {
    local suite=$1 files=() f uri
    for f in /etc/apt/sources.list.d/*.sources; do [ -r "$f" ] && files+=("$f"); done
    if [ ${#files[@]} -gt 0 ]; then
        uri=$(awk -v want="$suite" '
            BEGIN { RS = "" }
            {
                split("", field); key = ""
                n = split($0, line, "\n")
                for (i = 1; i <= n; i++) {
                    l = line[i]
                    if (l ~ /^[ \t]*#/) continue
                    if (l ~ /^[ \t]/) { if (key != "") field[key] = field[key] " " l; continue }
                    p = index(l, ":"); if (!p) continue
                    key = tolower(substr(l, 1, p - 1)); field[key] = substr(l, p + 1)
                }
                if (tolower(field["enabled"]) ~ /no/) next
                nt = split(field["types"], t, /[ \t]+/); deb = 0
                for (i = 1; i <= nt; i++) if (t[i] == "deb") deb = 1
                if (!deb) next
                ns = split(field["suites"], s, /[ \t]+/)
                for (i = 1; i <= ns; i++) if (s[i] == want) {
                    split(field["uris"], u, /[ \t]+/)
                    for (j = 1; j in u; j++) if (u[j] != "") { print u[j]; exit }
                }
            }' "${files[@]}")
        [ -n "$uri" ] && { echo "$uri"; return; }
    fi
    files=()
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do [ -r "$f" ] && files+=("$f"); done
    [ ${#files[@]} -gt 0 ] || return 0
    awk -v want="$suite" '
        $1 == "deb" {
            i = 2
            if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
            if ($(i + 1) == want) { print $i; exit }
        }' "${files[@]}"
}

if ! command -v debootstrap >/dev/null; then
    echo "Installing debootstrap on this machine"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap
fi

mirror=$(mirror_for bookworm)
mirror=${mirror:-http://deb.debian.org/debian}
chroot_dir=
job=
finished=0

# Pids of the processes whose root is inside the chroot.
chroot_pids() {
    local p r
    for p in /proc/[0-9]*; do
        r=$(readlink "$p/root" 2>/dev/null) || continue
        case $r in "$chroot_dir"|"$chroot_dir"/*) echo "${p#/proc/}" ;; esac
    done
}

# Ends what still runs in the chroot; prints what it ended.
end_chroot_processes() {
    local pids pid
    pids=$(chroot_pids)
    [ -n "$pids" ] || return 0
    for pid in $pids; do
        echo "  left running: $pid $(tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null | cut -c1-100)"
    done
    # shellcheck disable=SC2086
    kill -TERM $pids 2>/dev/null || true
    sleep 2
    pids=$(chroot_pids)
    # shellcheck disable=SC2086
    [ -z "$pids" ] || kill -KILL $pids 2>/dev/null || true
    sleep 1
}

# Mount points at or under the chroot, deepest first.
# shellcheck disable=SC2317  # called by the traps
chroot_mounts() {
    awk -v r="$chroot_dir" '$5 == r || index($5, r "/") == 1 { print $5 }' /proc/self/mountinfo \
        | awk '{ print length($0) " " $0 }' | sort -rn | cut -d' ' -f2-
}

# shellcheck disable=SC2317  # called by the traps
cleanup() {
    local status=$? m left
    trap - EXIT INT TERM HUP
    set +e
    [ "$finished" = 1 ] || echo "check-fresh-machine: stopping (status $status); cleaning up" >&2
    # Stopping the timeout wrapper stops the whole command it runs.
    if [ -n "$job" ] && kill -0 "$job" 2>/dev/null; then
        kill -TERM "$job" 2>/dev/null
        for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$job" 2>/dev/null || break; sleep 1; done
        kill -KILL "$job" 2>/dev/null
    fi
    if [ -n "$chroot_dir" ] && [ -d "$chroot_dir" ]; then
        end_chroot_processes
        for m in $(chroot_mounts); do
            umount "$m" 2>/dev/null || umount -l "$m"
        done
        left=$(chroot_mounts)
        if [ -n "$left" ]; then
            echo "check-fresh-machine: still mounted, so the chroot stays: $left" >&2
            status=1
        elif [ "$keep" = 1 ]; then
            echo "Chroot kept in $chroot_dir (unmounted; remove it with: rm -rf --one-file-system $chroot_dir)"
        else
            rm -rf --one-file-system "$chroot_dir"
        fi
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# in_background LIMIT LOG COMMAND...: runs COMMAND under timeout with its
# output in LOG and waits for it, so that a signal to this script is handled
# at once rather than after the command; sets $status.
in_background() {
    local limit=$1 log=$2
    shift 2
    timeout -k 30 "$limit" "$@" </dev/null >"$log" 2>&1 &
    job=$!
    status=0
    wait "$job" || status=$?
    job=
}

show_tail() {
    echo "--- $1: last $tail_lines lines of $2"
    tail -n "$tail_lines" "$2"
    echo "---"
}

started=$SECONDS
chroot_dir=$(mktemp -d /var/tmp/vantrel-fresh.XXXXXX)
# apt's download user must be able to walk into the chroot's top folder.
chmod 755 "$chroot_dir"
echo "== Vantrel on a fresh Debian 12 (debootstrap --variant=minbase bookworm)"
echo "repository: $repo"
echo "mirror:     $mirror"
echo "chroot:     $chroot_dir"
echo "logs:       $logs"

t=$SECONDS
in_background 1800 "$logs/debootstrap.log" debootstrap --variant=minbase bookworm "$chroot_dir" "$mirror"
debootstrap_time=$((SECONDS - t))
echo "debootstrap: exit $status in $debootstrap_time s"
if [ "$status" -ne 0 ]; then
    show_tail debootstrap "$logs/debootstrap.log"
    exit 2
fi

{
    for suite in bookworm bookworm-updates bookworm-security; do
        uri=$(mirror_for "$suite")
        if [ "$suite" = bookworm ]; then uri=$mirror; fi
        if [ -n "$uri" ]; then echo "deb $uri $suite main"; fi
    done
} > "$chroot_dir/etc/apt/sources.list"
[ -s "$chroot_dir/etc/resolv.conf" ] || cp -L /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
[ -s "$chroot_dir/etc/hosts" ] || printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' \
    > "$chroot_dir/etc/hosts"
printf '#!/bin/sh\nexit 101\n' > "$chroot_dir/usr/sbin/policy-rc.d"
chmod 755 "$chroot_dir/usr/sbin/policy-rc.d"

# Each mount is made private at once, so that nothing mounted or unmounted
# under the chroot reaches this machine's own /dev, /proc or /sys.
bind() {
    mkdir -p "$chroot_dir$1"
    mount --bind "$1" "$chroot_dir$1"
    mount --make-private "$chroot_dir$1"
}
bind /proc
bind /sys
bind /dev
bind /dev/pts
mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs "$chroot_dir/dev/shm"
mount --make-private "$chroot_dir/dev/shm"

git -c safe.directory='*' clone -q --no-hardlinks "$repo" "$chroot_dir/root/vantrel"
echo "commit:     $(git -C "$chroot_dir/root/vantrel" log -1 --format='%h %s' | cut -c1-100)"

# in_chroot LIMIT LOG SCRIPT: runs `bash SCRIPT` as root in the clone's top
# folder with a login-like environment and no display.
in_chroot() {
    # shellcheck disable=SC2016  # $0 is expanded inside the chroot
    in_background "$1" "$2" chroot "$chroot_dir" /usr/bin/env -i HOME=/root USER=root LOGNAME=root \
        SHELL=/bin/bash TERM=dumb PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        /bin/bash -c 'cd /root/vantrel && exec bash "$0"' "$3"
}

echo "== bash scripts/run.sh (log: $logs/run.log)"
t=$SECONDS
in_chroot "$run_limit" "$logs/run.log" scripts/run.sh
run_status=$status
run_time=$((SECONDS - t))
show_tail run.sh "$logs/run.log"
end_chroot_processes
if [ "$run_status" -eq 124 ] || [ "$run_status" -eq 137 ]; then
    run_verdict="FAILED: still running after $run_limit s"
elif [ ! -x "$chroot_dir/root/vantrel/build/src/vantrel" ]; then
    run_verdict="FAILED: the build did not make build/src/vantrel"
elif [ "$run_status" -eq 0 ]; then
    run_verdict="FAILED: the program started and ended with status 0 without a display"
elif [ "$run_status" -gt 128 ]; then
    run_verdict="FAILED: the program was killed by signal $((run_status - 128))"
elif tail -n 5 "$logs/run.log" | grep -qi 'no display'; then
    run_verdict="ok: built, and the program said it has no display"
else
    run_verdict="FAILED: the program did not say that it has no display"
fi

echo "== bash scripts/test.sh (log: $logs/test.log)"
t=$SECONDS
in_chroot "$test_limit" "$logs/test.log" scripts/test.sh
test_status=$status
test_time=$((SECONDS - t))
show_tail test.sh "$logs/test.log"
end_chroot_processes
case $test_status in
    0) test_verdict="ok" ;;
    124|137) test_verdict="FAILED: still running after $test_limit s" ;;
    *) test_verdict="FAILED" ;;
esac

echo "== Results (full logs in $logs)"
echo "debootstrap: exit 0 in $debootstrap_time s"
echo "run.sh: exit $run_status in $run_time s: $run_verdict"
echo "test.sh: exit $test_status in $test_time s: $test_verdict"
# ctest lists its failures under this heading, one suite at a time.
failed=$(awk '/The following tests FAILED:/ { on = 1; next }
              on && /^[ \t]+[0-9]+ - / { sub(/^[ \t]+/, ""); print "  " $0; next }
              { on = 0 }' "$logs/test.log")
[ -z "$failed" ] || { echo "failed tests:"; echo "$failed"; }
grep -h -E '^[0-9]+% tests passed' "$logs/test.log" | sed 's/^/  /' || true
echo "total: $((SECONDS - started)) s"
finished=1
case $run_verdict in ok*) ;; *) exit 1 ;; esac
[ "$test_status" -eq 0 ] || exit 1
exit 0
