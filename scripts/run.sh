#!/usr/bin/env bash
# Installs what is missing, builds Kestrune, puts a link to it in ~/.local/bin so that `kestrune`
# works from a shell, and starts it. Run it as your normal user: installing asks for sudo by itself,
# and the program is never started as root. KESTRUNE_NO_LINK=1 leaves ~/.local/bin alone.
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

# `kestrune --status` and the like from a shell: a link in ~/.local/bin, which Debian's ~/.profile
# puts on PATH when it exists. An installed package's /usr/bin/kestrune is not shadowed, and a file
# there that is not a link is left as it is.
link="$HOME/.local/bin/kestrune"
program="$root/build/src/kestrune"
if [ -n "${KESTRUNE_NO_LINK:-}" ]; then
    :
elif [ -e /usr/bin/kestrune ]; then
    echo "run.sh: the installed /usr/bin/kestrune is what \`kestrune\` runs from a shell; no link made." >&2
elif [ -e "$link" ] && [ ! -L "$link" ]; then
    echo "run.sh: $link is not a link; left as it is, so \`kestrune\` may not be this build." >&2
elif [ "$(readlink "$link" 2>/dev/null)" != "$program" ]; then
    mkdir -p "$HOME/.local/bin"
    ln -sfn "$program" "$link"
    echo "run.sh: linked $link to $program" >&2
fi
case ":$PATH:" in
*":$HOME/.local/bin:"*) ;;
*) [ -n "${KESTRUNE_NO_LINK:-}" ] || [ ! -L "$link" ] ||
    echo "run.sh: ~/.local/bin is not on PATH yet: log in again, or run: export PATH=\"\$HOME/.local/bin:\$PATH\"" >&2 ;;
esac
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Kestrune is built ($root/build/src/kestrune) but there is no display to open its window on." >&2
    echo "Run this from a desktop session (DISPLAY or WAYLAND_DISPLAY set)." >&2
    exit 1
fi
exec "$root/build/src/kestrune"
