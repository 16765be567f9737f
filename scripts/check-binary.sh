#!/usr/bin/env bash
# Checks what the built program loads and how it was hardened:
#   - every executable in the build folder has a RUNPATH of absolute folders only (an empty entry is
#     read by the loader as the current folder), and the installed program has none at all;
#   - the program has stack canaries, checked libc calls, and a relocation table bound at start;
#   - a library planted in the folder the program is started from is not loaded by the sound program.
#   scripts/check-binary.sh BUILD_FOLDER [INSTALLED_PROGRAM]
# Without INSTALLED_PROGRAM the build is installed into a scratch folder to get one.
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
installed=${2:-}
scratch=$(mktemp -d /tmp/kestrune-binary.XXXXXX)
pid=""
cleanup() {
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
bad=0
fail() {
    echo "binary: $*"
    bad=1
}

# The RUNPATH or RPATH of an ELF file, empty when it has none.
runpath() {
    readelf -d "$1" | sed -nE 's/.*\((RUNPATH|RPATH)\).*\[(.*)\]$/\2/p'
}
# Succeeds when every entry of the path list is an absolute folder.
all_absolute() {
    local entry
    local -a entries
    IFS=: read -r -a entries <<<"$1:"
    # read drops one trailing empty field, the one added above; a ':' at the end of $1 stays visible.
    [ "${#entries[@]}" -gt 0 ] || return 1
    for entry in "${entries[@]}"; do
        [[ "$entry" == /* ]] || return 1
    done
}

# 1. RUNPATH of everything built.
executables=0
while IFS= read -r -d '' f; do
    head -c 4 "$f" | grep -q 'ELF' || continue
    executables=$((executables + 1))
    path=$(runpath "$f")
    if [ -n "$path" ] && ! all_absolute "$path"; then
        fail "${f#"$build"/} has a RUNPATH with an empty or relative entry: '$path'"
    fi
done < <(find "$build" -type f -perm -u+x ! -path '*/CMakeFiles/*' -print0)
[ "$executables" -gt 0 ] || fail "no executables in $build"
[ -x "$build/src/kestrune" ] || fail "no program at $build/src/kestrune"

# 2. The installed program: no RUNPATH at all.
if [ -z "$installed" ]; then
    DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr >/dev/null
    installed="$scratch/root/usr/bin/kestrune"
fi
[ -x "$installed" ] || { echo "binary: no installed program at $installed"; exit 1; }
path=$(runpath "$installed")
[ -z "$path" ] || fail "the installed program has a RUNPATH: '$path'"

# 3. Hardening, on the build-tree and on the installed program and sound program.
# Checked libc calls are made where sizes are known, which is in the sound code more than anywhere:
# counted over all.
installed_host=$(dirname "$installed")/../lib/$(gcc -print-multiarch)/kestrune/kestrune-sound-host
[ -x "$installed_host" ] || fail "no sound program installed at $installed_host"
installed_wake=$(dirname "$installed_host")/kestrune-wake
[ -x "$installed_wake" ] || fail "no wake program installed at $installed_wake"
checked=""
for program in "$build/src/kestrune" "$installed" "$build/src/kestrune-sound-host" "$installed_host" \
    "$build/src/kestrune-wake" "$installed_wake"; do
    name=${program#"$scratch"/root}
    symbols=$(readelf --dyn-syms -W "$program")
    grep -q ' __stack_chk_fail' <<<"$symbols" || fail "$name has no stack protector (__stack_chk_fail)"
    checked+=$(grep -oE ' __[a-z0-9_]+_chk\b' <<<"$symbols" | grep -v __stack_chk_fail | sort -u || true)
    dynamic=$(readelf -d "$program")
    grep -qE '\(BIND_NOW\)|\(FLAGS\).*\bNOW\b|\(FLAGS_1\).*\bNOW\b' <<<"$dynamic" || fail "$name is not bound at start (BIND_NOW)"
    readelf -lW "$program" | grep -q GNU_RELRO || fail "$name has no read-only relocations (RELRO)"
    grep -qE '\(FLAGS_1\).*\bPIE\b' <<<"$dynamic" || fail "$name is not position-independent (PIE)"
done

# The wake program runs with a file capability, under which the loader is in secure mode: it links
# nothing but the C and C++ runtimes.
for wake in "$build/src/kestrune-wake" "$installed_wake"; do
    others=$(readelf -d "$wake" | sed -nE 's/.*\(NEEDED\).*\[(.*)\]/\1/p' |
        grep -vxE 'libstdc\+\+\.so\.6|libm\.so\.6|libgcc_s\.so\.1|libc\.so\.6' || true)
    [ -z "$others" ] || fail "${wake#"$scratch"/root} links more than the C and C++ runtimes: $others"
done

[ -n "$checked" ] || fail "neither the program nor its sound program calls a checked libc function (_FORTIFY_SOURCE)"

# 4. A library planted in the start folder. Its constructor leaves a marker; it exports the
# functions the real library has, so that binding at load cannot refuse it before the constructor
# would run. The program links only Qt and the C++ runtime; the sound stack comes with the sound
# program, started here from that folder as the program starts it (its input closed, it ends at once).
planted=libcanberra.so.0
real=$(ldd "$build/src/kestrune-sound-host" | sed -nE "s|^\s*$planted => (/[^ ]+) .*|\1|p")
[ -n "$real" ] || { echo "binary: the sound program does not link $planted"; exit 1; }
real=$(readlink -f "$real")
mkdir -p "$scratch/start"
marker="$scratch/planted-library-loaded"
{
    echo '#include <fcntl.h>'
    echo '#include <unistd.h>'
    echo "__attribute__((constructor)) static void planted(void) { close(open(\"$marker\", O_CREAT | O_WRONLY, 0600)); }"
    nm -D --defined-only "$real" | awk '$2 == "T" { print $3 }' | sed 's/@.*//' | sort -u |
        while read -r fn; do echo "void $fn(void) {}"; done
} >"$scratch/planted.c"
gcc -shared -fPIC -o "$scratch/start/$planted" -Wl,-soname,"$planted" "$scratch/planted.c"

for host in "$build/src/kestrune-sound-host" "$installed_host"; do
    name=${host#"$scratch"/root}
    rm -f "$marker"
    (cd "$scratch/start" && env -u LD_LIBRARY_PATH -u LD_PRELOAD timeout 10 "$host" </dev/null >/dev/null 2>"$scratch/run.log")
    code=$?
    if [ -e "$marker" ]; then
        fail "$name started from a folder loaded the $planted planted there"
    elif [ "$code" -ne 0 ]; then
        fail "$name did not start and end cleanly (status $code):"
        cat "$scratch/run.log"
    fi
done

[ "$bad" -eq 0 ] || exit 1
echo "binary: RUNPATH of $executables executables, hardening and a planted $planted checked"
