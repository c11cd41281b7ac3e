#!/usr/bin/env bash
# Runs clang-tidy (with the committed .clang-tidy) over the program's sources:
# the portable core against the native build, the Windows files against the
# Windows build. Both builds must have been configured.
#
# Usage: tidy.sh
set -euo pipefail
case "${1:-}" in
  -h | --help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
esac
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
gcc_include=/usr/lib/gcc/x86_64-w64-mingw32/12-posix/include/c++
# clang-tidy reports on standard output; standard error only counts what it skipped.
clang-tidy --quiet -p build/native $(find src/lib -name '*.cpp' -not -path '*/win32/*' | sort) 2>/dev/null
clang-tidy --quiet -p build/windows --extra-arg=--target=x86_64-w64-mingw32 \
  --extra-arg=-isystem"$gcc_include" --extra-arg=-isystem"$gcc_include/x86_64-w64-mingw32" \
  src/lib/win32/*.cpp src/main.cpp 2>/dev/null
