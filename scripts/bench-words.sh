#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Word by word at a private sound server (VANTREL_SOUND_SERVER=pulseaudio,
# the default, or pipewire; see scripts/sound-server.sh), in a real X window:
# the transcript's marking of each word on screen against its sound, and a
# word heard alone by F5 against a plain Play. Takes about a minute.
# Usage: scripts/bench-words.sh
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
xvfb-run -a -s "-screen 0 1024x768x24" /usr/bin/python3 "$root/bench/words_bench.py" \
    "$build/src/vantrel" "$build/src/maker/vantrel-make" "$root/src/lesson/newsbase.ui"
