#!/usr/bin/env bash
# The main job: pack a demo installer from demo/manifest.toml, inspect it, and run it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
PACK=build/native/tools/pack/kestrin-pack
STUB=build/win32/src/wizard/Installer.exe
OUT=build/demo
mkdir -p "$OUT"
echo "== kestrin-pack build"
"$PACK" build demo/manifest.toml -o "$OUT/AuroraDemoSetup.exe" --stub "$STUB"
ls -l "$OUT/AuroraDemoSetup.exe"
echo "== kestrin-pack list"
"$PACK" list "$OUT/AuroraDemoSetup.exe"
echo "== kestrin-pack verify"
"$PACK" verify "$OUT/AuroraDemoSetup.exe"
echo "== the installer under Wine"
export WINEPREFIX="$PWD/$OUT/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win32
[ -d "$WINEPREFIX" ] || { wineboot -i >/dev/null 2>&1 || true; wineserver -w; }
wine "$OUT/AuroraDemoSetup.exe"
