#!/usr/bin/env bash
# Runs one fuzz target for a while from its committed seeds and from what
# earlier runs found. What it finds is kept in build/fuzz-finds/<target>/
# (build/ is not committed): the new inputs that reach code the others do
# not, and each input that failed, as crash-…, leak-… or timeout-…. The
# next run starts from them too, so an input that failed fails again until
# the fault is fixed; CONTRIBUTING.md says how to make one a seed.
# Usage: run_fuzzer.sh <fuzzer> <seed folder> <seconds>
set -uo pipefail
fuzzer=$1
seeds=$2
seconds=$3
target=$(basename "$seeds")
finds=$(cd "$(dirname "$0")/../.." && pwd)/build/fuzz-finds/$target
mkdir -p "$finds"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
# New inputs go to the finds; the seeds stay as committed.
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$finds/" "$finds" "$seeds" >"$log" 2>&1
status=$?
if [ "$status" -ne 0 ]; then
  tail -n 40 "$log"
  # libFuzzer names each input that failed: "Test unit written to <file>".
  sed -n 's/.*Test unit written to //p' "$log" | sort -u | while IFS= read -r failed; do
    echo "input that failed, kept: $failed ($(stat -c %s "$failed") bytes); again:" \
      "$fuzzer $failed"
    od -c "$failed" | head -20
  done
else
  grep -E "^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)" "$log"
fi
echo "finds of fuzz_$target: $finds ($(find "$finds" -type f | wc -l) inputs)"
exit "$status"
