#!/usr/bin/env python3
"""Times whole runs of vornalt.exe in paired runs under Wine, and judges each
ratio gate of GATES by a confidence interval of its median ratio.

A pair runs the two commands of a gate back to back, alternating which goes
first, and gives one ratio: first / second. The gate takes FIRST_PAIRS pairs,
and a percentile bootstrap gives a 95% interval of the median ratio (seeded,
so that the interval is a function of the ratios alone). The gate
- fails when the whole interval lies above the limit: surely over it;
- passes when the whole interval lies at or under the limit;
- otherwise takes BATCH more pairs, up to MAX_PAIRS, and if the interval still
  straddles the limit, says "inconclusive" and does not fail.
One median of a few dozen noisy pairs cannot tell 1.02 from 1.11; the
interval says how far the data can be trusted.

Exits 1 when a gate fails."""
import argparse
import math
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time
from typing import NamedTuple


class Gate(NamedTuple):
    name: str
    first: list  # the command line measured, run in the folder under Wine
    second: list  # the one it is weighed against
    statuses: tuple  # the exit statuses the first and the second must end with
    limit: float  # the most that the median ratio first / second may be
    keeps_window: bool = False  # the first leaves a window waiting for a key (-k)
    # The second gives the stand-in conhost.exe the shell line that vornalt.exe
    # gives it after the relay's words: checked once before the timing.
    same_shell_line: bool = False


def conhost_run(*options):
    """vornalt.exe starting `cmd /c exit 3` through the stand-in conhost."""
    return ["vornalt.exe", "conhost", *options, "-q", "cmd", "/c", "exit", "3"]


# The shell line that vornalt.exe composes for conhost_run's command (the
# title first, empty).
SHELL_LINE = ["cmd.exe", "/c", "title", "&&", "cmd", "/c", "exit", "3"]

GATES = [
    # vornalt.exe's whole run (start, parse, compose, the search for the
    # host, CreateProcessW, exit) against a program that only calls
    # CreateProcessW with the same command line.
    Gate("launch", ["vornalt.exe", "wt", "-q", "x"], ["bare_launch.exe"], (0, 0), 1.10),
    # Waiting for the command's status through the relay against waiting for
    # the host: one more process start, the relay's, and the pipe.
    Gate("relay", conhost_run("-e"), conhost_run("-w"), (3, 0), 1.50),
    # The relay against the least that any program in its place must do: a
    # pass-through that starts the same shell line in the console, waits and
    # ends with its status, started by the same stand-in conhost.exe in a new
    # console. Both sides wait for conhost.exe, which ends after the relay or
    # the pass-through: -e alone would stop the clock as the relay closes its
    # pipe, before the ends of the relay and conhost.exe that the other side
    # waits for.
    Gate("floor", conhost_run("-e", "-w"),
         ["new_console.exe", "conhost.exe", "passthrough.exe", *SHELL_LINE], (3, 3), 1.10,
         same_shell_line=True),
    # -k and -v cost nothing beside the relay: -e returns once the command
    # has ended, before the window waits for its key (pressed after the
    # timing), and conhost.exe carries the variables in its environment.
    Gate("keep", conhost_run("-e", "-k"), conhost_run("-w"), (3, 0), 1.50, True),
    Gate("variables", conhost_run("-e", "-v", "BUILD_CONFIG=Release", "-v", "TEMP_TOKEN="),
         conhost_run("-w"), (3, 0), 1.50),
    # --size with conhost puts the relay in the window to size it, without a
    # pipe: -w still waits for conhost.exe alone.
    Gate("size", conhost_run("-w", "--size", "100,30"), conhost_run("-w"), (0, 0), 1.50),
    # -a from an unelevated process (Wine has no prompt): one more process
    # start, vornalt.exe's elevated start, and its pipe.
    Gate("admin", ["unelevated.exe", *conhost_run("-a", "-e")],
         ["unelevated.exe", *conhost_run("-e")], (3, 3), 1.50),
]
BARE_GATE = "launch"  # whose second side is the bare launch for --bare-median-to

FIRST_PAIRS = 100
BATCH = 100
MAX_PAIRS = 400
WARM_PAIRS = 3  # not counted: they warm the caches and the wineserver
RERUNS = 5  # pairs of a gate taken again after a run ended with a wrong status,
# or after its kept window could not be given its key
KEY_ATTEMPTS = 3  # tries to put the key into a kept window
RESAMPLES = 2000
SEED = 25


def median_interval(ratios):
    """The percentile bootstrap 95% interval of the median of the ratios."""
    rng = random.Random(SEED)
    medians = sorted(statistics.median(rng.choices(ratios, k=len(ratios)))
                     for _ in range(RESAMPLES))
    return medians[int(0.025 * RESAMPLES)], medians[int(0.975 * RESAMPLES) - 1]


def decide(low, high, limit):
    if low > limit:
        return "FAIL"
    if high <= limit:
        return "pass"
    return "inconclusive"


class Verdict(NamedTuple):
    decision: str
    pairs: int
    first_ms: float
    second_ms: float
    ratio: float
    low: float
    high: float


def judge(gate, measure_pair, report=lambda line: None):
    """Takes pairs, measure_pair(i) -> (first seconds, second seconds), until
    the interval is on one side of the limit or MAX_PAIRS are taken."""
    pairs = []
    while True:
        more = FIRST_PAIRS if not pairs else min(BATCH, MAX_PAIRS - len(pairs))
        pairs += [measure_pair(len(pairs) + i) for i in range(more)]
        ratios = [f / s for f, s in pairs]
        low, high = median_interval(ratios)
        decision = decide(low, high, gate.limit)
        if decision == "inconclusive" and len(pairs) < MAX_PAIRS:
            report(f"  {gate.name}: {len(pairs)} pairs, interval {low:.3f} to {high:.3f} "
                   f"straddles the limit {gate.limit:.3f}: {BATCH} more")
            continue
        return Verdict(decision, len(pairs), statistics.median(f for f, _ in pairs) * 1e3,
                       statistics.median(s for _, s in pairs) * 1e3, statistics.median(ratios),
                       low, high)


def describe(gate, v):
    outcome = {"pass": "pass: the interval is at or under the limit",
               "FAIL": "FAIL: the whole interval is over the limit",
               "inconclusive": f"inconclusive after {v.pairs} pairs: the interval straddles "
                               "the limit; not failed"}[v.decision]
    return (f"{gate.name}: `{' '.join(gate.first)}` against `{' '.join(gate.second)}`, "
            f"{v.pairs} pairs under Wine: medians {v.first_ms:.1f} ms and {v.second_ms:.1f} ms, "
            f"median ratio {v.ratio:.3f}, 95% interval {v.low:.3f} to {v.high:.3f} "
            f"(limit {gate.limit:.3f}): {outcome}")


class SpoiltRun(Exception):
    """A run that says nothing about the time: a wrong exit status, or a kept
    window that could not be given its key."""


def pair_of(gate, timed, report=lambda line: print(line, flush=True)):
    """measure_pair(i) for the gate: the two runs' times, timed(args, status,
    keeps_window) -> seconds, the order alternating with i. A pair with a
    spoilt run is taken again, RERUNS times at most for the gate."""
    reruns = 0

    def measure_pair(i):
        nonlocal reruns
        while True:
            try:
                # Alternate which goes first so that drift hits both alike.
                if i % 2:
                    s = timed(gate.second, gate.statuses[1])
                    return timed(gate.first, gate.statuses[0], gate.keeps_window), s
                f = timed(gate.first, gate.statuses[0], gate.keeps_window)
                return f, timed(gate.second, gate.statuses[1])
            except SpoiltRun as spoilt:
                # Under a heavy load Wine's CreateProcessW of a new console
                # fails now and then (ERROR_INTERNAL_ERROR), and so, once in
                # a while, does putting a key into a kept window: that says
                # nothing about the time, so the pair is taken again, a few
                # times at most.
                reruns += 1
                if reruns > RERUNS:
                    sys.exit(f"{gate.name}: {spoilt}; {RERUNS} pairs already taken again")
                report(f"  {gate.name}: {spoilt}; the pair is taken again "
                       f"({reruns} of at most {RERUNS})")

    return measure_pair


def measure(wine, folder):
    """pair_of for a gate, timing its runs under Wine in the folder."""
    def close_kept_window():
        # The stand-in conhost.exe records the process it started: the relay.
        with open(os.path.join(folder, "conhost.pid"), "rb") as record:
            relay = record.read().decode("utf-16-le")
        for attempt in range(KEY_ATTEMPTS):
            if attempt:
                time.sleep(0.5)
            pressed = subprocess.run([wine, "console_input.exe", relay, "key"], cwd=folder,
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
            if pressed.returncode == 0:
                return
        # The window may stay open until the bench's wineserver ends; the
        # time was taken before, and a run after this one does not wait for it.
        raise SpoiltRun(f"no key could be put into the window of the relay {relay} "
                        f"({KEY_ATTEMPTS} tries)")

    def timed(args, status, keeps_window=False):
        # Standard error goes to a file, not a pipe: the programs that Wine
        # starts inherit it, and a window kept open would keep a pipe open.
        if keeps_window and os.path.exists(os.path.join(folder, "conhost.pid")):
            os.remove(os.path.join(folder, "conhost.pid"))  # a run before this one's
        with tempfile.TemporaryFile() as err:
            start = time.perf_counter()
            done = subprocess.run([wine] + args, cwd=folder, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=err)
            elapsed = time.perf_counter() - start
            err.seek(0)
            said = err.read().decode(errors="replace").strip()
        # A run that went wrong may have left no window to close.
        if keeps_window and done.returncode == status:
            close_kept_window()
        if done.returncode != status:
            raise SpoiltRun(f"`{' '.join(args)}` ended with {done.returncode}, not {status}"
                            + (f": {said}" if said else ""))
        return elapsed

    def shell_line(args, status):
        """The line that the stand-in conhost.exe started after the relay's
        words (its program, its marker and the pipe's id) or the
        pass-through's name."""
        timed(args, status)
        with open(os.path.join(folder, "conhost.started"), "rb") as record:
            line = record.read().decode("utf-16-le")
        after_relay = line.split(" --vornalt-relay ", 1)
        return after_relay[1].split(" ", 1)[1] if len(after_relay) == 2 else line.split(" ", 1)[1]

    def measure_pairs(gate):
        if gate.same_shell_line:
            try:
                lines = [shell_line(args, status) for args, status in
                         zip((gate.first, gate.second), gate.statuses)]
            except SpoiltRun as spoilt:
                sys.exit(f"{gate.name}: {spoilt}")
            if lines[0] != lines[1]:
                sys.exit(f"{gate.name}: the two sides gave conhost.exe different shell lines, "
                         f"{lines[0]!r} and {lines[1]!r}")
        return pair_of(gate, timed)

    return measure_pairs


def self_test():
    gate = Gate("made up", [], [], (0, 0), 1.10)
    rng = random.Random(1)

    def made_up(centre, spread=0.05):  # a pair whose ratio is centre, give or take
        return lambda i: (0.1 * (centre + rng.uniform(-spread, spread)), 0.1)

    cases = [
        # the ratios, the decision, the pairs it takes
        (made_up(1.30), "FAIL", FIRST_PAIRS),
        (made_up(1.00), "pass", FIRST_PAIRS),
        (made_up(1.10, 0.0), "pass", FIRST_PAIRS),  # at the limit
        (lambda i: (0.09 if i % 2 else 0.13, 0.1), "inconclusive", MAX_PAIRS),
    ]
    failures = 0
    for measure_pair, decision, pairs in cases:
        v = judge(gate, measure_pair)
        if (v.decision, v.pairs) != (decision, pairs):
            failures += 1
            print(f"expected {decision} after {pairs} pairs, got: {describe(gate, v)}")
    checks = len(cases)

    # A spoilt pair is taken again, and the gate gives up only when that
    # keeps happening: the runs spoilt in a row before a good one, and
    # whether the gate gives up.
    for spoilt, gives_up in [(0, False), (1, False), (RERUNS, False), (RERUNS + 1, True)]:
        runs = iter([None] * spoilt)

        def timed(args, status, keeps_window=False):
            if next(runs, "good") is None:
                raise SpoiltRun("made up")
            return 0.2 if args else 0.1

        checks += 1
        try:
            pair = pair_of(Gate("spoilt", ["first"], [], (0, 0), 1.10), timed, lambda line: None)(0)
            if gives_up or pair != (0.2, 0.1):
                failures += 1
                print(f"after {spoilt} spoilt runs the pair was {pair}")
        except SystemExit:
            if not gives_up:
                failures += 1
                print(f"the gate gave up after {spoilt} spoilt runs, at most {RERUNS} are retaken")

    # The interval against its law: the median of 19 draws from the ratios
    # below is at most v when 10 draws or more are, each with the chance p of
    # a ratio at most v, so its distribution is binomial. The 95% interval
    # runs from the first value over which more than 2.5% of the medians
    # lie to the first at which 97.5% do: here 1.04 to 1.16, where a 90% or
    # a 99% interval, or the mean, gives another one. No probability lies
    # near 2.5% or 97.5%, so 2,000 resamples cannot land on the other side.
    counts = {0.98: 5, 1.04: 1, 1.10: 7, 1.16: 1, 1.22: 5}
    ratios = [value for value, count in counts.items() for _ in range(count)]
    n, seen, law = len(ratios), 0, {}
    for value, count in counts.items():
        seen += count
        p = seen / n
        law[value] = sum(math.comb(n, k) * p**k * (1 - p)**(n - k)
                         for k in range(n // 2 + 1, n + 1))
    if any(abs(chance - end) < 0.01 for chance in law.values() for end in (0.025, 0.975)):
        sys.exit(f"self-test: the made-up ratios put the law of their median near an end: {law}")
    expected = (next(v for v, chance in law.items() if chance > 0.025),
                next(v for v, chance in law.items() if chance >= 0.975))
    checks += 1
    if median_interval(ratios) != expected:
        failures += 1
        print(f"the interval of {ratios} is {median_interval(ratios)}, not {expected} "
              f"(the chances that the median is at most each value: {law})")

    # The interval against percentiles taken here from the same resamples:
    # the low end has 2.5% of the resampled medians under it, the high end
    # 2.5% over it. Limits halfway between neighbouring medians at either
    # end decide otherwise when the interval is read one place off, or at
    # another level. Resampled medians tie often; these ratios (seed 110)
    # give distinct ones around both ends.
    made_up = random.Random(110)
    ratios = [made_up.uniform(0.95, 1.25) for _ in range(200)]
    resampling = random.Random(SEED)
    medians = sorted(statistics.median(resampling.choices(ratios, k=len(ratios)))
                     for _ in range(RESAMPLES))
    tail = round(0.025 * len(medians))
    low_at, high_at = tail, len(medians) - 1 - tail
    if len({medians[i] for i in (low_at - 1, low_at, low_at + 1,
                                 high_at - 1, high_at, high_at + 1)}) != 6:
        sys.exit("self-test: the made-up ratios give tied medians where the interval ends")

    def between(i):
        return (medians[i] + medians[i + 1]) / 2

    limits = [(between(low_at - 1), "FAIL"), (between(low_at), "inconclusive"),
              (between(high_at - 1), "inconclusive"), (between(high_at), "pass")]
    interval = median_interval(ratios)
    decided = [decide(*interval, limit) for limit, _ in limits]
    if interval != (medians[low_at], medians[high_at]) or decided != [d for _, d in limits]:
        failures += 1
        print(f"the interval {interval} is not the 95% percentile interval "
              f"{(medians[low_at], medians[high_at])}: decided {decided} for the limits {limits}")
    checks += 1
    print(f"{checks - failures} passed, {failures} failed")
    return failures == 0


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bare-median-to", metavar="FILE",
                        help='write the median bare launch (the second side of the "launch" '
                             "gate), in milliseconds, to FILE: report.py weighs the whole "
                             "request against it")
    parser.add_argument("--self-test", action="store_true",
                        help="check the decision on made-up ratios, timing nothing")
    parser.add_argument("wine", nargs="?", metavar="WINE", help="the Wine program (wine64)")
    parser.add_argument("folder", nargs="?", metavar="FOLDER",
                        help="the folder the runs start in, with vornalt.exe, bare_launch.exe, "
                             "unelevated.exe, new_console.exe, passthrough.exe, the stand-ins "
                             "wt.exe and conhost.exe, and console_input.exe (scripts/bench.sh "
                             "copies them there)")
    arguments = parser.parse_args()
    if arguments.self_test:
        sys.exit(0 if self_test() else 1)
    if not arguments.folder:
        parser.error("the wine program and the folder are needed")

    pair_of = measure(arguments.wine, arguments.folder)
    ok = True
    for gate in GATES:
        measure_pair = pair_of(gate)
        start = time.perf_counter()
        for i in range(WARM_PAIRS):
            measure_pair(i)
        v = judge(gate, measure_pair, report=lambda line: print(line, flush=True))
        print(f"{describe(gate, v)} [{time.perf_counter() - start:.0f} s]", flush=True)
        ok &= v.decision != "FAIL"
        if gate.name == BARE_GATE and arguments.bare_median_to:
            with open(arguments.bare_median_to, "w") as out:
                out.write(f"{v.second_ms!r}\n")
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
