#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: does nothing when all are there.
set -euo pipefail
native=(cmake ninja-build g++ clang libclang-rt-14-dev zlib1g-dev libtomlplusplus-dev googletest libgtest-dev
        g++-mingw-w64-i686 binutils-mingw-w64-i686 libz-mingw-w64-dev
        osslsigncode openssl qpdf time bc icoutils xvfb xdotool x11-utils imagemagick python3
        fonts-ipafont-gothic)
i386=(wine wine32:i386)
missing=()
for p in "${native[@]}" "${i386[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=; [ "$(id -u)" -ne 0 ] && SUDO=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then $SUDO dpkg --add-architecture i386; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
