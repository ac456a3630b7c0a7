#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What a student hears after clicking "Click to Listen", at a private sound
# server (VANTREL_SOUND_SERVER=pulseaudio, the default, or pipewire; see
# scripts/sound-server.sh), in a real X window: once with the machine quiet,
# once with both cores busy. Each run is 10 stories heard 3 times, by Vantrel
# and by a bare GStreamer playbin. Takes about six minutes.
# Usage: scripts/bench-listening.sh [STORIES]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
source "$root/scripts/sound-server.sh"
vantrel_need_packages "${vantrel_build_packages[@]}" xvfb xdotool \
    "${vantrel_sound_server_packages[@]}" python3-xlib

build="$root/build-bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target vantrel bare_playbin -j"$(nproc)" >/dev/null
vantrel_sound_server_guard
status=0
for load in "" --busy; do
    xvfb-run -a -s "-screen 0 1024x768x24" /usr/bin/python3 "$root/bench/listening_bench.py" \
        "$build/src/vantrel" "$build/bench/bare_playbin" "$root/src/lesson/newsbase.ui" \
        "$root/tests/audio/data/tone3s.MP3" --stories "${1:-10}" $load || status=1
    echo
done
exit $status
