#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A long random run of sentence steps on the real engine, heard at a private
# PulseAudio server: whether every step is heard as its sentence, at once and
# whole. Catches rare stalls of the sound server's stream. 400 steps take
# about ten minutes.
# Usage: scripts/soak-steps.sh [STEPS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
vantrel_need_packages "${vantrel_build_packages[@]}" pulseaudio pulseaudio-utils python3-xlib sox

build="$root/build-bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target step_soak vantrel-make -j"$(nproc)" >/dev/null
/usr/bin/python3 "$root/bench/step_soak.py" "$build/bench/step_soak" "$build/src/maker/vantrel-make" \
    --steps "${1:-400}"
