#!/usr/bin/env bash
# vornalt.exe with standard output and error on a full disk (/dev/full) or
# closed: it must neither crash nor hang, and must still launch.
# Usage: unwritable_output_test.sh <wine-run.sh> <vornalt.exe> <wt.exe stand-in>
set -uo pipefail
wine_run=$(readlink -f "$1")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$2" "$dir/vornalt.exe"
cp "$3" "$dir/wt.exe"
cd "$dir"
failures=0

check() {  # check DESCRIPTION STATUS EXPECTED_STATUS
  if [ "$2" -eq "$3" ] && [ -f wt.done ]; then
    echo "ok: $1"
  else
    echo "FAILED: $1 (status $2, expected $3; launched: $([ -f wt.done ] && echo yes || echo no))"
    failures=$((failures + 1))
  fi
  rm -f wt.cmdline wt.done
}

timeout 60 "$wine_run" vornalt.exe wt -w cmd /c echo x >/dev/full 2>/dev/full
check "both streams to /dev/full" $? 0
timeout 60 "$wine_run" vornalt.exe wt -w cmd /c echo x >&- 2>&-
check "both streams closed" $? 0
timeout 60 "$wine_run" vornalt.exe wt -w cmd /c echo x >/dev/full 2>/dev/null
check "standard output to /dev/full" $? 0
exit $((failures > 0))
