#!/usr/bin/env bash
# The main job: packs demo/manifest.toml into an installer with the real Installer.exe, checks
# it, signs it, and runs the signed file under Wine in a prefix of its own (build/demo/wineprefix, made anew each run).
#
#  - With a display of your own (DISPLAY set, not in CI): the wizard opens for you to click
#    through; afterwards the demo shows what was installed.
#  - Without one: on an Xvfb of its own, every page in both languages is checked and pictured
#    (build/demo/pages/*.png), the screensaver is installed through the wizard, what it installed
#    is shown, the uninstaller runs silently, and the demo checks that everything is gone.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
PACK=build/native/tools/pack/kestrin-pack
W32=$ROOT/build/win32
STUB=$W32/src/wizard/Installer.exe
OUT=$ROOT/build/demo
SETUP=$OUT/AuroraDemoSetup.exe
SIGNED=$OUT/AuroraDemoSetup-signed.exe
NAME=AuroraDemo
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\AuroraDemo'
PLAYER_KEY='HKCR\CLSID\{D27CDB6E-AE6D-11cf-96B8-444553540000}\InprocServer32'

log() { printf '\n== %s\n' "$*"; }
wenv() { bash scripts/wine-env.sh "$@"; }
wine_in() { wenv run "$OUT" "$@"; }
windir() { echo "$OUT/wineprefix/drive_c/windows"; }

pack() {
  mkdir -p "$OUT"
  log "kestrin-pack build"
  "$PACK" build demo/manifest.toml -o "$SETUP" --stub "$STUB"
  ls -l "$SETUP"
  log "kestrin-pack list"
  "$PACK" list "$SETUP"
  log "kestrin-pack verify"
  "$PACK" verify "$SETUP"
}

# Signed as a distributor signs it (here with a certificate made on the spot); the block behind
# the program survives, and the signed file is the one the demo runs.
sign() {
  log "signed with osslsigncode (a self-signed certificate), then verified again"
  local keys=$OUT/signing
  mkdir -p "$keys"
  [ -f "$keys/cert.pem" ] || openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Aurora Demo Distributor" \
      -keyout "$keys/key.pem" -out "$keys/cert.pem" 2>/dev/null
  rm -f "$SIGNED"
  osslsigncode sign -certs "$keys/cert.pem" -key "$keys/key.pem" -n "Aurora Demo Screensaver" \
      -in "$SETUP" -out "$SIGNED" >/dev/null
  osslsigncode verify -CAfile "$keys/cert.pem" "$SIGNED" 2>&1 | grep -E "^(Signature verification|Succeeded|Failed)" | sed 's/^/  /'
  "$PACK" verify "$SIGNED"
  ls -l "$SIGNED"
}

# What the installation left: the files, the Uninstall entry, the user's screensaver.
show_installed() {
  log "what the installer wrote"
  local f
  for f in "$NAME.scr" "$NAME.txt" "${NAME}Uninst.exe"; do
    if [ -f "$(windir)/$f" ]; then
      printf '  C:\\windows\\%-22s %8d bytes\n' "$f" "$(stat -c %s "$(windir)/$f")"
    else
      printf '  C:\\windows\\%-22s missing\n' "$f"
    fi
  done
  echo "  the Uninstall entry:"
  wine_in reg query "$UNINSTALL_KEY" 2>/dev/null | tr -d '\r' | sed -n 's/^ \{4\}/    /p' || echo "    (none)"
  echo "  in Wine's list of installed programs:"
  wine_in uninstaller --list 2>/dev/null | tr -d '\r' | grep -i aurora | sed 's/^/    /' || echo "    (not listed)"
  echo "  the user's current screensaver:"
  wine_in reg query 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE 2>/dev/null | tr -d '\r' |
    sed -n 's/^ \{4\}/    /p' || echo "    (none)"
}

# The installed uninstaller with its silent switch, then proof that nothing of the
# installation is left.
uninstall_and_check() {
  log "the uninstaller, silently"
  local code=0
  wine_in 'C:\windows\AuroraDemoUninst.exe' /S || code=$?
  echo "  exit code $code"
  local i
  # It removes its own file once its last process has ended.
  for i in $(seq 100); do [ -e "$(windir)/${NAME}Uninst.exe" ] || break; sleep 0.2; done
  wenv exec "$OUT" wineserver -w
  local left=()
  for f in "$NAME.scr" "$NAME.txt" "${NAME}Uninst.exe"; do [ -e "$(windir)/$f" ] && left+=("C:\\windows\\$f"); done
  wine_in reg query "$UNINSTALL_KEY" >/dev/null 2>&1 && left+=("the Uninstall entry")
  wine_in reg query 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE 2>/dev/null | tr -d '\r' |
    grep -qi "$NAME" && left+=("the screensaver setting")
  if [ "$code" -ne 0 ] || [ "${#left[@]}" -gt 0 ]; then
    echo "demo: the uninstaller (exit code $code) left: ${left[*]:-nothing}" >&2
    return 1
  fi
  echo "everything is gone: no files, no Uninstall entry, no screensaver setting"
}

# Every page in one language, through the wizard tests' driver (its checks included).
tour() {  # lang, keep
  local lang=$1 keep=$2 log=$OUT/tour-$1.log code=0
  log "the wizard's pages in $lang"
  env LANG="$lang.UTF-8" LC_ALL="$lang.UTF-8" KESTRIN_SOURCE_DIR="$ROOT" KESTRIN_BIN_DIR="$W32" \
      KESTRIN_SHOTS_DIR="$OUT/pages" KESTRIN_TOUR_INSTALLER="$SIGNED" ${keep:+KESTRIN_TOUR_KEEP=1} \
      bash scripts/wine-env.sh run "$OUT" "$W32/tests/wizard/test_wizard.exe" --gtest_filter=WizardTour.* \
      >"$log" 2>&1 || code=$?
  if [ "$code" -ne 0 ]; then
    tail -n 40 "$log" >&2
    echo "demo: the tour in $lang failed (exit code $code); the whole log: $log" >&2
    return 1
  fi
  echo "  checked and pictured: $(cd "$OUT/pages/tour" && ls "${lang%_*}"-*.bmp | sed 's/\.bmp$//' | tr '\n' ' ')"
}

# The installed screensaver started as the system starts it, pictured, and ended by moving the
# mouse, as a user ends it.
run_screensaver() {
  log "the installed screensaver, full screen"
  wine_in 'C:\windows\AuroraDemo.scr' /s &
  local saver=$! i
  for i in $(seq 50); do
    wenv exec "$OUT" xdotool search --onlyvisible --name "^Aurora Demo$" >/dev/null 2>&1 && break
    sleep 0.2
  done
  sleep 1
  wenv exec "$OUT" import -window root "$OUT/pages/screensaver.png" 2>/dev/null || true
  wenv exec "$OUT" xdotool mousemove 10 10 sleep 0.2 mousemove 400 300 >/dev/null 2>&1 || true
  local code=0
  wait "$saver" || code=$?
  echo "  it ran, drew $OUT/pages/screensaver.png and ended on a mouse move (exit code $code)"
  [ "$code" -eq 0 ]
}

pictures() {
  log "pictures of the pages"
  local bmp
  for bmp in "$OUT"/pages/tour/*.bmp; do
    python3 scripts/bmp2png.py "$bmp" "$OUT/pages/$(basename "${bmp%.bmp}").png"
  done
  ls "$OUT"/pages/*.png | sed "s|^$ROOT/|  |"
}

pack
sign
trap 'wenv cleanup "$OUT"' EXIT
if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
  wenv setup "$OUT" >/dev/null
  # The demo's screensavers need the player control; the tests' stand-in serves.
  wine_in reg add "$PLAYER_KEY" /ve /d "$(wenv exec "$OUT" winepath -w "$W32/tests/system/fixtures/standin_New.dll")" /f >/dev/null
  wine_in reg add "$PLAYER_KEY" /v ThreadingModel /d Apartment /f >/dev/null
  log "the installer: the wizard is yours"
  wine_in "$SIGNED" || true
  wenv exec "$OUT" wineserver -w
  show_installed
  echo
  echo "To remove it: wine uninstaller (WINEPREFIX=$OUT/wineprefix), or $OUT/wineprefix/drive_c/windows/${NAME}Uninst.exe"
  trap - EXIT
else
  rm -rf "$OUT/pages"
  env -u DISPLAY bash scripts/wine-env.sh setup "$OUT" >/dev/null
  tour ja_JP ""
  tour en_US keep
  pictures
  show_installed
  run_screensaver
  uninstall_and_check
fi
