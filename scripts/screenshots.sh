#!/usr/bin/env bash
# Makes the README's pictures anew from the demo: runs it without a display (every page in
# both languages, checked, then pictured) and copies the pictures to docs/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
env -u DISPLAY CI= bash scripts/demo.sh
rm -f docs/screenshots/*.png
cp build/demo/pages/*.png docs/screenshots/
echo "docs/screenshots: $(ls docs/screenshots | wc -l) pictures"
