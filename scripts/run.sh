#!/usr/bin/env bash
# Builds vornalt.exe and runs it with the given arguments (under Wine on Linux).
#   ./scripts/run.sh conhost -t Demo cmd /c echo Hello
# Wine's conhost.exe runs no command, and there is no wt.exe: with --stand-in
# first, vornalt.exe runs beside the tests' stand-in conhost.exe and wt.exe
# (tests/doubles/), which start the command as the real hosts do, so that -w
# waits for it and -e hands back its status:
#   ./scripts/run.sh --stand-in conhost -e cmd /c exit 3; echo $?    # 3
# Only what that needs is installed (scripts/setup.sh run, or stand-in).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scope=run
targets=(vornalt)
if [ "${1:-}" = --stand-in ]; then
  scope=stand-in
  targets+=(double_conhost double_wt)
  shift
fi
./scripts/setup.sh "$scope"
{ cmake --preset windows && cmake --build --preset windows --target "${targets[@]}"; } >/dev/null
program=build/windows/vornalt.exe
if [ "$scope" = stand-in ]; then
  # vornalt.exe looks for the host in its own folder first.
  folder=build/stand-in
  rm -rf "$folder"
  mkdir -p "$folder"
  cp build/windows/vornalt.exe build/windows/tests/win32/doubles/{conhost,wt}.exe "$folder"/
  program=$folder/vornalt.exe
fi
source scripts/wine-env.sh
wine_env_start "$root/build/wineprefix"
exec "$WINE" "$program" "$@"
