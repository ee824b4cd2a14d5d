#!/usr/bin/env bash
# Prints the tracked figures: binary sizes, and kestrin-pack against the plain tools on a
# 256 MB payload (half random, half repetitive), one after the other on one core.
set -euo pipefail
cd "$(dirname "$0")/.."
PACK=$PWD/build/native/tools/pack/kestrin-pack
STUB=$PWD/build/win32/tools/stub-probe/stub-probe.exe
B=build/bench
mkdir -p "$B"

echo "== Windows binary sizes (bytes)"
find build/win32 \( -name '*.exe' -o -name '*.scr' \) -not -path '*/tests/*' -not -path '*/fixtures/*' -not -path '*/wineprefix/*' -not -path '*/CMakeFiles/*' \
  -printf '%s\t%P\n' | sort -k2
UNINST=build/win32/uninstaller/Uninst.exe INSTALLER=build/win32/src/wizard/Installer.exe
if [ -f "$INSTALLER" ]; then
  printf 'installer: %d bytes (at most 491520, aim 393216)\n' "$(stat -c %s "$INSTALLER")"
fi
if [ -f "$UNINST" ]; then
  printf 'uninstaller: %d bytes (at most 163840)\n' "$(stat -c %s "$UNINST")"
fi
for extra in scripts/bench-*.sh; do if [ -f "$extra" ]; then bash "$extra"; fi; done

MB=${BENCH_MB:-256}
# kestrin-pack takes only a Windows program as the screensaver: the probe program heads the data.
if [ ! -f "$B/scr-$MB.scr" ]; then
  cp "$STUB" "$B/scr-$MB.scr"
  head -c $((MB / 2 * 1048576)) /dev/urandom >> "$B/scr-$MB.scr"
  # yes ends on SIGPIPE, which pipefail would count as a failure of the whole script.
  head -c $((MB / 2 * 1048576)) < <(yes 'Kestrin repetitive screensaver frame data 0123456789') >> "$B/scr-$MB.scr"
fi
SCR=$B/scr-$MB.scr
printf 'guid = "{BENCH}"\nscr_name = "Bench"\nscr = "scr-%s.scr"\n' "$MB" > "$B/bench.toml"

# Prints "wall cpu peak_kb" of one command; its own output is discarded.
measure() { /usr/bin/time -f '%e %U %S %M' "$@" 2>&1 >/dev/null | tail -n 1 | awk '{printf "%.2f %.2f %d", $1, $2 + $3, $4}'; }
ratio() { echo "scale=3; $1 / $2" | bc -l; }
report() {  # label ours theirs
  read -r w1 c1 m1 <<<"$2"; read -r w2 c2 m2 <<<"$3"
  printf '%s: %s s wall, %s s CPU against %s s wall, %s s CPU: ratio %s wall, %s CPU (target <= 1.15)\n' \
    "$1" "$w1" "$c1" "$w2" "$c2" "$(ratio "$w1" "$w2")" "$(ratio "$c1" "$c2")"
}

echo "== ${MB} MB payload (half random, half repetitive); wall time is only meaningful on an idle machine"
ours=$(measure "$PACK" build "$B/bench.toml" -o "$B/bench.exe" --stub "$STUB")
theirs=$(measure sh -c "zlib-flate -compress < '$SCR' > '$B/scr.z'")
report "build vs zlib-flate -compress" "$ours" "$theirs"

ours=$(measure "$PACK" verify "$B/bench.exe")
theirs=$(measure sh -c "zlib-flate -uncompress < '$B/scr.z' > '$B/scr.out' && md5sum '$B/scr.out'")
rm -f "$B/scr.out"
report "verify vs zlib-flate -uncompress, then md5sum" "$ours" "$theirs"
read -r _ _ kb <<<"$ours"
printf 'verify peak memory: %d KB = %s x the inflated value (target <= 1.3)\n' "$kb" \
  "$(ratio "$kb" "$(( $(stat -c %s "$SCR") / 1024 ))")"
