#!/usr/bin/env bash
# The installer against an NSIS 3 installer of the same three files and Uninstall values, on a
# 64 MB screensaver (half random, half repetitive): the time from start to the first window, and
# a silent installation with its peak memory. Medians of three runs under Wine, one program at a
# time; wall time is only meaningful on an idle machine.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
PACK=$ROOT/build/native/tools/pack/kestrin-pack
STUB=$ROOT/build/win32/src/wizard/Installer.exe
UNINST=$(ls "$ROOT"/build/win32/uninstaller/*.exe 2>/dev/null | head -n 1 || true)
B=$ROOT/build/bench-installer
MB=${BENCH_INSTALLER_MB:-64}
RUNS=${BENCH_RUNS:-3}
[ -x "$PACK" ] && [ -f "$STUB" ] || { echo "bench-installer: build first (./run build)"; exit 0; }
command -v makensis >/dev/null || { echo "bench-installer: makensis is missing (./run deps)"; exit 1; }
mkdir -p "$B"
[ -n "$UNINST" ] || UNINST=$ROOT/build/win32/tools/stub-probe/stub-probe.exe

# kestrin-pack takes only a Windows program as the screensaver: the stub heads the data.
if [ ! -f "$B/Bench.scr" ] || [ "$(stat -c %s "$B/Bench.scr")" -ne $((MB * 1048576)) ] ||
   [ "$(head -c 2 "$B/Bench.scr")" != MZ ]; then
  # yes ends on SIGPIPE, which pipefail would count as a failure of the whole script.
  cp "$STUB" "$B/Bench.scr"
  head -c $((MB / 2 * 1048576)) /dev/urandom >> "$B/Bench.scr"
  head -c $((MB * 1048576 - $(stat -c %s "$B/Bench.scr"))) \
    < <(yes 'Kestrin repetitive screensaver frame data 0123456789') >> "$B/Bench.scr"
fi
printf 'Bench screensaver readme.\r\n' > "$B/Bench.txt"
cp "$UNINST" "$B/BenchUninst.exe"

# Ours: one wizard installer and one silent one.
for kind in wizard silent; do
  cat > "$B/$kind.toml" <<EOF
guid = "{B3C1A6E0-0000-4000-8000-BENCH$kind}"
scr_name = "Bench"
scr = "Bench.scr"
readme = "Bench.txt"
title = "KestrinBench$kind"
silent = $([ "$kind" = silent ] && echo true || echo false)
EOF
  "$PACK" build "$B/$kind.toml" -o "$B/Kestrin-$kind.exe" --stub "$STUB" >/dev/null
done

# Theirs: the same files and values, with a page to show first.
cat > "$B/bench.nsi" <<'EOF'
Unicode true
Name "NsisBench"
Caption "NsisBench"
OutFile "Nsis.exe"
InstallDir "$WINDIR"
RequestExecutionLevel admin
SetCompressor /SOLID zlib
Page directory
Page instfiles
Section
  SetOutPath "$INSTDIR"
  File "Bench.scr"
  File "Bench.txt"
  File "BenchUninst.exe"
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\BenchNsis" "UninstallString" "$INSTDIR\BenchUninst.exe"
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\BenchNsis" "DisplayName" "Bench Screensaver"
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\BenchNsis" "DisplayIcon" "$INSTDIR\BenchUninst.exe,0"
SectionEnd
EOF
(cd "$B" && makensis -V1 bench.nsi)

export WINEPREFIX=$B/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win32
XVFB_PID=
if [ -z "${DISPLAY:-}" ]; then
  exec 9> "$B/display"
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 50); do [ -s "$B/display" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -n 1 "$B/display")
fi
trap '[ -n "$XVFB_PID" ] && kill $XVFB_PID 2>/dev/null; wineserver -k 2>/dev/null || true' EXIT
if [ ! -d "$WINEPREFIX" ]; then
  wineboot -i >/dev/null 2>&1 || true
  # Without a window manager Wine waits 2 s for the X server to withdraw every window it hides
  # (the installer's progress note, for one); windows it manages itself are hidden at once.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver -w
fi
# One server for all runs, so that no run pays for starting it.
wineserver -p60
wine cmd /c exit >/dev/null 2>&1 || true
windir=$(wine cmd /c echo %WINDIR% 2>/dev/null | tr -d '\r')
unixwin=$(winepath -u "$windir" 2>/dev/null)

now() { date +%s.%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

# Seconds from the start of the program until a window with that name is visible.
first_window() {  # exe title args...
  local exe=$1 title=$2; shift 2
  local start end
  start=$(now)
  wine "$exe" "$@" >/dev/null 2>&1 &
  local pid=$!
  # xdotool's own --sync polls twice a second: too coarse for this figure.
  until xdotool search --onlyvisible --name "$title" >/dev/null 2>&1; do sleep 0.01; done
  end=$(now)
  kill $pid 2>/dev/null || true
  wait $pid 2>/dev/null || true
  wine taskkill /f /im "$(basename "$exe")" >/dev/null 2>&1 || true
  echo "$end - $start" | bc -l
}

# "wall peak_kb" of one silent installation.
silent_install() {  # exe args...
  rm -f "$unixwin/Bench.scr" "$unixwin/Bench.txt" "$unixwin/BenchUninst.exe"
  /usr/bin/time -f '%e %M' wine "$@" 2>&1 >/dev/null | tail -n 1
  [ -f "$unixwin/Bench.scr" ] || echo "bench-installer: $1 installed nothing" >&2
}

ours_first=$(for _ in $(seq "$RUNS"); do first_window "$B/Kestrin-wizard.exe" KestrinBenchwizard /AsAdmin bench; done | median)
theirs_first=$(for _ in $(seq "$RUNS"); do first_window "$B/Nsis.exe" NsisBench; done | median)
ours_silent=$(for _ in $(seq "$RUNS"); do silent_install "$B/Kestrin-silent.exe" /AsAdmin bench; done)
theirs_silent=$(for _ in $(seq "$RUNS"); do silent_install "$B/Nsis.exe" /S; done)
ow=$(echo "$ours_silent" | awk '{print $1}' | median); om=$(echo "$ours_silent" | awk '{print $2}' | median)
tw=$(echo "$theirs_silent" | awk '{print $1}' | median); tm=$(echo "$theirs_silent" | awk '{print $2}' | median)

echo "== the installer against NSIS 3 on a ${MB} MB screensaver (median of $RUNS, under Wine)"
printf 'installer sizes: Installer.exe %d bytes; with the block %d bytes, NSIS %d bytes\n' \
  "$(stat -c %s "$STUB")" "$(stat -c %s "$B/Kestrin-wizard.exe")" "$(stat -c %s "$B/Nsis.exe")"
printf 'start to first window: %.2f s against %.2f s: ratio %.2f (aim <= 1.0)\n' "$ours_first" "$theirs_first" \
  "$(echo "$ours_first / $theirs_first" | bc -l)"
printf 'silent installation: %.2f s against %.2f s: ratio %.2f (aim <= 1.0)\n' "$ow" "$tw" "$(echo "$ow / $tw" | bc -l)"
printf 'silent installation peak memory: %d KB against %d KB; %.2f x the screensaver (aim <= 1.3 x + 30 MB)\n' \
  "$om" "$tm" "$(echo "($om - 30720) / ($MB * 1024)" | bc -l)"
