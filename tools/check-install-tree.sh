#!/usr/bin/env bash
# Installs a build folder into a temporary DESTDIR and checks that the installed tree works
# there: the version of every executable, and the data (language files, tables, manual)
# found in share/r4860 by the installed tools, not in the build tree.
#   tools/check-install-tree.sh BUILD_DIR EXPECTED_VERSION_TEXT
set -uo pipefail
build=$1 version=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
usr="$root/usr"
for exe in r4860-cli r4860-sim r4860; do
  [ -x "$usr/bin/$exe" ] || { [ "$exe" = r4860 ] && [ ! -e "$build/bin/r4860" ] && continue; fail "$exe not installed"; continue; }
  out=$("$usr/bin/$exe" --version) || fail "$exe --version failed"
  [ "$out" = "$exe $version" ] || fail "$exe --version says '$out', not '$exe $version'"
done
for f in share/r4860/Polski.lan share/r4860/tables share/r4860/examples/pt100.par \
         share/applications/r4860.desktop share/mime/packages/r4860.xml \
         share/icons/hicolor/scalable/apps/r4860.svg share/icons/hicolor/48x48/apps/r4860.png \
         share/man/man1/r4860.1.gz share/man/man1/r4860-cli.1.gz share/man/man1/r4860-sim.1.gz \
         share/doc/r4860/copyright lib/udev/rules.d/60-r4860-adapter.rules; do
  [ -e "$usr/$f" ] || fail "missing $f"
done
[ -e "$build/bin/r4860" ] && { [ -e "$usr/share/r4860/R4860EN.html" ] || fail "missing the manual"; }

# The installed tool, with the build tree out of reach, finds its language file in share/r4860.
work="$root/work"
mkdir -p "$work"
cp "$usr/share/r4860/examples/pt100.par" "$work/"
out=$(cd "$work" && HOME="$root/home" XDG_CONFIG_HOME= XDG_DATA_HOME="$root/data" \
      "$usr/bin/r4860-cli" report pt100.par --language Polski 2>&1) || fail "installed report: $out"
echo "$out" | grep -q 'Czujnik\|czujnik' || fail "the installed report is not in Polish: $out"
# And an installed copy keeps its settings in the user's folder, never under /usr.
[ -z "$(find "$usr/bin" -name 'R4860.ini' -o -name ports)" ] || fail "settings written beside an installed executable"

[ $failed -eq 0 ] && echo "install tree: ok"
exit $failed
