#!/usr/bin/env bash
# Icon replacement on the largest PE32 program of Wine's package that carries an icon group:
# prints the time and the peak memory (which must stay below 4 x the file size).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/native}
tool=$build/tests/container/bench_set_icon
icon=$build/tests/container/fixtures/icon7.ico
[ -x "$tool" ] && [ -f "$icon" ] || cmake --build "$build" --target bench_set_icon
programs=/usr/lib/i386-linux-gnu/wine/i386-windows
if [ ! -d "$programs" ]; then
  echo "bench-resources: Wine's PE32 programs (libwine:i386) are not installed, skipped"
  exit 0
fi
exe= group=
# Largest first; the first that is PE32 and has an icon group is the one measured.
while read -r size file; do
  objdump -f "$file" 2>/dev/null | grep -q 'file format pei-i386' || continue
  group=$(wrestool -l --type=14 "$file" 2>/dev/null | sed -n "1s/.*--name=\\('\\?\\)\\([^' ]*\\)\\1 .*/\\2/p")
  [ -n "$group" ] && { exe=$file; break; }
done < <(find "$programs" -maxdepth 1 -name '*.exe' -printf '%s %p\n' | sort -rn)
[ -n "$exe" ] || { echo "bench-resources: no PE32 program with an icon group found"; exit 0; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$exe" "$tmp/target.exe"
echo "bench-resources: $(basename "$exe") ($(stat -c %s "$exe") bytes), group $group, 7-image icon"
"$tool" "$tmp/target.exe" "$icon" "$group"
