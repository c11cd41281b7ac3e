#!/usr/bin/env python3
"""Times whole runs of vornalt.exe in paired runs under Wine, and prints the
median ratios:
- `vornalt.exe wt -q x` against a bare CreateProcessW of the same command
  line (limit 1.10);
- `conhost -e -q cmd /c exit 3`, through the relay, against
  `conhost -w -q cmd /c exit 3` (limit 1.50: one more process start).

Usage: launch_overhead.py [--bare-median-to FILE] <wine>
           <folder with vornalt.exe, bare_launch.exe, wt.exe, conhost.exe> [pairs]
--bare-median-to writes the median bare launch, in milliseconds, to FILE:
report.py weighs the whole request against it."""
import argparse
import statistics
import subprocess
import sys
import time

parser = argparse.ArgumentParser()
parser.add_argument("--bare-median-to")
parser.add_argument("wine")
parser.add_argument("folder")
parser.add_argument("pairs", type=int, nargs="?", default=40)
arguments = parser.parse_args()
wine, folder, pairs = arguments.wine, arguments.folder, arguments.pairs


def timed(args, status):
    start = time.perf_counter()
    done = subprocess.run([wine] + args, cwd=folder, stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if done.returncode != status:
        sys.exit(f"{' '.join(args)} ended with {done.returncode}, not {status}")
    return time.perf_counter() - start


def paired(first, second, first_status=0):
    """Median times of both and the median ratio first / second."""
    for _ in range(3):  # warm the caches and the wineserver
        timed(first, first_status), timed(second, 0)
    ratios, first_times, second_times = [], [], []
    for i in range(pairs):
        # Alternate which goes first so that drift hits both alike.
        if i % 2:
            s, f = timed(second, 0), timed(first, first_status)
        else:
            f, s = timed(first, first_status), timed(second, 0)
        ratios.append(f / s)
        first_times.append(f)
        second_times.append(s)
    return (statistics.median(first_times) * 1e3, statistics.median(second_times) * 1e3,
            statistics.median(ratios))


ok = True
vornalt_ms, bare_ms, ratio = paired(["vornalt.exe", "wt", "-q", "x"], ["bare_launch.exe"])
if arguments.bare_median_to:
    with open(arguments.bare_median_to, "w") as out:
        out.write(f"{bare_ms!r}\n")
verdict = "" if ratio <= 1.10 else "  OVER BUDGET"
ok &= ratio <= 1.10
print(f"launch under Wine, {pairs} pairs: vornalt.exe median {vornalt_ms:.1f} ms, "
      f"bare CreateProcessW median {bare_ms:.1f} ms, median ratio {ratio:.3f} (limit 1.100){verdict}")

exit_code_ms, wait_ms, ratio = paired(["vornalt.exe", "conhost", "-e", "-q", "cmd", "/c", "exit", "3"],
                                      ["vornalt.exe", "conhost", "-w", "-q", "cmd", "/c", "exit", "3"],
                                      first_status=3)
verdict = "" if ratio <= 1.50 else "  OVER BUDGET"
ok &= ratio <= 1.50
print(f"the relay under Wine, {pairs} pairs: conhost -e median {exit_code_ms:.1f} ms, "
      f"conhost -w median {wait_ms:.1f} ms, median ratio {ratio:.3f} (limit 1.500){verdict}")
sys.exit(0 if ok else 1)
