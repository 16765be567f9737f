#!/usr/bin/env bash
# Installs what is missing, builds Kestrune and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" build
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build" -j"$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Kestrune is built ($root/build/src/kestrune) but there is no display to open its window on." >&2
    echo "Run this from a desktop session (DISPLAY or WAYLAND_DISPLAY set)." >&2
    exit 1
fi
exec "$root/build/src/kestrune"
