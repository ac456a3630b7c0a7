#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A long random run of sentence steps on the real engine, heard at a private
# sound server (VANTREL_SOUND_SERVER=pulseaudio, the default, or pipewire; see
# scripts/sound-server.sh): whether every step is heard as its sentence, at
# once and whole. Catches rare stalls of the sound server's stream. 400 steps take
# about ten minutes.
# Usage: scripts/soak-steps.sh [STEPS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
source "$root/scripts/sound-server.sh"
vantrel_need_packages "${vantrel_build_packages[@]}" "${vantrel_sound_server_packages[@]}" python3-xlib sox

build="$root/build-bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target step_soak vantrel-make -j"$(nproc)" >/dev/null
vantrel_sound_server_guard
/usr/bin/python3 "$root/bench/step_soak.py" "$build/bench/step_soak" "$build/src/maker/vantrel-make" \
    --steps "${1:-400}"
