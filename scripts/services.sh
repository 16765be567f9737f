#!/usr/bin/env bash
# Starts and stops what the end-to-end tests need: an X server, a tray host, a sound server with a
# null sink, and the accessibility bus. Source it, then call services_start / services_stop.
# Every service is stopped by the PID it was started with.

SERVICES_DIR=""
SERVICE_PIDS=()
SERVICES_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

_wait_for() { # tries command...
    local tries=$1
    shift
    for _ in $(seq "$tries"); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

_has_name() { # name: owned on the session bus now
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
        "string:$1" 2>/dev/null | grep -q 'boolean true'
}

services_start() {
    # The tests' desktop is none of the user's: a desktop session's names would have Qt load its
    # desktop's theme and dialogs (GNOME's are GTK's), reach its Wayland display or its session manager.
    unset XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP XDG_SESSION_TYPE DESKTOP_SESSION GNOME_DESKTOP_SESSION_ID \
        KDE_FULL_SESSION KDE_SESSION_VERSION WAYLAND_DISPLAY SESSION_MANAGER QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE
    SERVICES_DIR=$(mktemp -d /tmp/kestrune-services.XXXXXX)
    chmod 700 "$SERVICES_DIR"
    export XDG_RUNTIME_DIR="$SERVICES_DIR/runtime"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    export HOME_FOR_TESTS="$SERVICES_DIR/home"
    mkdir -p "$HOME_FOR_TESTS"
    # Mesa finds its shader cache through the password file's home, not $HOME: a desktop started here
    # (mutter, weston) would write into the real home's ~/.cache otherwise.
    export MESA_SHADER_CACHE_DIR="$SERVICES_DIR/mesa-shader-cache"

    # X server on a display number it picks itself: a number guessed free from /tmp may still be taken in the
    # abstract socket namespace, which other machines' servers can share with ours.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$SERVICES_DIR/display" \
        >"$SERVICES_DIR/xvfb.log" 2>&1 &
    SERVICE_PIDS+=($!)
    _wait_for 100 grep -q '^[0-9]' "$SERVICES_DIR/display" || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(head -n 1 "$SERVICES_DIR/display")"
    _wait_for 100 xdpyinfo || { echo "Xvfb did not start" >&2; return 1; }

    # D-Bus session and the accessibility bus, before any client starts. The bus starts nothing on
    # demand (tests/e2e/session-bus.conf): a desktop portal installed here would answer for the tests.
    dbus-daemon --config-file="$SERVICES_ROOT/tests/e2e/session-bus.conf" --nofork --nopidfile --print-address=3 \
        3>"$SERVICES_DIR/bus" >"$SERVICES_DIR/dbus.log" 2>&1 &
    SERVICE_PIDS+=($!)
    _wait_for 100 grep -q . "$SERVICES_DIR/bus" || { echo "dbus-daemon did not start" >&2; return 1; }
    export DBUS_SESSION_BUS_ADDRESS
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$SERVICES_DIR/bus")
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$SERVICES_DIR/atspi.log" 2>&1 &
    SERVICE_PIDS+=($!)
    _wait_for 100 _has_name org.a11y.Bus || { echo "the accessibility bus did not start" >&2; return 1; }

    # Tray host.
    trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
        --transparent false --expand true >"$SERVICES_DIR/trayer.log" 2>&1 &
    export KESTRUNE_TRAYER_PID=$!
    SERVICE_PIDS+=($!)

    # Sound server: user mode, a null sink whose monitor the tests record.
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --log-target=stderr \
        --load=module-native-protocol-unix \
        --load="module-null-sink sink_name=test_sink rate=44100 channels=2" \
        >"$SERVICES_DIR/pulseaudio.log" 2>&1 &
    export KESTRUNE_PULSE_PID=$!
    SERVICE_PIDS+=($!)
    _wait_for 100 pactl info || { echo "PulseAudio did not start" >&2; return 1; }
    pactl set-default-sink test_sink >/dev/null 2>&1 || true
    export KESTRUNE_SERVICES_DIR="$SERVICES_DIR"
}

services_stop() {
    local pid
    for ((i = ${#SERVICE_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${SERVICE_PIDS[$i]}
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${SERVICE_PIDS[@]}"; do
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$pid" 2>/dev/null || true
    done
    SERVICE_PIDS=()
    [ -n "$SERVICES_DIR" ] && rm -rf "$SERVICES_DIR"
}
