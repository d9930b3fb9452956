#!/usr/bin/env bash
# Builds the tools, starts the transducer emulator on a pseudo-terminal (it appears as COM99)
# and talks to it with r4860-cli: reads its configuration, then shows the live measurement until
# Ctrl-C. The windows will take the place of the command-line tool here once they exist.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DR4860_BUILD_TESTS=OFF >/dev/null
cmake --build build/run --target r4860-sim r4860-cli
bin=build/run/bin

"$bin/r4860-sim" >/dev/null &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$bin/ports/COM99" ] && break; sleep 0.1; done

"$bin/r4860-cli" --port COM99 read
echo
"$bin/r4860-cli" --port COM99 monitor "$@"
