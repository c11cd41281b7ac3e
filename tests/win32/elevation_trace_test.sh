#!/usr/bin/env bash
# The elevated start of -a as Wine's own trace channel shows it: every
# ShellExecuteExW of vornalt asks for the verb "runas", starts vornalt.exe
# itself with its elevated start's words, and no value of -v is on them.
# (Wine has no elevation prompt; the end-to-end test of -a runs vornalt
# unelevated, through the test's linked token.)
# Usage: elevation_trace_test.sh <wine-run.sh> <e2e_test.exe> <vornalt.exe> <folder of the stand-ins>
set -uo pipefail
trace=$(mktemp)
trap 'rm -f "$trace"' EXIT
WINEDEBUG=trace+exec "$1" "$2" "$3" "$4" \
  --gtest_filter=EndToEnd.AdminKeepsTheWholeRequest >/dev/null 2>"$trace"
status=$?
failures=0
fail() {
  echo "FAILED: $1"
  failures=$((failures + 1))
}
[ "$status" -eq 0 ] || fail "the end-to-end test of -a failed (status $status)"
starts=$(grep -a 'trace:exec:SHELL_execute mask=' "$trace")
count=$(printf '%s' "$starts" | grep -c . || true)
[ "$count" -ge 4 ] || fail "$count elevated starts traced, not the test's 4"
while IFS= read -r line; do
  [ -n "$line" ] || continue
  case "$line" in
    *'verb=L"runas" file=L"'*'vornalt.exe" parm=L"--vornalt-elevated '*) ;;
    *) fail "not vornalt.exe's elevated start with runas: $line" ;;
  esac
  case "$line" in
    *hush*) fail "a value of -v on the elevated start's line: $line" ;;
  esac
done <<<"$starts"
[ "$failures" -eq 0 ] && echo "elevation_trace_test: $count elevated starts, all runas, no value on them"
exit $((failures > 0))
