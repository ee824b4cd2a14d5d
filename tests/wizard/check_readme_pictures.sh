#!/usr/bin/env bash
# The README's pictures against the tour that makes them: every picture the README names is
# committed, the tour of this build made it (tour/<name>.bmp) on the page its name claims, as
# the page's window texts read back at the time say (tour/<name>.txt, "page: ..."), and it
# turns into a PNG of the committed picture's size; every page the tour pictures is shown.
#
#   check_readme_pictures.sh SOURCE_DIR PAGES_DIR [BUILD_DIR]
set -euo pipefail
src=$1 pages=$2/tour
# Where Wine could not start, the tour made nothing to compare (scripts/wine-env.sh).
if [ -n "${3:-}" ] && [ -f "$3/wine-env/unavailable" ]; then
  echo "SKIPPED: $(cat "$3/wine-env/unavailable")" >&2
  exit 77
fi
fail() { echo "FAIL: $*" >&2; status=1; }
status=0
png_size() { python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print(*struct.unpack(">II", d[16:24]))' "$1"; }

mapfile -t named < <(grep -o 'docs/screenshots/[a-z-]*\.png' "$src/README.md" | sort -u)
[ "${#named[@]}" -gt 0 ] || { echo "FAIL: the README names no pictures" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for path in "${named[@]}"; do
  name=$(basename "$path" .png)
  [ -f "$src/$path" ] || fail "$path is named in the README but not committed"
  # Only the wizard's pages come from the tour (the demo pictures its screensaver itself).
  case $name in en-*|ja-*) ;; *) continue ;; esac
  page=${name#*-}
  case $page in failure-*) page=failure ;; esac
  if [ ! -f "$pages/$name.bmp" ]; then fail "the tour made no $name.bmp"; continue; fi
  shown=$(head -n 1 "$pages/$name.txt" 2>/dev/null || true)
  [ "$shown" = "page: $page" ] || fail "$name shows '${shown:-nothing}', not the $page page"
  python3 "$src/scripts/bmp2png.py" "$pages/$name.bmp" "$scratch/$name.png" || { fail "$name.bmp does not convert"; continue; }
  [ ! -f "$src/$path" ] || [ "$(png_size "$scratch/$name.png")" = "$(png_size "$src/$path")" ] ||
    fail "$name: the committed picture is $(png_size "$src/$path"), the page is $(png_size "$scratch/$name.png")"
done
for bmp in "$pages"/*.bmp; do
  [ -e "$bmp" ] || break
  name=$(basename "$bmp" .bmp)
  printf '%s\n' "${named[@]}" | grep -qx "docs/screenshots/$name.png" || fail "the tour pictures $name, the README does not show it"
done
[ "$status" -eq 0 ] && echo "${#named[@]} pictures named in the README; each page among them made by the tour on that page"
exit "$status"
