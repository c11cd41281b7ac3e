#!/usr/bin/env bash
# Checks what the scripts promise before they do any work:
# - each script of scripts/ (but wine-env.sh, which is sourced) prints its
#   usage on --help and exits 0 at once, rather than building, measuring or
#   failing;
# - run.sh refuses -k with --stand-in, with the reason and status 2, however
#   vornalt.exe would read it, before it installs or builds anything.
#
# Usage: scripts_test.sh
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

for script in "$root"/scripts/*.sh "$root"/scripts/*.py; do
  name=${script#"$root"/}
  [ "$name" = scripts/wine-env.sh ] && continue
  # A script that ignored --help would start its work: it gets 20 s.
  out=$(timeout 20 "$script" --help </dev/null 2>&1)
  status=$?
  [ "$status" -eq 0 ] || fail "$name --help exited with $status: $out"
  grep -qi '^usage: ' <<<"$out" || fail "$name --help printed no usage line: $out"
done

# vornalt.exe's arguments after --stand-in that ask for -k.
refused=(
  "conhost -k cmd /c exit 3"
  "conhost -e -k cmd /c exit 3"
  "wt -K x"
  "conhost /keep x"
  "conhost -t -k -k x"  # the title is -k, then -k
  "conhost -v A=1 --KEEP -q x"
  "conhost --size 100,30 --MIN /pos -5,5 -k x"
  "wt --no-focus --max --fullscreen -k x"
)
for arguments in "${refused[@]}"; do
  # shellcheck disable=SC2086  # the words of the case
  out=$(timeout 20 "$root/scripts/run.sh" --stand-in $arguments </dev/null 2>&1)
  status=$?
  [ "$status" -eq 2 ] || fail "run.sh --stand-in $arguments exited with $status, not 2: $out"
  grep -q -- '-k cannot be used with --stand-in: .*cannot be seen' <<<"$out" ||
    fail "run.sh --stand-in $arguments did not say why: $out"
done

[ "$failures" -eq 0 ] && echo "ok: every script's --help, and run.sh's refusal of -k"
exit "$((failures > 0))"
