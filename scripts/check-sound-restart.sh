#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Does the sound come back when the sound server dies and returns? A private
# sound server (VANTREL_SOUND_SERVER=pulseaudio, the default, or pipewire: its
# three servers at once; see scripts/sound-server.sh) is killed during a
# hearing and started again at the same socket; the next hearing and the full
# player must be heard whole, and the window must answer within 100 ms
# throughout. Not part of CI; takes about half a minute.
# Then once more with the server killed between two hearings, while nothing
# plays.
# Usage: scripts/check-sound-restart.sh [SECONDS between the server's return and the next click]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
source "$root/scripts/sound-server.sh"
vantrel_need_packages "${vantrel_build_packages[@]}" xvfb xdotool \
    "${vantrel_sound_server_packages[@]}" python3-xlib

build="$root/build-bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target vantrel -j"$(nproc)" >/dev/null
vantrel_sound_server_guard
status=0
for when in "" --idle; do
    xvfb-run -a -s "-screen 0 1024x768x24" /usr/bin/python3 "$root/bench/restart_check.py" \
        "${VANTREL:-$build/src/vantrel}" "$root/src/lesson/newsbase.ui" \
        "$root/tests/audio/data/tone3s.MP3" --wait "${1:-3}" $when || status=1
    echo
done
exit $status
