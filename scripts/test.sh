#!/usr/bin/env bash
# Installs what is missing, builds, starts the services the tests need, runs every test and stops
# the services again. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-tests"

"$root/scripts/deps.sh" test
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

# shellcheck source=services.sh
source "$root/scripts/services.sh"
trap services_stop EXIT
services_start

mkdir -p "$root/artifacts"
export KESTRUNE_ARTIFACTS="$root/artifacts"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
status=0
ctest --test-dir "$build" --output-on-failure --timeout 600 || status=$?
exit $status
