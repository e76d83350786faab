#!/usr/bin/env bash
# Installs what is missing, builds the program (Release) and starts it. Arguments are
# passed on to the program (a .mix, .wav or .mp3 file to open).
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
# The program, trackwright-cli and the screenshot tour; the tests and benchmarks are
# test.sh's.
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DTRACKWRIGHT_TESTS=OFF -DTRACKWRIGHT_BENCH=OFF
cmake --build build/release -j "$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "Start it from a desktop session, or under a virtual one: xvfb-run -a ./run.sh" >&2
  exit 1
fi
exec build/release/ui/trackwright "$@"
