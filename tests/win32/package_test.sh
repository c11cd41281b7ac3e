#!/usr/bin/env bash
# Makes the release archive from a build folder as scripts/package.sh does,
# unpacks it, checks the files it holds, and runs the vornalt.exe inside
# under Wine with --help.
# Usage: package_test.sh <wine-run.sh> <build folder> <cmake>
set -euo pipefail
wine_run=$(readlink -f "$1")
build=$2
cmake=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cmake" --install "$build" --prefix "$work/stage" >/dev/null
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 0)} \
  python3 "$root/scripts/release.py" --info "$build/release-info.json" --stage "$work/stage" \
  --out "$work/out"
archive="$work/out/vornalt-1.0.0-win64.zip"
[ -f "$archive" ] || { echo "FAILED: no $archive"; exit 1; }
mkdir "$work/unpacked"
(cd "$work/unpacked" && "$cmake" -E tar xf "$archive")
listing=$(cd "$work/unpacked" && find . -type f | LC_ALL=C sort)
# Every file under docs/, whatever pages it holds.
expected=$( (printf '%s\n' ./bin/vornalt.exe ./share/doc/vornalt/LICENSE ./share/doc/vornalt/README.md \
    ./share/doc/vornalt/CONTRIBUTING.md ./share/doc/vornalt/src/lib/relay/relay_message.h \
    ./share/doc/vornalt/src/lib/elevated/elevated_message.h ./share/doc/vornalt/src/lib/pipe/protocol.h
  if [ -d "$root/docs" ]; then
    (cd "$root" && find docs -type f | sed 's|^|./share/doc/vornalt/|')
  fi) | LC_ALL=C sort)
[ "$listing" = "$expected" ] ||
  { echo "FAILED: the archive holds"$'\n'"$listing"$'\n'"instead of"$'\n'"$expected"; exit 1; }

# Every relative link of the shipped pages names a file of the archive (and a
# heading of it, where it has a #).
if ! (cd "$work/unpacked" && find . -name '*.md' -print0 | LC_ALL=C sort -z |
  xargs -0 python3 "$root/scripts/check-links.py" --root .) >"$work/links"; then
  echo "FAILED: a shipped page links to what the archive does not hold:"
  grep BROKEN "$work/links"
  exit 1
fi
echo "ok: $(tail -n 1 "$work/links")"

help=$("$wine_run" "$work/unpacked/bin/vornalt.exe" --help)
case "$help" in
  "vornalt Console Launcher, v1.0.0"*) echo "ok: the packed vornalt.exe shows its help" ;;
  *) echo "FAILED: unexpected help output:"; echo "$help"; exit 1 ;;
esac
