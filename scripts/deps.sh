#!/usr/bin/env bash
# The one list of Debian packages that Kestrune needs. Sourced by run.sh and test.sh.
# Usage: deps.sh [build|test]  — installs what is missing, nothing else.
set -euo pipefail

BUILD_PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-multimedia-dev libqt6opengl6-dev
    # Native Wayland sessions.
    qt6-wayland
    libcanberra-dev libcanberra-pulse
    gstreamer1.0-plugins-good
    fonts-liberation
)
TEST_PACKAGES=(
    pulseaudio pulseaudio-utils
    xvfb trayer xdotool x11-utils imagemagick
    sox libsox-fmt-mp3
    at-spi2-core python3-pyatspi dbus-x11
    # Other desktops: a StatusNotifierItem tray host, a notification server, a headless Wayland compositor.
    haskell-status-notifier-item-utils haskell-gtk-sni-tray-utils dunst weston dbus-bin
    # libFuzzer's runtime is only recommended by clang, and recommendations are not installed.
    clang libclang-rt-14-dev
)

want=("${BUILD_PACKAGES[@]}")
if [ "${1:-build}" = test ]; then
    want+=("${TEST_PACKAGES[@]}")
fi

missing=()
for p in "${want[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
