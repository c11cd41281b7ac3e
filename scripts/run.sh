#!/usr/bin/env bash
# Builds vornalt.exe and runs it with the given arguments (under Wine on Linux).
#   ./scripts/run.sh conhost -t Demo cmd /c echo Hello
# Only what that needs is installed (scripts/setup.sh run).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/setup.sh run
{ cmake --preset windows && cmake --build --preset windows --target vornalt; } >/dev/null
source scripts/wine-env.sh
wine_env_start "$root/build/wineprefix"
exec "$WINE" build/windows/vornalt.exe "$@"
