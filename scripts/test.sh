#!/usr/bin/env bash
# Installs what is missing, builds, starts the services the tests need, runs every test and stops
# the services again. Exits non-zero on any failure.
#   scripts/test.sh            everything: logic and end-to-end tests, binary checks, sanitizers, fuzzing,
#                              the Debian package built twice and compared, installed and removed
#   KESTRUNE_QUICK=1 scripts/test.sh    logic and end-to-end tests and the binary checks only
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-tests"
jobs=$(nproc)

"$root/scripts/deps.sh" test
export LANG=C.UTF-8 LC_ALL=C.UTF-8
mkdir -p "$root/artifacts"
export KESTRUNE_ARTIFACTS="$root/artifacts"
# Every test writes into a home, XDG folders and a temporary folder of this run's own, removed at the
# end: the caches and the sound server's cookie stay out of the user's home, and nothing is left in
# /tmp. The temporary folder is sticky and open to all, as /tmp is, since some tests run a program as
# another user.
scratch=$(mktemp -d /tmp/kestrune-test.XXXXXX)
chmod 0755 "$scratch"
mkdir -p "$scratch/home" "$scratch/tmp"
chmod 1777 "$scratch/tmp"
trap 'rm -rf "$scratch"' EXIT
# The XDG folders follow HOME: named outright they would also reach the programs a test starts with
# a home of their own, as another user.
export HOME="$scratch/home" TMPDIR="$scratch/tmp"
unset XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME XDG_STATE_HOME
# Each skipped case adds a line "what: why" here; the summary lists them.
export KESTRUNE_SKIPS="$root/artifacts/skipped.txt"
: >"$KESTRUNE_SKIPS"

passed=0
failed=0
failures=()
# Runs ctest and adds its counts to the totals.
run_ctest() {
    local label=$1
    shift
    local log="$root/artifacts/ctest-$label.log"
    local rc=0
    ctest "$@" --output-on-failure 2>&1 | tee "$log" || rc=$?
    local line
    line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
    if [ -n "$line" ]; then
        local total bad
        bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
        total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
        # ctest counts a test that skipped as a whole (exit 77) among the passed: it is not one.
        skipped=$(grep -cE '^[[:space:]]*[0-9]+ - .* \(Skipped\)$' "$log" || true)
        passed=$((passed + total - bad - skipped))
        failed=$((failed + bad))
        [ "$bad" -eq 0 ] || failures+=("$label")
    elif [ "$rc" -ne 0 ]; then
        failed=$((failed + 1))
        failures+=("$label")
    fi
}
# Runs one more check that is not a ctest.
run_step() {
    local label=$1
    shift
    echo "== $label"
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        failures+=("$label")
    fi
}

echo "== build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" -j"$jobs"

# shellcheck source=services.sh
source "$root/scripts/services.sh"
finish() {
    services_stop
    rm -rf "$scratch"
}
trap finish EXIT
services_start

run_step layers python3 "$root/scripts/check-layers.py"

echo "== logic and end-to-end tests"
run_ctest tests --test-dir "$build" --timeout 600

# RUNPATH, hardening flags and a library planted in the start folder, on the built program.
run_step binary "$root/scripts/check-binary.sh" "$build"

if [ -z "${KESTRUNE_QUICK:-}" ]; then
    echo "== logic tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    asan="$root/build-asan"
    cmake -S "$root" -B "$asan" -DCMAKE_BUILD_TYPE=Debug -DKESTRUNE_SANITIZE=ON -DBUILD_TESTING=ON >/dev/null
    cmake --build "$asan" -j"$jobs"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        run_ctest sanitizers --test-dir "$asan" -L logic --timeout 600

    if [ -x "$root/scripts/fuzz.sh" ]; then
        run_step fuzz-settings "$root/scripts/fuzz.sh" 60
    fi
    # Builds the package from debian/ twice and compares the bytes (two optimised builds, a few minutes
    # each), then installs it on this machine (asking for sudo when not root), runs it and removes it.
    run_step package "$root/scripts/test-package.sh" "$build"
fi

echo
[ ${#failures[@]} -eq 0 ] || echo "Failed: ${failures[*]}"
# The sanitizers' run repeats the logic tests' skips: each is listed once.
skips=$(awk '!seen[$0]++' "$KESTRUNE_SKIPS" | grep -c . || true)
if [ "$skips" -gt 0 ]; then
    echo "Skipped:"
    awk '!seen[$0]++ { print "  " $0 }' "$KESTRUNE_SKIPS"
fi
echo "$passed passed, $failed failed, $skips skipped"
[ "$failed" -eq 0 ]
