#!/usr/bin/env bash
# Installs the Debian packages the project needs, only when some are missing (run as root).
#   tools/install-deps.sh          everything the build and the tests need
#   tools/install-deps.sh --run    only what building and running the tools and the windows needs
set -euo pipefail
# The windows need Qt 6 and, for "Arial", its metric-compatible Liberation fonts; xvfb runs them
# where there is no display. The programming history is an SQLite database.
packages=(cmake ninja-build g++ qt6-base-dev libsqlite3-dev fonts-liberation xvfb xauth x11-apps netpbm xdotool)
# The report's tests read its PDFs back with poppler-utils (pdftotext, pdfinfo, pdffonts; pdftoppm
# draws the pictures of tools/report-samples.sh).
if [ "${1:-}" != "--run" ]; then
  # locales: the tests write and read numbers under comma-decimal locales (generated below);
  # stress-ng: a CPU hog to run the suite beside, as a loaded machine would.
  packages+=(libgtest-dev clang libclang-rt-14-dev python3 poppler-utils locales stress-ng)
fi
# The package: its desktop entry is validated, its icons drawn from the SVG, its man pages
# checked, and tools/build-deb.sh computes its dependencies and runs lintian over it.
if [ "${1:-}" != "--run" ]; then
  packages+=(desktop-file-utils librsvg2-bin groff man-db dpkg-dev fakeroot file lintian)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The tests need two comma-decimal locales; they fail, rather than skip, without them.
if [ "${1:-}" != "--run" ]; then
  wanted=()
  for l in de_DE.UTF-8 pl_PL.UTF-8; do
    locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}" || wanted+=("$l")
  done
  if [ ${#wanted[@]} -gt 0 ]; then
    echo "generating locales: ${wanted[*]}"
    for l in "${wanted[@]}"; do
      # Kept in locale.gen, so a later locale-gen keeps them too.
      sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
      grep -qx "$l UTF-8" /etc/locale.gen || echo "$l UTF-8" >> /etc/locale.gen
    done
    locale-gen
  fi
fi
