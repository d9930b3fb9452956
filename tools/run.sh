#!/usr/bin/env bash
# Builds what exists so far and runs it. Until the emulator and the tools exist this runs the unit tests.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/run
ctest --test-dir build/run -L unit --output-on-failure
