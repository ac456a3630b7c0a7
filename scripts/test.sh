#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Vantrel with warnings as errors and runs every test; then does the
# same under AddressSanitizer and UndefinedBehaviorSanitizer.
# Last, a short fuzz run of the story-file readers.
# VANTREL_SKIP_SANITIZE=1 leaves the sanitizer pass out (for quick local runs);
# VANTREL_FUZZ_SECONDS sets the fuzz run's length (default 60).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
vantrel_need_packages "${vantrel_build_packages[@]}" libgtest-dev xvfb xauth xdotool \
    dbus-daemon at-spi2-core python3-pyatspi pulseaudio pulseaudio-utils openbox \
    qt6-gtk-platformtheme fonts-cantarell

jobs=$(nproc)
run_suite() {
    local dir=$1; shift
    cmake -S "$root" -B "$dir" -DVANTREL_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}

echo "== Build and tests"
run_suite "$root/build-test" -DCMAKE_BUILD_TYPE=Debug
if [ "${VANTREL_SKIP_SANITIZE:-0}" != 1 ]; then
    echo "== Build and tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    run_suite "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON
fi
echo "== Fuzzing the story-file readers"
bash "$root/scripts/fuzz.sh" "${VANTREL_FUZZ_SECONDS:-60}"
