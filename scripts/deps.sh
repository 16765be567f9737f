#!/usr/bin/env bash
# The one list of Debian packages that Kestrune needs. Called by run.sh and test.sh.
# Usage: deps.sh [build|package|test|bench]  — installs what is missing, nothing else, asking for sudo when
# not run as root.
set -euo pipefail

BUILD_PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev libqt6opengl6-dev
    # Native Wayland sessions.
    qt6-wayland
    libcanberra-dev libcanberra-pulse
    libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good
    libpulse-dev
    # Read on a second core at start-up (Qt reads it too, so it is there at run time).
    libfontconfig-dev
    fonts-liberation
    # The texts in the user's language: lupdate and lrelease, and CMake's qt_add_translations for
    # them; Qt's own catalogues for the standard buttons and the file and colour dialogs.
    qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
    # The ring wakes an X display: the screen saver's reset and the monitor's power (DPMS).
    libxcb1-dev libxcb-dpms0-dev
)
# Making the Debian packages from debian/ (debhelper brings dpkg-dev; dpkg-buildpackage also checks
# for build-essential, which a minimal system lacks) and checking them.
PACKAGE_PACKAGES=(
    build-essential debhelper
    lintian appstream desktop-file-utils man-db
    # Two builds of the package are compared; diffoscope shows where they differ, and the second
    # build runs with its clock moved ahead.
    diffoscope-minimal libfaketime
    # The package test packs up an installed Kestrune to put it back afterwards.
    dpkg-repack
    # Runtime plugins the package depends on without a library link; qt6-wayland is recommended;
    # setcap gives the wake program its capability.
    gstreamer1.0-plugins-base qt6-wayland libcap2-bin
)
TEST_PACKAGES=(
    pulseaudio pulseaudio-utils
    xvfb trayer xdotool x11-utils imagemagick
    sox libsox-fmt-mp3
    at-spi2-core python3-pyatspi dbus-daemon
    libfaketime
    # Other desktops: a StatusNotifierItem tray host, a notification server, a headless Wayland compositor.
    haskell-status-notifier-item-utils haskell-gtk-sni-tray-utils dunst weston dbus-bin
    # logind, the notification server and the desktop portal as stand-ins on private buses.
    python3-dbusmock
    # setcap, to give a scratch copy of the wake program its capability; setfacl, for an access
    # control list the trust rule must see.
    libcap2-bin acl
    # The two that start autostart entries, to check ours with: GIO's gio launch, systemd's generator.
    libglib2.0-bin systemd
    # GNOME's window manager, and the sound server Debian's GNOME runs.
    mutter pipewire wireplumber pipewire-pulse
    # What Qt loads on a GNOME desktop (recommended by Qt itself), and another program to type into.
    qt6-gtk-platformtheme python3-gi gir1.2-gtk-3.0
    # libFuzzer's runtime is only recommended by clang, and recommendations are not installed.
    clang libclang-rt-14-dev
    # The ring as a media player, driven as a locked screen's media controls drive it; the X screen
    # saver switched on before a ring, and its state read back.
    playerctl x11-xserver-utils python3-xlib
)
# Only the bench needs these: it keeps both cores busy for the onset under load.
BENCH_PACKAGES=(
    stress-ng
)
# The user units of the sound servers. The tests start their own servers privately; whichever one
# the user's login starts must stay the one it starts.
SOUND_UNITS='^(pulseaudio|pipewire|pipewire-pulse|wireplumber)\.(service|socket)$'

want=("${BUILD_PACKAGES[@]}")
case "${1:-build}" in
build) ;;
package) want+=("${PACKAGE_PACKAGES[@]}") ;;
test) want+=("${PACKAGE_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
bench) want+=("${PACKAGE_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${BENCH_PACKAGES[@]}") ;;
*) echo "usage: deps.sh [build|package|test|bench]" >&2; exit 2 ;;
esac

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
# Installing pulseaudio and pipewire-pulse enables both for every login, and they conflict: whatever
# the install enables of them is taken back, so the login starts the same sound server as before.
user_units() { find /etc/systemd/user -type l 2>/dev/null | sort; }
units_before=$(user_units)
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
comm -13 <(printf '%s\n' "$units_before") <(user_units) | while IFS= read -r link; do
    if [[ "$(basename "$link")" =~ $SOUND_UNITS ]]; then
        $SUDO rm -f "$link"
        echo "Not enabled for logins: $link (the tests start their own sound servers)"
    fi
done
