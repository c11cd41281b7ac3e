#!/usr/bin/env bash
# Runs one fuzz target for a while from its committed seeds.
# Usage: run_fuzzer.sh <fuzzer> <seed folder> <seconds>
set -uo pipefail
fuzzer=$1
seeds=$2
seconds=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus"
# New inputs go to the scratch corpus; the seeds stay as committed.
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$work/" "$work/corpus" "$seeds" >"$work/log" 2>&1
status=$?
if [ "$status" -ne 0 ]; then
  tail -n 40 "$work/log"
  for crash in "$work"/crash-* "$work"/leak-* "$work"/timeout-*; do
    [ -f "$crash" ] && { echo "input that failed ($crash):"; od -c "$crash" | head -20; }
  done
else
  grep -E "^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)" "$work/log"
fi
exit "$status"
