#!/usr/bin/env bash
# The Wine environment of one cross build: a private prefix and a display.
#
#   wine-env.sh setup BUILD_DIR      fresh prefix (wineboot), Japanese fonts mapped, a small drive
#                                    K: where mounting is allowed; an Xvfb on the first free
#                                    display when DISPLAY is not set; recorded in BUILD_DIR/wine-env/
#   wine-env.sh cleanup BUILD_DIR    stops the prefix's wineserver and the Xvfb setup started
#   wine-env.sh run BUILD_DIR EXE .. runs a Windows program under Wine in that environment
#   wine-env.sh exec BUILD_DIR CMD . runs any command (a script calling wine) in it
#
# On a machine whose kernel cannot run 32-bit Linux programs, Wine's 32-bit loader cannot start:
# setup records why, and run and exec then end with 77, which the tests report as skipped.
#
# The tests of the cross build reach it through a CTest fixture (setup and cleanup) and the
# emulator (run), so that ctest in the build folder works by itself.
set -euo pipefail
verb=${1:-} build=${2:-}
[ -n "$verb" ] && [ -n "$build" ] || { echo "usage: wine-env.sh setup|cleanup|run|exec BUILD_DIR ..." >&2; exit 2; }
shift 2
build=$(cd "$build" && pwd)
state=$build/wine-env

export WINEPREFIX=$build/wineprefix WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# A pid file is only trusted while that process is still an Xvfb (pids are reused).
our_xvfb() {
  local pid
  pid=$(cat "$state/xvfb.pid" 2>/dev/null) || return 1
  [ -n "$pid" ] && tr '\0' ' ' < "/proc/$pid/cmdline" 2>/dev/null | grep -q '^[^ ]*Xvfb ' && echo "$pid"
}

start_xvfb() {
  rm -f "$state/display.fd"
  # -displayfd: the server takes the first display number whose socket and lock file are free,
  # atomically, and writes it once it accepts connections. Its output must not hold ctest's pipes.
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
      </dev/null >/dev/null 2>"$state/xvfb.log" 3>"$state/display.fd" &
  echo $! > "$state/xvfb.pid"
  local i
  for i in $(seq 100); do
    if [ -s "$state/display.fd" ]; then
      echo ":$(tr -dc 0-9 < "$state/display.fd")" > "$state/display"
      return 0
    fi
    kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null || break
    sleep 0.1
  done
  echo "wine-env: Xvfb did not start:" >&2
  cat "$state/xvfb.log" >&2 || true
  return 1
}

load_display() {
  if [ -s "$state/display" ]; then
    DISPLAY=$(cat "$state/display")
    export DISPLAY
  fi
}

# A drive K: of 128 KB, for the tests of a full disk: a tmpfs where this machine lets us mount
# one (as root), no drive otherwise (those tests then report themselves skipped).
mount_small_drive() {
  local dir=$state/small-drive
  mkdir -p "$dir"
  if mount -t tmpfs -o size=128k,mode=0777 kestrin-small "$dir" 2>/dev/null; then
    ln -sfn "$dir" "$WINEPREFIX/dosdevices/k:"
  else
    rmdir "$dir"
  fi
}

# Wine's 32-bit loader is a 32-bit Linux program; some kernels are built without the emulation
# that runs those ("Exec format error"). Prints the reason when that is so.
loader_unrunnable() {
  local loader=/usr/lib/wine/wine out rc=0
  [ -x "$loader" ] || return 1
  out=$("$loader" --version 2>&1) || rc=$?
  [ "$rc" -eq 126 ] || return 1
  echo "this machine cannot run Wine's 32-bit loader ($loader: ${out##*: }); its kernel runs no 32-bit Linux programs"
}

skip_if_unavailable() {
  [ -f "$state/unavailable" ] || return 0
  echo "wine-env: SKIPPED: $(cat "$state/unavailable")" >&2
  exit 77
}

cleanup() {
  # A server still going down would write into the prefix that setup is about to make anew.
  if [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true; fi
  local pid
  if pid=$(our_xvfb); then
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  if mountpoint -q "$state/small-drive" 2>/dev/null; then umount "$state/small-drive" || true; fi
  rm -rf "$state"
  rm -f "$WINEPREFIX/dosdevices/k:"
}

# The form's font and the Japanese system fonts do not exist under Wine: they are mapped to the
# IPA Gothic faces of Debian's fonts-ipafont-gothic, so that Japanese pages show as designed.
map_japanese_fonts() {
  local reg=$state/fonts.reg face
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    # The form's face and the usual Japanese faces; the proportional ones to the proportional
    # IPA face, as their Latin letters are proportional too.
    printf '"%s"="IPAPGothic"\r\n' "MS UI Gothic" "MS PGothic"
    printf '"%s"="IPAGothic"\r\n' "MS Gothic"
  } > "$reg"
  if ! fc-list 2>/dev/null | grep -q IPAGothic; then
    echo "wine-env: no IPAGothic font (Debian's fonts-ipafont-gothic); Japanese pages use Wine's fallback" >&2
    return 0
  fi
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1 || true
  wineserver -w
}

case "$verb" in
  setup)
    cleanup  # whatever an interrupted run left
    mkdir -p "$state"
    if [ -n "${DISPLAY:-}" ]; then
      echo "$DISPLAY" > "$state/display"
    else
      start_xvfb
    fi
    load_display
    if reason=$(loader_unrunnable); then
      echo "$reason" > "$state/unavailable"
      echo "wine-env: $reason: the tests that need Wine are skipped"
      exit 0
    fi
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-env: wineboot made no prefix in $WINEPREFIX" >&2; exit 1; }
    map_japanese_fonts
    mount_small_drive
    echo "Wine prefix $WINEPREFIX, display $DISPLAY"
    ;;
  cleanup) cleanup ;;
  run)
    skip_if_unavailable
    load_display
    exec wine "$@"
    ;;
  exec)
    skip_if_unavailable
    load_display
    exec "$@"
    ;;
  *) echo "usage: wine-env.sh setup|cleanup|run|exec BUILD_DIR ..." >&2; exit 2 ;;
esac
