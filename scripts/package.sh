#!/usr/bin/env bash
# Builds vornalt.exe from a clean build folder and makes the release in dist/:
# - vornalt-<version>-win64.zip: bin/vornalt.exe and share/doc/vornalt/ with
#   README.md, LICENSE, every file under docs/, and what the pages link to:
#   CONTRIBUTING.md and the headers that document vornalt.exe's processes'
#   lines and pipes (src/lib/relay/relay_message.h,
#   src/lib/elevated/elevated_message.h, src/lib/pipe/protocol.h);
# - SHA256SUMS, in the form `sha256sum -c` reads;
# - vornalt.json, the Scoop manifest of this release;
# - winget/manifests/v/Vornalt/Vornalt/<version>/, its winget manifests, to be
#   submitted to microsoft/winget-pkgs.
# The same commit gives the same bytes on the same kind of machine (Debian 12,
# its MinGW-w64 and Python): every time in the build is the last commit's, and
# scripts/check-reproducible.sh checks it.
#
# bucket/vornalt.json, the manifest of the Scoop bucket that this repository
# is, names the latest published release: when one is published, it is
# replaced by the vornalt.json that CI's release job uploaded beside the ZIP
# (or, the build being reproducible, one made here from the release's tag),
# and Scoop's checkver and autoupdate can refresh it as well. It lags behind
# the sources, so its version and hash are not those of a new build; the rest
# of it must match (tests/release/release_test.py --bucket checks that).
# Before the first release it names the release to come, without a hash.
#
# Usage: package.sh [--build-dir DIR] [--dist-dir DIR]  (build/package, dist)
# It installs only what the build of the release needs (scripts/setup.sh
# package).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/package
dist=$root/dist
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build=$(realpath -m "$2"); shift 2 ;;
    --dist-dir) dist=$(realpath -m "$2"); shift 2 ;;
    -h | --help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
    *) echo "usage: package.sh [--build-dir DIR] [--dist-dir DIR]" >&2; exit 2 ;;
  esac
done
cd "$root"
./scripts/setup.sh package

# The time the build writes wherever it would write "now": the ZIP's entries
# and GCC's __DATE__ and __TIME__ (https://reproducible-builds.org/).
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct) ||
    { echo "package.sh: no git history here: set SOURCE_DATE_EPOCH" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH

rm -rf "$build"
# For size: the program's text work takes microseconds either way.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-Os -DNDEBUG" \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DVORNALT_TESTS=OFF >/dev/null
cmake --build "$build" >/dev/null
cmake --install "$build" --prefix "$build/stage" >/dev/null
rm -rf "$dist"/*-win64.zip "$dist/SHA256SUMS" "$dist/vornalt.json" "$dist/winget"
python3 scripts/release.py --info "$build/release-info.json" --stage "$build/stage" --out "$dist"
(cd "$dist" && sha256sum --quiet -c SHA256SUMS)
ls -l "$dist"/*.zip "$dist/SHA256SUMS" "$dist/vornalt.json"
