#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one of the benchmarks that listen at a sound server twice: at a private
# PulseAudio, then at a private PipeWire (see scripts/sound-server.sh), each
# server's figures under its own heading, and sums up how each run ended.
# Usage: scripts/bench-both.sh BENCH [ARGUMENTS...]
#   BENCH: listening, sentences, words, sound-restart or soak-steps (the script's
#   name, with or without .sh, will do too); ARGUMENTS go to that script.
# Exits non-zero when either run did.
set -uo pipefail
trap 'exit 130' INT
root=$(cd "$(dirname "$0")/.." && pwd)

usage() {
    sed -n 's/^# \{0,1\}//; 6,8p' "$0" >&2
    exit 2
}
[ $# -ge 1 ] || usage
case ${1%.sh} in
    listening | bench-listening) script=bench-listening.sh ;;
    sentences | bench-sentences) script=bench-sentences.sh ;;
    words | bench-words) script=bench-words.sh ;;
    sound-restart | check-sound-restart) script=check-sound-restart.sh ;;
    soak-steps) script=soak-steps.sh ;;
    *) usage ;;
esac
shift

declare -A ended
status=0
for server in pulseaudio pipewire; do
    case $server in
        pulseaudio) heading=PulseAudio ;;
        pipewire) heading=PipeWire ;;
    esac
    echo "=================== $heading ==================="
    VANTREL_SOUND_SERVER=$server bash "$root/scripts/$script" "$@"
    code=$?
    ended[$server]=$code
    [ $code = 0 ] || status=1
    echo
done
echo "$script: PulseAudio $([ "${ended[pulseaudio]}" = 0 ] && echo passed || echo "failed (status ${ended[pulseaudio]})")," \
    "PipeWire $([ "${ended[pipewire]}" = 0 ] && echo passed || echo "failed (status ${ended[pipewire]})")"
exit $status
