#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every
# test; ends with ctest's summary and fails when any test fails.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRACKWRIGHT_WERROR=ON
cmake --build build/test -j "$(nproc)"

# Window tests draw offscreen; nothing here needs a display.
export QT_QPA_PLATFORM=offscreen
cd build/test
ctest --output-on-failure -j "$(nproc)"
