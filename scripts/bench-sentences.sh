#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The full player's sentence steps at a private sound server
# (VANTREL_SOUND_SERVER=pulseaudio, the default, or pipewire; see
# scripts/sound-server.sh), in a real X window: for Next, Repeat and
# Previous, click to sound against a plain Play, which sentence is heard, and
# how far the sound runs past its end; the pause after each sentence; and the
# transcript's marking on screen against the sound. Takes about a minute and a half.
# Usage: scripts/bench-sentences.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
source "$root/scripts/sound-server.sh"
vantrel_need_packages "${vantrel_build_packages[@]}" xvfb xdotool \
    "${vantrel_sound_server_packages[@]}" python3-xlib sox

build="$root/build-bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target vantrel vantrel-make -j"$(nproc)" >/dev/null
vantrel_sound_server_guard
xvfb-run -a -s "-screen 0 1024x768x24" /usr/bin/python3 "$root/bench/sentences_bench.py" \
    "$build/src/vantrel" "$build/src/maker/vantrel-make" "$root/src/lesson/newsbase.ui"
