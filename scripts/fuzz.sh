#!/usr/bin/env bash
# Runs every fuzz target for the given time (default 60 s each) from the
# committed seed corpus and what earlier runs found, and stops at the first
# crash or broken property. What the fuzzers find, the new inputs and each
# one that failed, is kept in build/fuzz-finds/<target>/
# (tests/fuzz/run_fuzzer.sh), never in tests/fuzz/corpus/; CONTRIBUTING.md
# says how to make a find a seed, and what an input is to each target.
#
# Usage: fuzz.sh [SECONDS]
set -euo pipefail
case "${1:-}" in
  -h | --help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
  *[!0-9]*) echo "usage: fuzz.sh [SECONDS]" >&2; exit 2 ;;
esac
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-60}
./scripts/setup.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null
for target in command_line parse_arguments compose_command_line cmd_forms wrap_text lower_case wtf8 \
  relay_report message_lines; do
  echo "fuzz_$target: ${seconds}s"
  tests/fuzz/run_fuzzer.sh "build/fuzz/tests/fuzz/fuzz_$target" "tests/fuzz/corpus/$target" "$seconds"
done
echo "all fuzz targets ran clean"
