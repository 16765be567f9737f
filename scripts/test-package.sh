#!/usr/bin/env bash
# Builds the Debian source and binary packages from debian/ twice, in two folders, at two clock times
# a year apart, with two umasks, locales and time zones, and checks that both builds give the same
# .deb files byte for byte (diffoscope shows what differs when not). Then checks them with lintian
# (pedantic), appstreamcli, desktop-file-validate and man, installs the package on this machine with
# dpkg, starts the installed program as root and as an unprivileged user, presses "Exit", checks that
# each run wrote its own per-user settings file and nothing under /usr, then removes and purges the
# package and checks that none of its files is left.
# Needs root (it asks for sudo itself) and a display (scripts/services.sh).
#   scripts/test-package.sh BUILD_FOLDER      (the packages are made in BUILD_FOLDER/package)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?build folder}" && pwd)
if ! command -v xdotool >/dev/null || [ -z "${DISPLAY:-}" ]; then
    echo "package: no display, skipped"
    [ -z "${KESTRUNE_SKIPS:-}" ] || echo "package: needs a display (scripts/services.sh) and xdotool" >>"$KESTRUNE_SKIPS"
    exit 0
fi
version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
arch=$(dpkg --print-architecture)
out="$build/package"
first="$out/first/kestrune-$version"

# The sources as the working copy has them: tracked and new files, no build folders. Without
# KEEP_TIMES the files get the time of the copy.
copy_sources() {
    local keep=()
    [ "$2" = KEEP_TIMES ] || keep=(--touch)
    mkdir -p "$1"
    (cd "$root" && git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' f; do if [ -e "$f" ] || [ -L "$f" ]; then printf '%s\0' "$f"; fi; done |
        tar --null -T - -cf -) | tar -xf - "${keep[@]}" -C "$1"
}

# The packages are made as the user who builds, so that the build folder stays theirs; only what
# follows needs root.
if [ -z "${KESTRUNE_PACKAGE_MADE:-}" ]; then
    rm -rf "$out"
    copy_sources "$first" KEEP_TIMES
    echo "package: building kestrune $version from debian/ (source and binary)"
    if ! (cd "$first" && umask 022 && env LC_ALL=C.UTF-8 LANG=C.UTF-8 TZ=UTC \
        dpkg-buildpackage -us -uc -J"$(nproc)" >"$out/first.log" 2>&1); then
        tail -n 40 "$out/first.log"
        echo "package: dpkg-buildpackage failed; the log is $out/first.log"
        exit 1
    fi
    # The same sources again elsewhere: a longer path, fresh file times, another umask, locale and
    # time zone, and the clock 398 days ahead.
    again=$(mktemp -d /tmp/kestrune-rebuild.XXXXXX)
    second="$again/some/other/folder/kestrune-$version"
    copy_sources "$second" FRESH_TIMES
    faketime=$(dpkg -L libfaketime 2>/dev/null | grep '/libfaketime\.so\.1$' || true)
    [ -n "$faketime" ] || echo "package: no libfaketime, the second build runs at the real time"
    echo "package: building it again in $again to compare"
    if ! (cd "$second" && umask 002 && env -u LANGUAGE LC_ALL=C LANG=C TZ=Pacific/Kiritimati \
        ${faketime:+LD_PRELOAD="$faketime" FAKETIME=+398d} \
        dpkg-buildpackage -us -uc -b -J"$(nproc)" >"$again/second.log" 2>&1); then
        tail -n 40 "$again/second.log"
        echo "package: the second dpkg-buildpackage failed; the log is $again/second.log"
        exit 1
    fi
    same=yes
    for deb in "$out"/first/*.deb; do
        name=$(basename "$deb")
        if [ ! -f "$second/../$name" ]; then
            echo "package: the second build made no $name"
            same=no
        elif ! cmp -s "$deb" "$second/../$name"; then
            echo "package: $name differs between the two builds:"
            if command -v diffoscope >/dev/null; then
                diffoscope --text - "$deb" "$second/../$name" | head -n 200 || true
            else
                cmp "$deb" "$second/../$name" || true
            fi
            same=no
        fi
    done
    [ "$same" = yes ] || { echo "package: not reproducible; the second build stays in $again"; exit 1; }
    echo "package: two builds gave the same bytes: $(cd "$out/first" && echo *.deb)"
    rm -rf "$again"
fi
if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=DISPLAY,XDG_RUNTIME_DIR,DBUS_SESSION_BUS_ADDRESS,KESTRUNE_SKIPS \
        env KESTRUNE_PACKAGE_MADE=1 "$0" "$build"
fi
deb="$out/first/kestrune_${version}_${arch}.deb"
scratch=$(mktemp -d /tmp/kestrune-package.XXXXXX)
chmod 0755 "$scratch"
pid=""
installed=""
previous=""
stray_before=$([ -e /usr/bin/settings.txt ] && echo yes || echo no)
cleanup() {
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true
    if [ -n "$installed" ]; then
        dpkg -P kestrune >/dev/null 2>&1 || true
    fi
    # The version that was installed before goes back, as it was.
    if [ -n "$previous" ]; then
        dpkg -i "$previous" >/dev/null 2>&1 || echo "package: could not put back $previous; install it by hand"
    fi
    # A settings file the installed program left in the system folder during this test.
    [ "$stray_before" = no ] && rm -f /usr/bin/settings.txt
    rm -rf "$scratch"
}
trap cleanup EXIT
bad=0
fail() {
    echo "package: $*"
    bad=1
}

echo "package: $(basename "$deb")"
if dpkg-query -W -f='${Status}' kestrune 2>/dev/null | grep -q 'install ok installed'; then
    # This test installs and removes the package: the installed one is packed up as it stands and
    # put back at the end.
    mkdir "$scratch/previous"
    (cd "$scratch/previous" && dpkg-repack kestrune >/dev/null) || { echo "package: cannot repack the installed kestrune"; exit 1; }
    previous=$(ls "$scratch"/previous/kestrune_*.deb)
    dpkg -P kestrune >/dev/null
    echo "package: the installed $(basename "$previous") is put back afterwards"
fi

# 1. Debian's checks, on the source package and on the binary packages at once. Run as an
# unprivileged user: lintian warns when run as root.
# No tag is suppressed today; a tag named here must say why it cannot be mended.
suppressed=()
mkdir "$scratch/lintian"
cp "$out"/first/kestrune*_"$version"* "$scratch/lintian/"
# lintian's own temporary folders go into the scratch folder too, not into /tmp.
install -d -o nobody -g nogroup "$scratch/lintian-home" "$scratch/lintian-tmp"
if ! setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$scratch/lintian-home" TMPDIR="$scratch/lintian-tmp" \
    lintian --pedantic --fail-on error,warning --display-info \
    ${suppressed:+--suppress-tags "$(IFS=,; echo "${suppressed[*]}")"} \
    "$scratch/lintian/kestrune_${version}_${arch}.changes" >"$scratch/lintian.log" 2>&1; then
    fail "lintian:"
    cat "$scratch/lintian.log"
elif [ -s "$scratch/lintian.log" ]; then
    sed 's/^/package: lintian: /' "$scratch/lintian.log"
fi
dpkg -x "$deb" "$scratch/unpacked"
appstreamcli validate --no-net --pedantic "$scratch/unpacked/usr/share/metainfo/org.kestrune.Kestrune.metainfo.xml" \
    >"$scratch/appstream.log" 2>&1 || { fail "appstreamcli:"; cat "$scratch/appstream.log"; }
desktop-file-validate "$scratch/unpacked/usr/share/applications/org.kestrune.Kestrune.desktop" \
    >"$scratch/desktop.log" 2>&1 || true
[ ! -s "$scratch/desktop.log" ] || { fail "desktop-file-validate:"; cat "$scratch/desktop.log"; }
LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$scratch/unpacked/usr/share/man/man1/kestrune.1.gz" \
    2>"$scratch/man.log" >/dev/null || fail "man -l failed"
[ ! -s "$scratch/man.log" ] || { fail "the manual page renders with warnings:"; cat "$scratch/man.log"; }
# The bash completion offers the options and the days --repeat takes.
completion="$scratch/unpacked/usr/share/bash-completion/completions/kestrune"
completed=$(bash -c 'source "$1" && COMP_WORDS=(kestrune --set 07:30:00 --repeat week) COMP_CWORD=4 && _kestrune &&
    echo "${COMPREPLY[*]}"' _ "$completion" 2>&1) || true
[ "$completed" = "weekdays weekends" ] || fail "the bash completion offers '$completed' for --repeat week"
depends=$(dpkg-deb -f "$deb" Depends)
names=$(sed -E 's/ *\([^)]*\)//g; s/, */\n/g' <<<"$depends")
for p in libc6 libstdc++6 libqt6widgets6 libcanberra0 gstreamer1.0-plugins-good gstreamer1.0-plugins-base \
    libcanberra-pulse fonts-liberation libcap2-bin; do
    grep -qxF "$p" <<<"$names" || fail "Depends lacks $p: $depends"
done
# The Debian build's own tree, where dh_auto_build left it.
"$root/scripts/check-binary.sh" "$first/obj-$(dpkg-architecture -qDEB_HOST_GNU_TYPE)" "$scratch/unpacked/usr/bin/kestrune" || bad=1

# 2. Install it here.
dpkg-deb -c "$deb" | awk '{ print substr($6, 2) }' | sed 's|/$||' | grep -v '^$' >"$scratch/contents"
installed=yes
dpkg -i "$deb" >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log"; echo "package: dpkg -i failed"; exit 1; }
# dpkg carries no file capability: the postinst gives the wake program the one it needs.
wake=$(grep -E '/kestrune/kestrune-wake$' "$scratch/contents" || true)
if [ -n "$wake" ]; then
    getcap "/$wake" | grep -q 'cap_wake_alarm=ep' || fail "/$wake lacks cap_wake_alarm+ep: '$(getcap "/$wake")'"
fi
touch "$scratch/stamp"
sleep 1

# Starts the installed program as the given user with a scratch home, presses "Exit" and checks what
# it wrote.
run_as() {
    local who=$1 home="$scratch/home-$1"
    mkdir -p "$home"
    chown "$who:$(id -gn "$who")" "$home"
    chmod 0700 "$home"
    local -a as=() envs=(PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 DISPLAY="$DISPLAY")
    if [ "$who" = root ]; then
        # A runtime folder of root's own: the caller's, when sudo brought it, is not root's, and Qt would
        # then make /tmp/runtime-root and leave it there. The sound server stays the caller's.
        mkdir -m 0700 "$home/runtime"
        envs+=(XDG_RUNTIME_DIR="$home/runtime" DBUS_SESSION_BUS_ADDRESS="${DBUS_SESSION_BUS_ADDRESS:-}")
        [ -S "${XDG_RUNTIME_DIR:-}/pulse/native" ] && envs+=(PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native")
    else
        as=(setpriv --reuid="$who" --regid="$(id -gn "$who")" --clear-groups)
        "${as[@]}" mkdir -m 0700 "$home/runtime"
        # Neither root's sound server nor its session bus: absent ones named outright also keep
        # PulseAudio and D-Bus from starting their own for this user.
        envs+=(XDG_RUNTIME_DIR="$home/runtime" PULSE_SERVER=unix:/nonexistent
            DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent)
    fi
    (cd "$scratch" && exec "${as[@]}" env -i "${envs[@]}" /usr/bin/kestrune >"$scratch/out-$who.log" 2>&1) &
    pid=$!
    local window="" candidate
    # shellcheck disable=SC2034 # set by getwindowgeometry --shell
    local WIDTH HEIGHT X Y SCREEN WINDOW
    for _ in $(seq 150); do
        # The tray icon's window bears the same name: the main window is the one taller than 100.
        for candidate in $(xdotool search --onlyvisible --pid "$pid" --name '^Kestrune$' 2>/dev/null || true); do
            eval "$(xdotool getwindowgeometry --shell "$candidate")"
            [ "$HEIGHT" -gt 100 ] && window=$candidate && break
        done
        [ -n "$window" ] && break
        kill -0 "$pid" 2>/dev/null || { fail "$who: the installed program ended early"; cat "$scratch/out-$who.log"; pid=""; return; }
        sleep 0.1
    done
    [ -n "$window" ] || { fail "$who: no main window"; return; }

    # Press "Exit": client area below the menu bar, button at (272, 96) size 73x25. The pointer
    # leaves first, as the last run's click left it where this one's button is.
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove 0 0
    sleep 0.5
    xdotool mousemove --window "$window" 308 $((HEIGHT - 136 + 108)) click 1
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
        fail "$who: Exit did not end the program"
        cat "$scratch/out-$who.log"
        return
    fi
    wait "$pid" || true
    pid=""

    local stored="$home/.config/kestrune/settings.txt"
    if [ ! -f "$stored" ]; then
        fail "$who: no settings in $stored"
        cat "$scratch/out-$who.log"
    else
        [ "$(stat -c %U "$stored")" = "$who" ] || fail "$who: $stored belongs to $(stat -c %U "$stored")"
        printf '"","",1,-2147483640,12648447\r\n' | cmp -s - "$stored" ||
            { fail "$who: unexpected settings line"; od -c "$stored"; }
    fi
    # Apart from its settings, only caches (GStreamer's plugin registry) may appear in the home.
    local others
    others=$(cd "$home" && find . -type f ! -path './.config/kestrune/settings.txt' ! -path './.cache/*' ! -path './runtime/*')
    [ -z "$others" ] || fail "$who: wrote more than its settings into its home: $others"
    [ ! -e /usr/bin/settings.txt ] || fail "$who: settings written into the system folder /usr/bin/settings.txt"
    local system
    system=$(find /usr -xdev -newer "$scratch/stamp" 2>/dev/null | head -n 20)
    [ -z "$system" ] || fail "$who: changed under /usr: $system"
}

# 3. As root, then as an unprivileged user.
run_as root
[ "$stray_before" = no ] && rm -f /usr/bin/settings.txt
touch "$scratch/stamp"
run_as nobody

# 4. Remove, purge, and look for anything left.
dpkg -r kestrune >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log"; fail "dpkg -r failed"; }
dpkg -P kestrune >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log"; fail "dpkg -P failed"; }
installed=""
status=$(dpkg-query -W -f='${Status}' kestrune 2>/dev/null || true)
[ -z "$status" ] || [[ "$status" == *not-installed ]] || fail "dpkg still holds kestrune: $status"
while IFS= read -r f; do
    if [ -d "/$f" ] && [ ! -L "/$f" ]; then
        # A folder may stay only while another package owns it.
        dpkg -S "/$f" >/dev/null 2>&1 || fail "folder left after removal: /$f"
    elif [ -e "/$f" ] || [ -L "/$f" ]; then
        fail "file left after removal: /$f"
    fi
done <"$scratch/contents"

[ "$bad" -eq 0 ] || exit 1
echo "package: lintian clean; installed, run as root and as nobody, each saved only its own settings; removed without a trace"
