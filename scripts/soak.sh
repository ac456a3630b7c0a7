#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs many whole lessons in a row in one lesson window with the real engine,
# on the offscreen platform, and compares resident memory (VmRSS) after the
# first tenth of them with memory after the last: it may grow by 5 MiB at most.
#
# Usage: scripts/soak.sh [LESSONS]   (default 500)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
vantrel_need_packages "${vantrel_build_packages[@]}" libgtest-dev

dir=${VANTREL_SOAK_DIR:-$root/build-soak}
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" --target tst_lesson -j"$(nproc)" >/dev/null
VANTREL_SOAK_LESSONS=${1:-500} QT_QPA_PLATFORM=offscreen QT_STYLE_OVERRIDE=Fusion "$dir/tests/lesson/tst_lesson" lessonsInARow
