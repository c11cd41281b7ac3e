#!/usr/bin/env bash
# Builds vornalt.exe from a clean build folder and packs the release archive
# dist/vornalt-<version>-win64.zip (bin/vornalt.exe, share/doc/vornalt/),
# with dist/SHA256SUMS beside it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/setup.sh
build=build/package
rm -rf "$build"
# For size: the program's text work takes microseconds either way.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-Os -DNDEBUG" \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DVORNALT_TESTS=OFF >/dev/null
cmake --build "$build" >/dev/null
mkdir -p dist
(cd "$build" && cpack -B "$root/dist" >/dev/null)
rm -rf dist/_CPack_Packages
# The checksum file beside the archive, in the form `sha256sum -c` reads.
(cd dist && sha256sum vornalt-*-win64.zip >SHA256SUMS && sha256sum --quiet -c SHA256SUMS)
ls -l dist/*.zip dist/SHA256SUMS
