#!/usr/bin/env bash
# Packs the release archive from a build folder, unpacks it, and runs the
# vornalt.exe inside under Wine with --help.
# Usage: package_test.sh <wine-run.sh> <build folder> <cpack>
set -euo pipefail
wine_run=$(readlink -f "$1")
build=$2
cpack=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cpack" --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null
archive="$work/out/vornalt-1.0.0-win64.zip"
[ -f "$archive" ] || { echo "FAILED: no $archive"; exit 1; }
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$archive")
listing=$(cd "$work/unpacked" && find . -type f | sort)
expected=$'./bin/vornalt.exe\n./share/doc/vornalt/LICENSE\n./share/doc/vornalt/README.md'
[ "$listing" = "$expected" ] || { echo "FAILED: the archive holds"$'\n'"$listing"; exit 1; }

help=$("$wine_run" "$work/unpacked/bin/vornalt.exe" --help)
case "$help" in
  "vornalt Console Launcher, v1.0.0"*) echo "ok: the packed vornalt.exe shows its help" ;;
  *) echo "FAILED: unexpected help output:"; echo "$help"; exit 1 ;;
esac
