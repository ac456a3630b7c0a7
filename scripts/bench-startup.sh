#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up speed and memory in a real window (Xvfb, with a D-Bus session as a
# desktop has), against a bare Qt Widgets program that shows one message box
# and nothing else. The two programs take turns, PAIRS pairs (default 10)
# after one warm-up pair; each is timed from outside by bench/startup_probe.
#
#   launch to box    launch to the start-up box mapped; goal: median ratio
#                    Vantrel / bare at most 1.05
#   box to menu      Enter on the box to the menu window mapped; goal: median
#                    at most 50 ms
#   peak memory      VmHWM at the menu (bare program: at its box); goal:
#                    ratio of the medians at most 1.2
#
# Usage: bash scripts/bench-startup.sh [PAIRS]
# VANTREL_BENCH_BUILD names the build folder (default build-bench).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
vantrel_need_packages "${vantrel_build_packages[@]}" xvfb dbus-daemon libx11-dev libxtst-dev
pairs=${1:-10}
build=${VANTREL_BENCH_BUILD:-$root/build-bench}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target vantrel startup_bare startup_probe -j"$(nproc)" >/dev/null

work=$(mktemp -d)
xvfb_pid= bus_pid=
cleanup() {
    [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_SCALE_FACTOR QT_LINUX_ACCESSIBILITY_ALWAYS_ON QT_QPA_PLATFORM WAYLAND_DISPLAY
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
read -r -t 20 number <"$work/display" || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$number"
{ read -r DBUS_SESSION_BUS_ADDRESS; read -r bus_pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS

probe=$build/bench/startup_probe
vantrel() { "$probe" --cwd "$root/stories" "Vantrel 5.75" "Vantrel: Choose a Story" "$build/src/vantrel" 2>>"$work/stderr"; }
bare() { "$probe" "Vantrel 5.75" - "$build/bench/startup_bare" 2>>"$work/stderr"; }

echo "Start-up, $pairs pairs (plus one warm-up), display $DISPLAY"
results=$work/results
for ((i = 0; i <= pairs; i++)); do
    # Who goes first changes each pair, so neither always finds the caches warmer.
    if ((i % 2)); then b=$(bare); v=$(vantrel); else v=$(vantrel); b=$(bare); fi
    ((i == 0)) && continue
    echo "pair $i: vantrel $v | bare $b"
    echo "$v $b" >>"$results"
done

python3 - "$results" <<'EOF'
import re, statistics, sys
rows = []
for line in open(sys.argv[1]):
    fields = [(k, float(x)) for k, x in re.findall(r"(\w+)=([-\d.]+)", line)]
    rows.append((dict(fields[:3]), dict(fields[3:])))  # Vantrel's three, then the bare program's
med = statistics.median
ratio = med(v["box_ms"] / b["box_ms"] for v, b in rows)
menu = med(v["menu_ms"] for v, _ in rows)
print()
print("launch to box:  Vantrel %.1f ms, bare %.1f ms (medians); median ratio %.2f (goal <= 1.05: %s)"
      % (med(v["box_ms"] for v, _ in rows), med(b["box_ms"] for _, b in rows), ratio,
         "met" if ratio <= 1.05 else "MISSED"))
print("box to menu:    %.1f ms median, %.1f to %.1f ms (goal <= 50 ms: %s)"
      % (menu, min(v["menu_ms"] for v, _ in rows), max(v["menu_ms"] for v, _ in rows),
         "met" if menu <= 50 else "MISSED"))
peak = med(v["hwm_kb"] for v, _ in rows) / med(b["hwm_kb"] for _, b in rows)
print("peak memory:    Vantrel %.1f MiB at the menu, bare %.1f MiB at its box (VmHWM medians); ratio %.2f (goal <= 1.2: %s)"
      % (med(v["hwm_kb"] for v, _ in rows) / 1024, med(b["hwm_kb"] for _, b in rows) / 1024, peak,
         "met" if peak <= 1.2 else "MISSED"))
EOF
