#!/usr/bin/env bash
# Builds the tools, starts the transducer emulator on a pseudo-terminal (it appears as COM99)
# and talks to it with r4860-cli: reads its configuration, then shows the live measurement until
# Ctrl-C (or for --seconds N). The windows will take the place of the command-line tool here once
# they exist.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh --run
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DR4860_BUILD_TESTS=OFF >/dev/null
cmake --build build/run --target r4860-sim r4860-cli
bin=build/run/bin

# --daemon returns once COM99 and its control socket exist.
"$bin/r4860-sim" --daemon >/dev/null
trap '"$bin/r4860-sim" ctl quit >/dev/null 2>&1 || true' EXIT

"$bin/r4860-cli" --port COM99 read
echo
"$bin/r4860-cli" --port COM99 monitor "$@" || true
cat <<TEXT

Shown: the configuration of the emulated transducer on COM99 and its live measurement.
Try next (the README's "A session with the command-line tool" goes further):
  $bin/r4860-sim --daemon                                   # a transducer on COM99 again
  $bin/r4860-cli --port COM99 read --par my.par             # its configuration into a file
  $bin/r4860-cli --port COM99 write my.par                  # program it from the file
  $bin/r4860-sim ctl broken-sensor on                       # script a fault, then watch it:
  $bin/r4860-cli --port COM99 monitor --seconds 5
  $bin/r4860-sim ctl quit
TEXT
