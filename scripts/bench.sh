#!/usr/bin/env bash
# Measures what the program promises about speed and size:
# - the text work grows linearly (1 MiB takes at most 40x the time of 32 KiB:
#   10 repetitions of each size, interleaved at random with the others',
#   paired, and judged by a bootstrap 95% interval of the median ratio, as
#   the launch below; tests/bench/report.py), and a whole request of 32,767
#   units takes at most 1% of the median bare CreateProcessW launch measured
#   under Wine in the same run;
# - vornalt.exe is one file of at most 300 KiB that needs no DLL beyond the
#   system's own;
# - its whole run costs at most 10% more than a bare CreateProcessW, a run
#   that waits for the command's status through the relay (-e, also with -k
#   or -v) at most 50% more than one that waits for the host (-w), the relay
#   at most 10% more than a pass-through in its place (the floor: the same
#   stand-in conhost.exe starts the shell through a program that only starts
#   it, waits and ends with its status), and -a -e from an unelevated
#   process at most 50% more than -e: median ratios of paired
#   runs under Wine, with the stand-in hosts, each judged by a bootstrap 95%
#   interval (tests/bench/launch_overhead.py: the gates are its table GATES).
#   A ratio fails only when the whole interval lies over its limit; one that
#   still straddles the limit after the most pairs is reported as
#   inconclusive and does not fail. A pair with a run that went wrong (a
#   wrong status, or a kept window that took no key) is taken again, five
#   times at most per gate.
# Exits 1 when a limit is broken.
#
# Usage: bench.sh
set -euo pipefail
case "${1:-}" in
  -h | --help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
  "") ;;
  *) echo "usage: bench.sh" >&2; exit 2 ;;
esac
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/setup.sh
status=0

cmake --preset bench >/dev/null && cmake --build --preset bench >/dev/null
cmake --preset windows >/dev/null && cmake --build --preset windows >/dev/null

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')," \
  "load averages $(cut -d' ' -f1-3 /proc/loadavg)"
json=$(mktemp)
bare_median=$(mktemp)
trap 'rm -f "$json" "$bare_median"' EXIT
# Keep freed memory in the heap: otherwise glibc hands blocks of the 1 MiB
# runs back to the kernel and every iteration pays fresh page faults, which
# the 32 KiB runs, below its thresholds, never do.
GLIBC_TUNABLES=glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=268435456 \
  build/bench/tests/bench/core_bench --benchmark_repetitions=10 --benchmark_min_time=0.1 \
  --benchmark_enable_random_interleaving=true --benchmark_out="$json" \
  --benchmark_out_format=json >/dev/null 2>&1

exe=build/windows/vornalt.exe
size=$(stat -c %s "$exe")
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
echo "vornalt.exe: $size bytes stripped ($((size / 1024)) KiB, limit 300 KiB); imports: $dlls"
[ "$size" -le $((300 * 1024)) ] || { echo "  TOO LARGE"; status=1; }
for dll in $dlls; do
  case "${dll,,}" in
    kernel32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-*.dll | shell32.dll | user32.dll | advapi32.dll | ntdll.dll) ;;
    *) echo "  NOT A SYSTEM DLL: $dll"; status=1 ;;
  esac
done

source scripts/wine-env.sh
wine_env_start
folder=$(mktemp -d)
cp "$exe" build/windows/tests/win32/{bare_launch,unelevated,new_console,passthrough}.exe \
  build/windows/tests/win32/doubles/wt.exe \
  build/windows/tests/win32/doubles/conhost.exe build/windows/tests/win32/doubles/console_input.exe \
  "$folder"
python3 tests/bench/launch_overhead.py --bare-median-to "$bare_median" "$WINE" "$folder" || status=1
rm -rf "$folder"
# The whole request is weighed against the bare launch just measured: absolute
# times on a shared machine swing by 2x between runs, their ratio does not.
python3 tests/bench/report.py "$json" "$(cat "$bare_median")" || status=1
rm -f "$json" "$bare_median"
echo "bench.sh: ${SECONDS} s; load averages $(cut -d' ' -f1-3 /proc/loadavg) at the end"
exit "$status"
