#!/usr/bin/env bash
# Fuzzes the settings reader and writer with clang's libFuzzer for a bounded time, outside the main
# build so that the usual g++ build needs no clang. Exits non-zero when an input crashes, hangs or
# breaks the round trip; the input is kept in the output folder.
#   scripts/fuzz.sh [seconds]     default 60
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
out="$root/build-fuzz"
mkdir -p "$out"

if qt_cflags=$(pkg-config --cflags Qt6Core 2>/dev/null) && qt_libs=$(pkg-config --libs Qt6Core 2>/dev/null); then
    :
else
    qt_include=/usr/include/$(gcc -print-multiarch)/qt6
    qt_cflags="-I$qt_include -I$qt_include/QtCore"
    qt_libs=-lQt6Core
fi

# Qt's headers insist on position-independent code.
# shellcheck disable=SC2086
clang++ -std=c++20 -g -O1 -fPIC -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    $qt_cflags -I"$root/src" \
    "$root/tests/fuzz/FuzzSettingsFile.cpp" \
    "$root/src/core/SettingsFile.cpp" \
    "$root/src/core/SettingsFieldReader.cpp" \
    "$root/src/core/SettingsLocation.cpp" \
    "$root/src/core/PathTrust.cpp" \
    "$root/src/core/ExecutableFolder.cpp" \
    "$root/src/core/LogCategories.cpp" \
    $qt_libs -o "$out/FuzzSettingsFile"

# A fresh copy of the committed seeds each time: the run may add to it, the seeds stay as they are.
rm -rf "$out/corpus"
cp -r "$root/tests/fuzz/corpus" "$out/corpus"

log="$out/fuzz.log"
rc=0
"$out/FuzzSettingsFile" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$out/" "$out/corpus" >"$log" 2>&1 || rc=$?

runs=$(sed -nE 's/^Done ([0-9]+) runs in ([0-9]+) second.*/\1/p' "$log" | tail -n 1)
time=$(sed -nE 's/^Done ([0-9]+) runs in ([0-9]+) second.*/\2/p' "$log" | tail -n 1)
if [ "$rc" -eq 0 ] && [ -n "$runs" ]; then
    echo "fuzz-settings: $runs runs in ${time} s ($((runs / (time > 0 ? time : 1))) per second), $(find "$out/corpus" -type f | wc -l) inputs in the corpus, no failure"
    exit 0
fi
tail -n 40 "$log" >&2
echo "fuzz-settings: FAILED (exit $rc); the failing input is in $out/ (crash-*, timeout-*, leak-*), the log in $log"
exit 1
