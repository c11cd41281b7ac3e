#!/usr/bin/env python3
"""Turns Google Benchmark's JSON into the table scripts/bench.sh prints, and
checks the growth and the whole-request budget.

Exits 1 when a limit is broken. The bare launch is the median bare
CreateProcessW under Wine that launch_overhead.py measured in the same run:
absolute times on a shared machine swing by 2x between runs, a ratio of two
figures of one run does not.

The growth of a function, its time at 1 MiB over its time at 32 KiB, is
judged as the launch gates are: the repetitions of the two sizes (which
bench.sh interleaves at random with all the others, so that a slow spell
hits both sizes alike) are paired by their index, and the gate fails only
when the whole bootstrap 95% interval of the median of the pairs' ratios
lies over the limit. One slow repetition moves a median of a few but not
the interval. An interval that straddles the limit is inconclusive and does
not fail. --self-test checks that decision on made-up times."""
import argparse
import json
import statistics
import sys

from launch_overhead import decide, median_interval

GROWTH_LIMIT = 40  # time at 1 MiB / time at 32 KiB; 32 is exactly linear
REQUEST_LIMIT = 0.01  # whole request / median bare CreateProcessW launch
FUNCTIONS = ["lower_case", "quote_arguments", "encode_powershell_command",
             "compose_command_line", "wrap_text"]
SIZES = (1024, 32768, 1048576)


def repetitions(results):
    """Each benchmark's times in microseconds, in the order of its repetitions."""
    times = {}
    for r in results:
        if r.get("run_type", "iteration") != "iteration":
            continue
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[r["time_unit"]]
        times.setdefault(r.get("run_name", r["name"]), {})[r.get("repetition_index", 0)] = \
            r["real_time"] * scale
    return {name: [t for _, t in sorted(by_index.items())] for name, by_index in times.items()}


def growth(small, large):
    """The median ratio large / small of the repetitions paired by index, its
    95% interval, and the decision against GROWTH_LIMIT."""
    ratios = [b / a for a, b in zip(small, large)]
    low, high = median_interval(ratios)
    return statistics.median(ratios), low, high, decide(low, high, GROWTH_LIMIT)


def report(results, launch_ms):
    times = repetitions(results)
    ok = True
    verdict = {"pass": "", "FAIL": "  TOO STEEP",
               "inconclusive": f"  inconclusive: straddles the limit {GROWTH_LIMIT}; not failed"}
    print(f"{'function':<30}{'1 KiB':>12}{'32 KiB':>12}{'1 MiB':>12}{'1M/32K':>9}  95% interval")
    for function in FUNCTIONS:
        t = [times[f"BM_{function}/{n}"] for n in SIZES]
        ratio, low, high, decision = growth(t[1], t[2])
        ok &= decision != "FAIL"
        medians = "".join(f"{statistics.median(ts):>10.1f}us" for ts in t)
        print(f"{function:<30}{medians}{ratio:>9.1f}  {low:.1f} to {high:.1f}{verdict[decision]}")
    print(f"growth: 1 MiB against 32 KiB, {len(t[1])} repetitions paired; a function fails when "
          f"the whole interval of its median ratio is over {GROWTH_LIMIT}")
    request = statistics.median(times["BM_whole_request"])
    if launch_ms is None or launch_ms <= 0:
        print(f"whole request, 32,767 units: {request:.1f}us; no bare launch measured "
              f"to weigh it against (limit {REQUEST_LIMIT:.0%} of one)  NOT MEASURED")
        return False
    launch_us = launch_ms * 1e3
    ratio = request / launch_us
    print(f"whole request, 32,767 units: {request:.1f}us against a bare CreateProcessW launch "
          f"of {launch_ms:.1f}ms: ratio {ratio:.2%} (limit {REQUEST_LIMIT:.0%})"
          + ("" if ratio <= REQUEST_LIMIT else "  OVER BUDGET"))
    return ok and ratio <= REQUEST_LIMIT


def self_test():
    linear = [100.0 + i for i in range(10)]  # 32 KiB, a little noise
    cases = [
        # the 1 MiB times, paired with `linear`, and the decision
        ("linear", [32 * t for t in linear], "pass"),
        # One repetition at 1 MiB slowed down by others' work twice over:
        # the median of five of them read 41.6 once.
        ("one slow spell", [32 * t * (2 if i == 3 else 1) for i, t in enumerate(linear)], "pass"),
        ("steeper everywhere", [45 * t for t in linear], "FAIL"),
        ("quadratic", [1024 * t for t in linear], "FAIL"),
        ("half too steep", [(32 if i % 2 else 48) * t for i, t in enumerate(linear)],
         "inconclusive"),
    ]
    failures = 0
    for name, large, expected in cases:
        ratio, low, high, decision = growth(linear, large)
        if decision != expected:
            failures += 1
            print(f"{name}: {decision} (median ratio {ratio:.1f}, interval {low:.1f} to "
                  f"{high:.1f}), expected {expected}")
    # The repetitions are read by their index, whatever order the JSON
    # lists them in (interleaved at random), and aggregates are left out.
    made_up = [
        {"run_type": "iteration", "run_name": "BM_x/1", "name": "BM_x/1", "repetition_index": i,
         "real_time": t, "time_unit": unit}
        for i, t, unit in [(2, 3.0, "ms"), (0, 1000.0, "ns"), (1, 2.0, "us")]
    ] + [{"run_type": "aggregate", "run_name": "BM_x/1", "name": "BM_x/1_median",
          "aggregate_name": "median", "real_time": 9.0, "time_unit": "us"}]
    if repetitions(made_up) != {"BM_x/1": [1.0, 2.0, 3000.0]}:
        failures += 1
        print(f"the repetitions read {repetitions(made_up)}, not [1.0, 2.0, 3000.0] us")
    print(f"{len(cases) + 1 - failures} passed, {failures} failed")
    return failures == 0


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--self-test", action="store_true",
                        help="check the growth decision on made-up times")
    parser.add_argument("json", nargs="?", metavar="BENCHMARK.json",
                        help="Google Benchmark's JSON output (--benchmark_out)")
    parser.add_argument("launch_ms", nargs="?", metavar="LAUNCH_MS",
                        help="the median bare launch, in milliseconds (launch_overhead.py "
                             "--bare-median-to); without it the whole request cannot be "
                             "weighed, and the report fails")
    arguments = parser.parse_args()
    if arguments.self_test:
        sys.exit(0 if self_test() else 1)
    if not arguments.json:
        parser.error("the benchmark's JSON is needed")
    try:
        launch_ms = float(arguments.launch_ms)
    except (TypeError, ValueError):
        launch_ms = None
    with open(arguments.json) as results:
        sys.exit(0 if report(json.load(results)["benchmarks"], launch_ms) else 1)


if __name__ == "__main__":
    main()
