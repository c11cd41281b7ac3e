#!/usr/bin/env python3
"""Turns Google Benchmark's JSON into the table scripts/bench.sh prints, and
checks the growth and the whole-request budget.

Usage: report.py <benchmark.json> <bare launch median, ms>; exits 1 when a
limit is broken. The bare launch is the median bare CreateProcessW under Wine
that launch_overhead.py measured in the same run: absolute times on a shared
machine swing by 2x between runs, a ratio of two figures of one run does not."""
import json
import sys

GROWTH_LIMIT = 40  # time at 1 MiB / time at 32 KiB; 32 is exactly linear
REQUEST_LIMIT = 0.01  # whole request / median bare CreateProcessW launch

results = json.load(open(sys.argv[1]))["benchmarks"]
times = {}
for r in results:
    if r.get("run_type") == "aggregate" and r.get("aggregate_name") != "median":
        continue
    name = r["run_name"] if "run_name" in r else r["name"]
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[r["time_unit"]]
    times[name] = r["real_time"] * scale

ok = True
print(f"{'function':<30}{'1 KiB':>12}{'32 KiB':>12}{'1 MiB':>12}{'1M/32K':>9}")
for function in ["lower_case", "quote_arguments", "encode_powershell_command",
                 "compose_command_line", "wrap_text"]:
    t = [times[f"BM_{function}/{n}"] for n in (1024, 32768, 1048576)]
    growth = t[2] / t[1]
    verdict = "" if growth <= GROWTH_LIMIT else "  TOO STEEP"
    ok &= growth <= GROWTH_LIMIT
    print(f"{function:<30}{t[0]:>10.1f}us{t[1]:>10.1f}us{t[2]:>10.1f}us{growth:>9.1f}{verdict}")
request = times["BM_whole_request"]
try:
    launch_us = float(sys.argv[2]) * 1e3
except (IndexError, ValueError):
    launch_us = None
if launch_us is None or launch_us <= 0:
    ok = False
    print(f"whole request, 32,767 units: {request:.1f}us; no bare launch measured "
          f"to weigh it against (limit {REQUEST_LIMIT:.0%} of one)  NOT MEASURED")
else:
    ratio = request / launch_us
    verdict = "" if ratio <= REQUEST_LIMIT else "  OVER BUDGET"
    ok &= ratio <= REQUEST_LIMIT
    print(f"whole request, 32,767 units: {request:.1f}us against a bare CreateProcessW launch "
          f"of {launch_us / 1e3:.1f}ms: ratio {ratio:.2%} (limit {REQUEST_LIMIT:.0%}){verdict}")
sys.exit(0 if ok else 1)
