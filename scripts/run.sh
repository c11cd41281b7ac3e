#!/usr/bin/env bash
# Builds vornalt.exe and runs it with the given arguments (under Wine on Linux).
#   ./scripts/run.sh conhost -t Demo cmd /c echo Hello
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/setup.sh
{ cmake --preset windows && cmake --build --preset windows; } >/dev/null
source scripts/wine-env.sh
wine_env_start "$root/build/wineprefix"
exec "$WINE" build/windows/vornalt.exe "$@"
