#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and starts the installed program once,
# as from a system-wide install: the install folder is not writable, so the settings must go to the
# per-user configuration folder. Needs a display (scripts/services.sh).
set -euo pipefail
build=${1:?build folder}
command -v xdotool >/dev/null && [ -n "${DISPLAY:-}" ] || { echo "package: no display, skipped"; exit 0; }

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/kestrune_*.deb | head -n 1)
scratch=$(mktemp -d /tmp/kestrune-package.XXXXXX)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    chmod -R u+w "$scratch" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT

dpkg -x "$deb" "$scratch/root"
for f in usr/bin/kestrune usr/share/applications/kestrune.desktop usr/share/metainfo/kestrune.metainfo.xml \
    usr/share/icons/hicolor/48x48/apps/kestrune.png; do
    [ -e "$scratch/root/$f" ] || { echo "package: $f is missing"; exit 1; }
done
dpkg-deb -f "$deb" Depends | grep -q libcanberra-pulse || { echo "package: dependencies incomplete"; exit 1; }
# A system folder: nobody may write there, root included.
chmod 0555 "$scratch/root/usr/bin"

mkdir -p "$scratch/config"
XDG_CONFIG_HOME="$scratch/config" "$scratch/root/usr/bin/kestrune" >"$scratch/out.log" 2>&1 &
pid=$!
window=""
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^Kestrune$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || { echo "package: the installed program ended early"; cat "$scratch/out.log"; exit 1; }
    sleep 0.1
done
[ -n "$window" ] || { echo "package: no main window"; exit 1; }

# Press "Exit": client area below the menu bar, button at (272, 96) size 73x25.
eval "$(xdotool getwindowgeometry --shell "$window")"
menu=$((HEIGHT - 136))
xdotool mousemove --window "$window" 308 $((menu + 108)) click 1
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
    echo "package: Exit did not end the program"
    exit 1
fi
wait "$pid" || true
pid=""

stored="$scratch/config/kestrune/settings.txt"
[ -f "$stored" ] || { echo "package: no settings in the per-user folder"; cat "$scratch/out.log"; exit 1; }
[ ! -e "$scratch/root/usr/bin/settings.txt" ] || { echo "package: settings written into the install folder"; exit 1; }
printf '"","",1,-2147483640,12648447\r\n' | cmp -s - "$stored" || { echo "package: unexpected settings line"; od -c "$stored"; exit 1; }
echo "package: installed program started, saved its settings to the per-user folder and ended"
