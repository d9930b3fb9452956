#!/usr/bin/env bash
# Checks the package's hand-written files: the desktop entry, the parameter-file type, the man
# pages (any warning of the formatter fails) and the adapter's udev rule.
#   tools/check-package-files.sh [SOURCE_DIR]
set -uo pipefail
src=${1:-$(dirname "$0")/..}
failed=0
fail() { echo "FAIL: $*"; failed=1; }

if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$src/data/desktop/r4860.desktop" 2>&1) || fail "desktop entry: $out"
  [ -z "$out" ] || fail "desktop entry: $out"
else
  fail "desktop-file-validate is missing (tools/install-deps.sh)"
fi
grep -qx 'Categories=Utility;Electronics;' "$src/data/desktop/r4860.desktop" || fail "desktop entry: categories"
mime=$(sed -n 's/^MimeType=\(.*\);$/\1/p' "$src/data/desktop/r4860.desktop")
grep -q "type=\"$mime\"" "$src/data/desktop/r4860-mime.xml" || fail "the desktop entry's MIME type $mime is not defined"
python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' "$src/data/desktop/r4860-mime.xml" \
  || fail "MIME type: not well-formed XML"

for page in "$src"/data/man/*.1; do
  out=$(groff -ww -z -man "$page" 2>&1; MANROFFSEQ='' man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$out" ] || fail "$(basename "$page"): $out"
done

rule="$src/data/udev/60-r4860-adapter.rules"
if command -v udevadm >/dev/null && udevadm verify --help >/dev/null 2>&1; then
  udevadm verify "$rule" >/dev/null || fail "udev rule: udevadm verify"
else
  # Each rule line is comma-separated KEY[{attribute}] OPERATOR "value" pairs.
  pair='[A-Z_]+(\{[A-Za-z0-9_]+\})?(==|!=|=|\+=|:=)"[^"]*"'
  lineno=0
  while IFS= read -r line; do
    lineno=$((lineno + 1))
    [[ -z "$line" || "$line" == \#* ]] && continue
    echo "$line" | grep -Eqx "$pair(, *$pair)*" || fail "udev rule line $lineno: $line"
  done < "$rule"
fi
grep -q 'ATTRS{idVendor}=="0403", ATTRS{idProduct}=="6001", GROUP="dialout"' "$rule" || fail "udev rule: dialout"
grep -q 'ATTR{latency_timer}="2"' "$rule" || fail "udev rule: latency timer"

[ $failed -eq 0 ] && echo "package files: ok"
exit $failed
