#!/usr/bin/env bash
# The shipped programs within their size limits, and the installer, which only reads its form and
# writes no compressed value, without zlib's compressor: checked in the linker maps the build made.
#   check_product_links.sh INSTALLER.exe UNINSTALLER.exe
set -uo pipefail
installer=$1 uninstaller=$2
failed=0
fail() { echo "FAILED: $*"; failed=1; }

within() {  # file, limit in bytes
  local size
  size=$(stat -c %s "$1") || { fail "$1 is missing"; return; }
  [ "$size" -le "$2" ] || fail "$(basename "$1") is $size bytes, more than its limit of $2"
}
within "$installer" $((480 * 1024))
within "$uninstaller" $((160 * 1024))

map=${installer%.exe}.map
members=$(grep -o 'libz\.a([a-z0-9_]*\.o)' "$map" | sort -u) || { fail "no zlib member in $map"; }
# The decompressor must be there: otherwise the map is not the one this check can read.
grep -qx 'libz\.a(inflate\.o)' <<<"$members" || fail "$map names no inflate.o: not a map of the installer's link"
for member in deflate.o trees.o; do
  if grep -qx "libz\.a($member)" <<<"$members"; then
    fail "the installer links zlib's $member: $(grep -A1 "libz\.a($member)\$" "$map" | sed -n 2p | xargs)"
  fi
done

[ "$failed" -eq 0 ] && echo "ok: within their limits, no compressor in the installer"
exit "$failed"
