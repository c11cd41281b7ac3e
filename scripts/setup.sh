#!/usr/bin/env bash
# Installs what is missing, and only that. Quiet and idempotent: a second run
# installs nothing and prints nothing.
#
# Usage: setup.sh [run|stand-in|package]
#   setup.sh           everything the builds, the tests, fuzzing and the
#                      measurements need (test.sh, bench.sh, fuzz.sh)
#   setup.sh run       only what building vornalt.exe and running it under
#                      Wine needs (run.sh)
#   setup.sh stand-in  that, and GoogleTest, without which CMake defines no
#                      stand-in host (run.sh --stand-in)
#   setup.sh package   only what building the release needs (package.sh):
#                      no Wine, no tests, no workflow validator
set -euo pipefail
scope=${1:-all}
case "$scope" in
  all | run | stand-in | package) ;;
  -h | --help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
  *) echo "usage: setup.sh [run|stand-in|package]" >&2; exit 2 ;;
esac

missing=()
need() {  # need PACKAGE TEST...: the package when the test fails
  local package=$1
  shift
  "$@" >/dev/null 2>&1 || missing+=("$package")
}
has() { command -v "$1"; }

# The windows preset's build of vornalt.exe (the release's too), and Wine to
# run it.
need cmake has cmake
need ninja-build has ninja
need g++-mingw-w64-x86-64-posix has x86_64-w64-mingw32-g++-posix
if [ "$scope" != package ]; then
  need wine64 test -x /usr/lib/wine/wine64
fi
if [ "$scope" = all ] || [ "$scope" = stand-in ]; then
  need googletest test -f /usr/src/googletest/CMakeLists.txt
fi
if [ "$scope" = all ] || [ "$scope" = package ]; then
  need python3 has python3
fi
if [ "$scope" = all ]; then
  need g++ has g++
  need g++-mingw-w64-x86-64-win32 has x86_64-w64-mingw32-g++-win32
  need unicode-data test -f /usr/share/unicode/UnicodeData.txt
  need libicu-dev test -f /usr/include/unicode/ustring.h
  need tmux has tmux
  need clang has clang++
  need lld has ld.lld
  need libclang-rt-14-dev test -d /usr/lib/llvm-14/lib/clang/14.0.6/lib/linux
  need libbenchmark-dev test -f /usr/include/benchmark/benchmark.h
  need clang-format has clang-format
  need clang-tidy has clang-tidy
  need nodejs has node
  need npm has npm
fi

install_validator() {
  # The workflow validator, pinned, in a folder of the project's own.
  [ "$scope" = all ] || return 0
  local version=0.6.0
  local folder=$root/.tools/action-validator
  [ "$(cat "$folder/version" 2>/dev/null)" = "$version" ] && return 0
  echo "setup: installing @action-validator/cli@$version into .tools/" >&2
  rm -rf "$folder"
  mkdir -p "$folder"
  npm install --prefix "$folder" --no-audit --no-fund --silent "@action-validator/cli@$version" >/dev/null
  echo "$version" >"$folder/version"
}
root=$(cd "$(dirname "$0")/.." && pwd)

if [ ${#missing[@]} -eq 0 ]; then
  install_validator
  exit 0
fi

if ! command -v apt-get >/dev/null 2>&1; then
  echo "setup: apt-get is not available; install these packages by hand: ${missing[*]}" >&2
  exit 1
fi
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "setup: run as root (or install sudo) to install: ${missing[*]}" >&2
    exit 1
  fi
  sudo=(sudo)
fi
echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq >/dev/null
"${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
install_validator
