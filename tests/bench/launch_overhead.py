#!/usr/bin/env python3
"""Times vornalt.exe against a bare CreateProcessW of the same command line,
in paired runs under Wine, and prints the median ratio.

Usage: launch_overhead.py [--bare-median-to FILE] <wine>
           <folder with vornalt.exe, bare_launch.exe, wt.exe> [pairs]
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


def timed(args):
    start = time.perf_counter()
    subprocess.run([wine] + args, cwd=folder, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return time.perf_counter() - start


vornalt = ["vornalt.exe", "wt", "-q", "x"]
bare = ["bare_launch.exe"]
for _ in range(3):  # warm the caches and the wineserver
    timed(vornalt), timed(bare)
ratios, v_times, b_times = [], [], []
for i in range(pairs):
    # Alternate which goes first so that drift hits both alike.
    if i % 2:
        b, v = timed(bare), timed(vornalt)
    else:
        v, b = timed(vornalt), timed(bare)
    ratios.append(v / b)
    v_times.append(v)
    b_times.append(b)
ratio = statistics.median(ratios)
bare_ms = statistics.median(b_times) * 1e3
if arguments.bare_median_to:
    with open(arguments.bare_median_to, "w") as out:
        out.write(f"{bare_ms!r}\n")
print(f"launch under Wine, {pairs} pairs: vornalt.exe median {statistics.median(v_times) * 1e3:.1f} ms, "
      f"bare CreateProcessW median {bare_ms:.1f} ms, "
      f"median ratio {ratio:.3f} (limit 1.100)")
sys.exit(0 if ratio <= 1.10 else 1)
