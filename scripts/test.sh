#!/usr/bin/env bash
# Installs what is missing, builds, starts the services the tests need, runs every test and stops
# the services again. Exits non-zero on any failure.
#   scripts/test.sh            everything: logic and end-to-end tests, binary checks, sanitizers, fuzzing,
#                              the Debian package built twice and compared, installed and removed (the
#                              sanitizers' and the package's builds run beside the end-to-end tests)
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
# "seconds name" of each test and step, for the summary.
times=()
# Runs ctest and adds its counts to the totals.
run_ctest() {
    local label=$1
    shift
    local log="$root/artifacts/ctest-$label.log"
    local rc=0
    ctest "$@" --output-on-failure 2>&1 | tee "$log" || rc=$?
    local timed
    while read -r timed; do times+=("$timed"); done < <(sed -nE \
        "s/^ *[0-9]+\/[0-9]+ +Test +#[0-9]+: ([^ ]+) .* ([0-9.]+) sec\$/\2 \1 ($label)/p" "$log")
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
    local started=$SECONDS
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        failures+=("$label")
    fi
    times+=("$((SECONDS - started)) $label")
}
# Times a build that is not a check.
timed() {
    local label=$1 started=$SECONDS
    shift
    "$@"
    times+=("$((SECONDS - started)) $label")
}

echo "== build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
timed build cmake --build "$build" -j"$jobs"

# shellcheck source=services.sh
source "$root/scripts/services.sh"
finish() {
    [ -z "${background:-}" ] || kill "$background" 2>/dev/null || true
    services_stop
    rm -rf "$scratch"
}
trap finish EXIT
services_start

run_step layers python3 "$root/scripts/check-layers.py"

asan="$root/build-asan"
if [ -z "${KESTRUNE_QUICK:-}" ]; then
    # The end-to-end tests mostly wait on the clock (rings, fades, recordings). The sanitizers' build
    # and the package's two builds run beside them at the lowest CPU and disk priority, so they take
    # only what the tests leave; each writes its status and seconds to a file of its own.
    echo "== building build-asan and the package beside the tests (artifacts/background-builds.log)"
    (
        renice -n 19 -p "$BASHPID" >/dev/null
        ionice -c 3 -p "$BASHPID" 2>/dev/null || true
        started=$SECONDS
        if cmake -S "$root" -B "$asan" -DCMAKE_BUILD_TYPE=Debug -DKESTRUNE_SANITIZE=ON -DBUILD_TESTING=ON >/dev/null &&
            cmake --build "$asan" -j"$jobs"; then
            echo "ok $((SECONDS - started))" >"$root/artifacts/build-asan.status"
        else
            echo "failed $((SECONDS - started))" >"$root/artifacts/build-asan.status"
        fi
        started=$SECONDS
        if KESTRUNE_PACKAGE_BUILD_ONLY=1 "$root/scripts/test-package.sh" "$build"; then
            echo "ok $((SECONDS - started))" >"$root/artifacts/package-build.status"
        else
            echo "failed $((SECONDS - started))" >"$root/artifacts/package-build.status"
        fi
    ) >"$root/artifacts/background-builds.log" 2>&1 &
    background=$!
fi
# The status "ok" or "failed" a background build wrote, its time added to the summary's.
background_status() {
    local status seconds
    read -r status seconds <"$root/artifacts/$1.status" || status=failed
    times+=("${seconds:-0} $1 (beside the tests)")
    [ "$status" = ok ]
}

echo "== logic and end-to-end tests"
run_ctest tests --test-dir "$build" --timeout 600

# RUNPATH, hardening flags and a library planted in the start folder, on the built program.
run_step binary "$root/scripts/check-binary.sh" "$build"

if [ -z "${KESTRUNE_QUICK:-}" ]; then
    waited=$SECONDS
    wait "$background" || true
    times+=("$((SECONDS - waited)) waiting for the builds beside the tests")
    echo "== logic tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    if background_status build-asan; then
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            run_ctest sanitizers --test-dir "$asan" -L logic --timeout 600
    else
        tail -n 40 "$root/artifacts/background-builds.log"
        failed=$((failed + 1))
        failures+=(build-asan)
    fi

    if [ -x "$root/scripts/fuzz.sh" ]; then
        run_step fuzz-settings "$root/scripts/fuzz.sh" 60
    fi
    # The package, built twice beside the tests and compared byte for byte there (two optimised builds,
    # a few minutes each), is installed on this machine (asking for sudo when not root), run and removed.
    if background_status package-build; then
        KESTRUNE_PACKAGE_MADE=1 run_step package "$root/scripts/test-package.sh" "$build"
    else
        grep '^package:' "$root/artifacts/background-builds.log" || true
        failed=$((failed + 1))
        failures+=(package)
    fi
fi

echo
echo "Times, longest first (seconds; the whole run: $SECONDS):"
printf '%s\n' "${times[@]}" | sort -rn | awk '{ t = $1; $1 = ""; printf "  %7.1f%s\n", t, $0 }'
[ ${#failures[@]} -eq 0 ] || echo "Failed: ${failures[*]}"
# The sanitizers' run repeats the logic tests' skips: each is listed once.
skips=$(awk '!seen[$0]++' "$KESTRUNE_SKIPS" | grep -c . || true)
if [ "$skips" -gt 0 ]; then
    echo "Skipped:"
    awk '!seen[$0]++ { print "  " $0 }' "$KESTRUNE_SKIPS"
fi
echo "$passed passed, $failed failed, $skips skipped"
[ "$failed" -eq 0 ]
