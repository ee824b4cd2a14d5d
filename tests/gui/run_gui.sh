#!/usr/bin/env bash
# Runs the gallery test with visual styles switched on (themed) or off (classic) in the
# test prefix, so that both drawing paths of the colour buttons are exercised.
set -euo pipefail
mode=$1 exe=$2
active=0
[ "$mode" = themed ] && active=1
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /t REG_SZ \
    /d "$active" /f >/dev/null 2>&1
exec wine "$exe"
