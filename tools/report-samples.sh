#!/usr/bin/env bash
# Sample reports for the README and the manual: PDFs of two example parameter files in English and
# Polish into docs/reports, each with a PNG of its page (pdftoppm, from poppler-utils).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/dev -G Ninja >/dev/null
cmake --build build/dev --target r4860-cli
out=docs/reports
mkdir -p "$out"
for example in thermocouple-k current-linear; do
  for pair in English:en Polski:pl; do
    language="${pair%%:*}" name="$out/$example-${pair##*:}"
    build/dev/bin/r4860-cli report "examples/$example.par" --language "$language" --pdf "$name.pdf" >/dev/null
    pdftoppm -png -r 75 -singlefile "$name.pdf" "$name"
  done
done
ls -l "$out"
