#!/usr/bin/env bash
# Everything CI checks, from a fresh machine: install what is missing, build under ASan/UBSan and
# run every test (the windows offscreen), then the core's threaded tests again under TSan, then a
# short smoke run of each fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

jobs=$(nproc)
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DR4860_SANITIZE=address,undefined
cmake --build build/asan -j "$jobs"
ctest --test-dir build/asan --output-on-failure -j "$jobs" --timeout 600

# TSan does not know Qt's internals: the windows are checked in the ASan/UBSan run above.
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DR4860_SANITIZE=thread -DR4860_GUI=OFF
cmake --build build/tsan -j "$jobs"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build/tsan --output-on-failure -j "$jobs" --timeout 600 -L 'unit|integration'

if [ -d tests/fuzz ]; then
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DR4860_FUZZ=ON \
    -DR4860_GUI=OFF
  cmake --build build/fuzz -j "$jobs" --target r4860_fuzzers
  R4860_FUZZ_SECONDS=${R4860_FUZZ_SECONDS:-20} ctest --test-dir build/fuzz --output-on-failure -L fuzz
fi
