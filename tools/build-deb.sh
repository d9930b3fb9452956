#!/usr/bin/env bash
# Builds the Debian package in its own build folder (build/deb; the flags of the development
# build, so the shared compiler cache serves it, and stripped when packed) and runs lintian.
#   tools/build-deb.sh [--build-version TEXT]
# Prints the package's path; exit code 1 when the build fails or lintian reports an error.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/deb"
extra=()
if [ "${1:-}" = "--build-version" ]; then extra+=("-DR4860_BUILD_VERSION=$2"); fi
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DR4860_BUILD_TESTS=OFF \
      "${launcher[@]}" "${extra[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/r4860_*.deb | head -n1)
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n 's/^ \(Depends\|Recommends\|Version\|Architecture\):/  \1:/p'
if command -v lintian >/dev/null; then
  # Errors fail the build of the package; warnings are listed for the record.
  lintian --tag-display-limit 0 "$deb" || true
  if lintian --fail-on error "$deb" >/dev/null; then echo "lintian: no errors"; else echo "lintian: errors"; exit 1; fi
fi
