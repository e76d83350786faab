#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every
# test, runs the fuzz targets briefly, then builds and runs every test again under
# AddressSanitizer and UndefinedBehaviorSanitizer; ends with ctest's summary and fails
# when any test fails or any fuzz target crashes.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRACKWRIGHT_WERROR=ON
cmake --build build/test -j "$(nproc)"

# The tests' own sound server: the audio tests play into its null sink and capture its
# monitor. It is stopped whatever happens. A test whose tool or sound server is missing
# fails; with TRACKWRIGHT_ALLOW_SKIPS=1 (a run by hand on a machine without them) it is
# skipped instead.
pulse_runtime="$PWD/build/test/pulse-runtime"
trap "'$PWD/scripts/pulse-test-server.sh' stop '$pulse_runtime' >/dev/null" EXIT
if ! ./scripts/pulse-test-server.sh start "$pulse_runtime" && [ "${TRACKWRIGHT_ALLOW_SKIPS:-}" != 1 ]; then
  echo "test.sh: the test sound server did not start (TRACKWRIGHT_ALLOW_SKIPS=1 runs without it)" >&2
  exit 1
fi
export XDG_RUNTIME_DIR="$pulse_runtime"
unset PULSE_SERVER

# Window tests draw offscreen; nothing here needs a display.
export QT_QPA_PLATFORM=offscreen
# Each test has its own time limit; --timeout is the limit of any test that has none.
(cd build/test && ctest --output-on-failure --timeout 600 -j "$(nproc)")

# Each reader of outside bytes fed random input for a while (scripts/fuzz.sh runs them longer).
echo "== the fuzz targets, 20 seconds each"
./scripts/fuzz.sh 20

# Every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer: a
# memory fault, a leak or undefined behaviour anywhere fails its test.
echo "== every test again under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRACKWRIGHT_WERROR=ON -DTRACKWRIGHT_BENCH=OFF \
  -DTRACKWRIGHT_TSAN=OFF -DTRACKWRIGHT_SANITIZE=address,undefined
cmake --build build/sanitize -j "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
cd build/sanitize
ctest --output-on-failure --timeout 600 -j "$(nproc)"
