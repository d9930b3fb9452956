#!/usr/bin/env bash
# Screenshots of the main window against the emulator into docs/screenshots, at 100 % and 150 %
# scaling, on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/dev -G Ninja >/dev/null
cmake --build build/dev --target r4860-shots r4860-sim
out=docs/screenshots
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1024x768x24" build/dev/bin/r4860-shots "$out" "" "${DIAGRAM_SECONDS:-60}"
QT_SCALE_FACTOR=1.5 xvfb-run -a -s "-screen 0 1280x1024x24" build/dev/bin/r4860-shots "$out" "-150"
# The sensor, conversion and table windows for the manual, English and Polish.
cmake --build build/dev --target r4860-dialog-shots
xvfb-run -a -s "-screen 0 1024x768x24" build/dev/bin/r4860-dialog-shots "$out" tables
# The service windows (diagnostics, corrections, simulation), English and Polish.
cmake --build build/dev --target r4860-service-shots
xvfb-run -a -s "-screen 0 1024x768x24" build/dev/bin/r4860-service-shots "$out"
