# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the other scripts: installs the Debian packages a step needs.
# As root it installs them with apt-get; otherwise it prints the exact line.

# vantrel-make's aligner links libespeak-ng and FFTW; the espeak-ng command
# speaks the sample library's stories for the tests.
vantrel_build_packages=(cmake g++ make pkg-config help2man qt6-base-dev libgstreamer1.0-dev
    libespeak-ng-dev libfftw3-dev espeak-ng
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-pulseaudio
    fonts-liberation2)

vantrel_need_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        apt-get update -q
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
    else
        echo "Vantrel needs these Debian packages. Install them with:" >&2
        echo "  sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
}
