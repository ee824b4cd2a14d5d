#!/usr/bin/env bash
# Form resources under Wine: a wizard-sized form (about 60 controls) built from its resource and
# shown (target: under 50 ms), with and without visual styles.
set -euo pipefail
cd "$(dirname "$0")/.."
exe=build/win32/tests/gui/bench_forms.exe
[ -f "$exe" ] || cmake --build build/win32 --target bench_forms
# A prefix of its own, so that a test run's prefix is left alone.
env=scripts/wine-env.sh wenv=build/win32/bench-wine
mkdir -p "$wenv"
bash "$env" setup "$wenv" >/dev/null
trap 'bash "$env" cleanup "$wenv"' EXIT
echo "== Form resources (target: built and shown in under 50 ms under Wine; median of 5 processes)"
for theme in 0 1; do
  bash "$env" run "$wenv" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' \
      /v ThemeActive /t REG_SZ /d "$theme" /f >/dev/null 2>&1
  out=$(for i in 1 2 3 4 5; do bash "$env" run "$wenv" "$exe" 2>&1 | grep '^\[bench\]' || true; done)
  [ "$theme" = 1 ] && look=themed || look=classic
  for which in "first form of the process" "next form"; do
    echo "$out" | grep "$which:" | sed 's/.* in \([0-9.]*\) ms/\1/' | sort -n | awk -v w="$which" -v l="$look" '
      { v[NR] = $1 } END { if (NR) printf "%s, %s: median %.1f ms (%d runs, %.1f to %.1f)\n", w, l, v[int((NR + 1) / 2)], NR, v[1], v[NR]
                           else printf "%s, %s: no figure (the program printed none)\n", w, l }'
  done
done
