#!/usr/bin/env bash
# Installs what is missing, builds Kestrune and starts it. Run it as your normal user: installing
# asks for sudo by itself, and the program is never started as root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" -eq 0 ]; then
    echo "run.sh: not starting Kestrune as root." >&2
    echo "Run scripts/run.sh as your normal user, without sudo; it asks for sudo itself to install packages." >&2
    exit 1
fi
"$root/scripts/deps.sh" build
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build" -j"$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Kestrune is built ($root/build/src/kestrune) but there is no display to open its window on." >&2
    echo "Run this from a desktop session (DISPLAY or WAYLAND_DISPLAY set)." >&2
    exit 1
fi
exec "$root/build/src/kestrune"
