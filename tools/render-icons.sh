#!/usr/bin/env bash
# Renders the PNG sizes of the icon from data/icons/r4860.svg (the PNGs are checked in, so the
# build needs no SVG renderer). Run after changing the SVG.
set -euo pipefail
dir="$(dirname "$0")/../data/icons"
for size in 16 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$dir/r4860.svg" -o "$dir/r4860-$size.png"
done
