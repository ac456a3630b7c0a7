#!/usr/bin/env bash
# Click-to-sound latency and hearing-end skew over the sample library, with
# the real players in a real X window (Xvfb). Takes about four minutes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
vantrel_need_packages "${vantrel_build_packages[@]}" xvfb

cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build-bench" --target listening_bench -j"$(nproc)" >/dev/null
exec xvfb-run -a -s "-screen 0 1024x768x24" "$root/build-bench/bench/listening_bench" "$root/stories" "${1:-10}"
