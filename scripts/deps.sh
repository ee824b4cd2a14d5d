#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and only those that are missing.
# Each package is checked by a command or a file it brings, so that a machine that has
# everything (with or without a package manager) is never handed to dpkg or apt.
set -euo pipefail

# package, then what shows it is there: a command name, or an absolute path (globs allowed).
needs=(
  "cmake                 cmake"
  "ninja-build           ninja"
  "g++                   g++"
  "clang                 clang++"
  "libclang-rt-14-dev    /usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a"
  "zlib1g-dev            /usr/include/zlib.h"
  "libtomlplusplus-dev   /usr/include/toml++/toml.h"
  "googletest            /usr/src/googletest/CMakeLists.txt"
  "libgtest-dev          /usr/lib/*/cmake/GTest/GTestConfig.cmake"
  "g++-mingw-w64-i686    i686-w64-mingw32-g++-posix"
  "binutils-mingw-w64-i686 i686-w64-mingw32-windres"
  "libz-mingw-w64-dev    /usr/i686-w64-mingw32/lib/libz.a"
  "osslsigncode          osslsigncode"
  "openssl               openssl"
  "qpdf                  zlib-flate"
  "time                  /usr/bin/time"
  "bc                    bc"
  "icoutils              wrestool"
  "xvfb                  Xvfb"
  "xdotool               xdotool"
  "x11-utils             xdpyinfo"
  "imagemagick           /usr/bin/convert-im6*"
  "python3               python3"
  "python3-yaml          /usr/lib/python3/dist-packages/yaml/__init__.py"
  "wine                  wine"
  "wine32:i386           /usr/lib/wine/wine"
  "libwine:i386          /usr/lib/i386-linux-gnu/wine/i386-windows/notepad.exe"
  "nsis                  makensis"
  "fonts-ipafont-gothic  /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"
  "locales               /usr/share/i18n/locales/ja_JP"
  "osslsigncode          osslsigncode"
  "openssl               openssl"
)

present() {  # command name or path glob
  case "$1" in
    /*) compgen -G "$1" >/dev/null ;;
    *) command -v "$1" >/dev/null 2>&1 ;;
  esac
}

# Wine names files on the host through the locale it runs in: without the locales of the tests'
# languages it cannot map a Japanese file name at all (ERROR_INVALID_NAME).
make_locales() {
  local loc
  for loc in ja_JP en_US; do
    locale -a 2>/dev/null | grep -qix "$loc\.utf-\?8" && continue
    $SUDO localedef -i "$loc" -c -f UTF-8 "$loc.UTF-8" || { echo "deps: cannot make the locale $loc.UTF-8" >&2; exit 1; }
  done
}

SUDO=; [ "$(id -u)" -ne 0 ] && SUDO=sudo
missing=()
for entry in "${needs[@]}"; do
  read -r package what <<<"$entry"
  present "$what" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then make_locales; exit 0; fi

echo "deps: installing ${missing[*]}"
if ! command -v apt-get >/dev/null 2>&1 || ! command -v dpkg >/dev/null 2>&1; then
  echo "deps: these Debian packages are missing and there is no apt-get to install them: ${missing[*]}" >&2
  exit 1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then $SUDO dpkg --add-architecture i386; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
make_locales
