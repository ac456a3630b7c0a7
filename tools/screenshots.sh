#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The lesson with its full player open on five desktop set-ups: Qt's own
# theme; Qt's GTK theme with Cantarell 11 and with DejaVu Sans 12; a system
# whose only fonts are the Liberation fonts; everything at 200 %. Writes
# docs/lesson.png (the first) and docs/desktops.png (the full player's corner
# of each, side by side).
# Usage: tools/screenshots.sh [VANTREL]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/packages.sh"
vantrel_need_packages "${vantrel_build_packages[@]}" xvfb xauth xdotool dbus-daemon at-spi2-core \
    python3-pyatspi pulseaudio pulseaudio-utils openbox qt6-gtk-platformtheme fonts-cantarell \
    fonts-dejavu-core imagemagick
vantrel=${1:-}
if [ -z "$vantrel" ]; then
    cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$root/build" --target vantrel -j"$(nproc)" >/dev/null
    vantrel=$root/build/src/vantrel
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Only the Liberation fonts, with the system's usual aliases (Arial is Liberation Sans).
cat >"$work/fonts.conf" <<CONF
<?xml version="1.0"?>
<fontconfig><dir>/usr/share/fonts/truetype/liberation2</dir><cachedir>$work/fc</cachedir>
<include ignore_missing="yes">/etc/fonts/conf.d</include></fontconfig>
CONF

shot() {  # NAME LABEL [ARGS...]
    local name=$1 label=$2; shift 2
    xvfb-run -a -s "-screen 0 1400x1000x24 -nolisten tcp" dbus-run-session -- /usr/bin/python3 \
        "$root/tools/screenshots.py" "$vantrel" "$root/tests/audio/data/tone3s.MP3" "$work/$name.png" "$@" \
        >"$work/$name.log" 2>&1 || { cat "$work/$name.log" >&2; exit 1; }
    local scale=1
    [ "$name" = scale200 ] && scale=2
    convert "$work/$name.png" -crop "$((160 * scale))x$((140 * scale))+0+$((30 * scale))" +repage \
        -resize 320x280 "$work/corner-$name.png"
    labels+=(-label "$label" "$work/corner-$name.png")
    echo "$label: $work/$name.png"
}
labels=()
shot generic "Qt's own theme"
shot cantarell "GTK theme, Cantarell 11" --gtk-font "Cantarell 11"
shot dejavu "GTK theme, DejaVu Sans 12" --gtk-font "DejaVu Sans 12"
FONTCONFIG_FILE=$work/fonts.conf shot liberation "Liberation fonts only"
shot scale200 "QT_SCALE_FACTOR=2" --scale 2
cp "$work/generic.png" "$root/docs/lesson.png"
montage "${labels[@]}" -tile 5x1 -geometry +6+6 -pointsize 14 "$root/docs/desktops.png"
echo "wrote docs/lesson.png and docs/desktops.png"
