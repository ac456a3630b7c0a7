#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The private sound server that the benchmarks play to and record from, chosen
# by VANTREL_SOUND_SERVER: "pulseaudio" (the default) or "pipewire" (PipeWire
# with WirePlumber and its PulseAudio protocol server, as most desktops now
# run it). Either way it lives in a runtime folder of its own, has a null sink
# named "bench" as its default sink, recorded from "bench.monitor" with parec,
# and is reached through the PulseAudio protocol at the address it prints.
#
# Sourced by the bench scripts, which then have
#   vantrel_sound_server_packages  the Debian packages the chosen server needs
#                                  (pactl and parec talk to either)
#   vantrel_sound_server_guard     ends, when the script exits, any server the
#                                  run left behind, and says which server it is
# Run by the bench programs (bench/listening_bench.py):
#   sound-server.sh run DIR          starts a server in the runtime folder DIR,
#                                    prints its address once the null sink is
#                                    the default, and stays until SIGTERM (the
#                                    server is stopped as usual) or SIGUSR1 (it
#                                    is killed at once, as in a crash)
#   sound-server.sh open DIR SOCKET  lets clients in at SOCKET too, from now on

case ${VANTREL_SOUND_SERVER:=pulseaudio} in
    pulseaudio) vantrel_sound_server_packages=(pulseaudio pulseaudio-utils) ;;
    pipewire) vantrel_sound_server_packages=(pipewire wireplumber pipewire-pulse dbus-daemon pulseaudio-utils) ;;
    *)
        echo "VANTREL_SOUND_SERVER must be pulseaudio or pipewire, not '$VANTREL_SOUND_SERVER'" >&2
        exit 2
        ;;
esac

vantrel_sound_server_name() {
    case $VANTREL_SOUND_SERVER in
        pulseaudio) echo "PulseAudio $(pulseaudio --version 2>/dev/null | awk '{print $2}')" ;;
        pipewire) echo "PipeWire $(pipewire --version 2>/dev/null | awk '/^Linked/ {print $NF}')," \
            "WirePlumber $(wireplumber --version 2>/dev/null | awk '/^Linked/ {print $NF}')" ;;
    esac
}

vantrel_sound_server_address() {
    case $VANTREL_SOUND_SERVER in
        pulseaudio) echo "unix:$1/native" ;;
        pipewire) echo "unix:$1/pulse/native" ;;
    esac
}

# Each running server notes its own process ID and its servers' in a file of
# this folder, so that the guard can end them when the bench program did not.
vantrel_sound_server_guard() {
    VANTREL_SOUND_STATE=$(mktemp -d)
    export VANTREL_SOUND_STATE VANTREL_SOUND_SERVER
    trap _vss_cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    echo "Sound server: a private $(vantrel_sound_server_name)"
}

_vss_ours='sound-server|pulseaudio|pipewire|wireplumber|dbus-daemon'

_vss_alive() {
    # A zombie is as good as gone; a process ID taken again is not ours.
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ] && grep -qaE "$_vss_ours" "/proc/$1/cmdline" 2>/dev/null
}

# The server's own process goes first, and removes its file as it goes.
_vss_cleanup() {
    local file pid pids left tries
    [ -d "${VANTREL_SOUND_STATE:-}" ] || return 0
    for file in "$VANTREL_SOUND_STATE"/*; do
        [ -f "$file" ] || continue
        mapfile -t pids 2>/dev/null <"$file" || continue
        [ ${#pids[@]} -gt 0 ] || continue
        if _vss_alive "${pids[0]}"; then kill -TERM "${pids[0]}" 2>/dev/null || true; fi
        for tries in $(seq 50); do
            left=0
            for pid in "${pids[@]}"; do
                if _vss_alive "$pid"; then left=1; fi
            done
            [ $left = 0 ] && break
            sleep 0.1
        done
        for pid in "${pids[@]}"; do
            if _vss_alive "$pid"; then kill -KILL "$pid" 2>/dev/null || true; fi
        done
    done
    rm -rf "$VANTREL_SOUND_STATE"
}

# Waits until the server at $1 answers, at most ten seconds.
_vss_answers() {
    local tries
    for tries in $(seq 100); do
        pactl --server="$1" info >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

_vss_start_pulseaudio() {
    local dir=$1
    XDG_RUNTIME_DIR=$dir HOME=$dir pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        --log-level=error -L "module-null-sink sink_name=bench" \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$dir/native" >&2 &
    _vss_servers=($!)
    _vss_answers "unix:$dir/native"
}

# PipeWire's configuration as Debian ships it, but for a spare socket that
# "open" moves into place, and logs cut down to errors, as PulseAudio's are.
# WirePlumber needs a session bus. The servers see none of the desktop's
# settings: HOME and the XDG folders are all inside DIR, and no display.
_vss_start_pipewire() {
    local dir=$1 tries address
    mkdir -p "$dir/config/pipewire/pipewire-pulse.conf.d" "$dir/state" "$dir/data"
    cat >"$dir/config/pipewire/pipewire-pulse.conf.d/bench.conf" <<EOF
pulse.properties = {
    server.address = [ "unix:native" "unix:$dir/pulse/spare" ]
}
EOF
    local env=(env -u DISPLAY -u WAYLAND_DISPLAY -u PULSE_SERVER -u PULSE_RUNTIME_PATH -u PIPEWIRE_REMOTE
        -u PIPEWIRE_CONFIG_DIR -u SESSION_MANAGER XDG_RUNTIME_DIR="$dir" PIPEWIRE_RUNTIME_DIR="$dir" HOME="$dir"
        XDG_CONFIG_HOME="$dir/config" XDG_STATE_HOME="$dir/state" XDG_DATA_HOME="$dir/data"
        DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/bus" PIPEWIRE_DEBUG=E WIREPLUMBER_DEBUG=E)
    # A killed server's bus leaves its socket behind.
    rm -f "$dir/bus" "$dir/bus.address"
    "${env[@]}" dbus-daemon --session --address="unix:path=$dir/bus" --nofork --nopidfile \
        --print-address=3 3>"$dir/bus.address" >&2 2>"$dir/bus.log" &
    _vss_bus=$!
    for tries in $(seq 100); do
        [ -s "$dir/bus.address" ] && break
        sleep 0.1
    done
    if ! [ -s "$dir/bus.address" ]; then
        echo "the private D-Bus session bus did not start:" >&2
        cat "$dir/bus.log" >&2
        return 1
    fi
    "${env[@]}" pipewire >&2 &
    _vss_servers=($!)
    # Its clients give up at once when it is not there yet.
    for tries in $(seq 100); do
        "${env[@]}" pw-cli info 0 >/dev/null 2>&1 && break
        sleep 0.1
    done
    "${env[@]}" wireplumber >&2 &
    _vss_servers+=($!)
    "${env[@]}" pipewire-pulse >&2 &
    _vss_servers+=($!)
    address=$(vantrel_sound_server_address "$dir")
    _vss_answers "$address" || return 1
    pactl --server="$address" load-module module-null-sink sink_name=bench >/dev/null || return 1
    # The default can be set only once WirePlumber is up, and takes once it
    # has seen the sink; a stream opened before then would go to the stand-in
    # sink that pipewire-pulse keeps.
    for tries in $(seq 100); do
        pactl --server="$address" set-default-sink bench 2>/dev/null &&
            pactl --server="$address" info 2>/dev/null | grep -qx 'Default Sink: bench' && return 0
        sleep 0.1
    done
    echo "WirePlumber did not make the null sink the default" >&2
    return 1
}

# TERM stops the servers as usual; KILL kills them at once, all together, as
# in a crash. The bus, no part of the sound server, is stopped either way.
_vss_stop() {
    local pid tries
    if [ ${#_vss_servers[@]} -gt 0 ]; then
        kill -"$1" "${_vss_servers[@]}" 2>/dev/null
    fi
    if [ -n "$_vss_bus" ]; then
        kill -TERM "$_vss_bus" 2>/dev/null
    fi
    for pid in "${_vss_servers[@]}" $_vss_bus; do
        for tries in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    _vss_servers=()
    _vss_bus=
}

_vss_run() {
    local dir=$1 note='' pid alive
    _vss_servers=()
    _vss_bus=
    _vss_signal=
    trap '_vss_signal=TERM' TERM INT
    trap '_vss_signal=KILL' USR1
    if [ -d "${VANTREL_SOUND_STATE:-}" ]; then
        note="$VANTREL_SOUND_STATE/$$"
        echo $$ >"$note"
    fi
    mkdir -p "$dir"
    if ! "_vss_start_$VANTREL_SOUND_SERVER" "$dir"; then
        echo "the private $(vantrel_sound_server_name) does not answer" >&2
        _vss_stop KILL 2>/dev/null
        [ -n "$note" ] && rm -f "$note"
        exit 1
    fi
    [ -n "$note" ] && printf '%s\n' $$ "${_vss_servers[@]}" $_vss_bus >"$note"
    vantrel_sound_server_address "$dir"
    # wait returns at once when a trapped signal comes.
    while [ -z "$_vss_signal" ]; do
        wait "${_vss_servers[@]}"
        alive=0
        for pid in "${_vss_servers[@]}"; do
            kill -0 "$pid" 2>/dev/null && alive=1
        done
        [ $alive = 1 ] || break
    done
    # Not a word from bash about the servers it killed.
    _vss_stop "${_vss_signal:-TERM}" 2>/dev/null
    [ -n "$note" ] && rm -f "$note"
    exit 0
}

# PulseAudio opens a socket on request; pipewire-pulse cannot, so it listens
# from the start at a spare one, which is moved into place. Either way a
# server killed later leaves SOCKET behind, refusing connections.
_vss_open() {
    local dir=$1 socket=$2
    case $VANTREL_SOUND_SERVER in
        pulseaudio)
            pactl --server="unix:$dir/native" load-module module-native-protocol-unix auth-anonymous=1 \
                "socket=$socket" >/dev/null
            ;;
        pipewire) mv -f "$dir/pulse/spare" "$socket" ;;
    esac
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    case "${1:-} $#" in
        "run 2") _vss_run "$2" ;;
        "open 3") _vss_open "$2" "$3"; exit ;;
    esac
    echo "usage: sound-server.sh run DIR | open DIR SOCKET" >&2
    exit 2
fi
