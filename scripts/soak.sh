#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs many whole lessons in a row in one lesson window, on the offscreen
# platform, and compares resident memory (VmRSS) after lesson 50 with memory
# after the last one: it may grow by 5 MiB at most.
#
# Usage: scripts/soak.sh [--lessons N] [--baseline K] [--fake]
#   Defaults: 500 lessons, baseline after lesson 50, the real player.
#   --fake uses a fake media engine instead of the real GStreamer engine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
vantrel_need_packages "${vantrel_build_packages[@]}" libgtest-dev

dir=${VANTREL_SOAK_DIR:-$root/build-soak}
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" --target soak_lessons -j"$(nproc)" >/dev/null
QT_QPA_PLATFORM=offscreen QT_STYLE_OVERRIDE=Fusion "$dir/tests/soak/soak_lessons" "$@"
