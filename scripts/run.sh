#!/usr/bin/env bash
# Builds vornalt.exe and runs it with the given arguments under Wine, in the
# folder it is called from: `-d .` and every relative path mean that folder.
#
# Usage: run.sh [--stand-in] TARGET [OPTIONS] COMMAND [ARGS...]
#        run.sh --help, -h   this text (vornalt.exe's help screen: run.sh /help)
#   ./scripts/run.sh conhost -t Demo cmd /c echo Hello
# Wine's conhost.exe runs no command, and there is no wt.exe: with --stand-in
# first, vornalt.exe runs beside the tests' stand-in conhost.exe and wt.exe
# (tests/doubles/), which start the command as the real hosts do, so that -w
# waits for it and -e hands back its status:
#   ./scripts/run.sh --stand-in conhost -e cmd /c exit 3; echo $?    # 3
# With --stand-in, -k is refused (status 2) unless it is a dry run: the
# window would wait for a key press, and under Wine nobody can see it.
# Wine's powershell.exe is a stub that runs nothing and exits 0, so under
# Wine -s powershell runs nothing, and -e with it gives 0.
#
# The first run installs what is missing (scripts/setup.sh run, or stand-in),
# builds vornalt.exe, showing the build's steps, and makes a Wine prefix in
# build/wineprefix; later runs build only what changed, and show a failed
# build's error. Wine's server for that prefix stays a minute after the last
# Windows program has ended, so that a run soon after starts at once, and
# then ends by itself.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
case "${1:-}" in
  -h | --help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
esac

# Whether vornalt.exe's arguments ask for -k in a run that starts something,
# read as vornalt.exe reads them, by its option table (src/lib/cli/options.def:
# each row's kind and forms, and a value's hint for an option that takes
# one). The options follow the target, in any letter case; the first other
# word, or the one after --, starts the command.
keeps_the_window() {
  local kind forms hint form
  local -A kind_of=()
  while IFS='|' read -r kind forms hint; do
    [ -n "$hint" ] && [ "$kind" != keep ] && [ "$kind" != dry_run ] && kind=value
    for form in $forms; do kind_of[$form]=$kind; done
  done < <(sed -n 's/^OPTION(\([a-z_]*\), "\([^"]*\)", "\([^"]*\)", "\([^"]*\)", "\([^"]*\)", "\([^"]*\)".*/\1|\2 \3 \4 \5|\6/p' \
    "$root/src/lib/cli/options.def")
  local keep=false dry_run=false
  shift  # the target
  while [ $# -gt 0 ]; do
    case "${kind_of[${1,,}]:-}" in
      keep) keep=true ;;
      dry_run) dry_run=true ;;
      value)
        [ $# -ge 2 ] || break
        shift
        ;;
      "") break ;;
    esac
    shift
  done
  [ "$keep" = true ] && [ "$dry_run" = false ]
}

scope=run
targets=(vornalt)
if [ "${1:-}" = --stand-in ]; then
  shift
  if [ $# -gt 0 ] && keeps_the_window "$@"; then
    echo "run.sh: -k cannot be used with --stand-in: the stand-in's window would wait for a" \
      "key press for ever, and under Wine that window cannot be seen to press one" >&2
    exit 2
  fi
  scope=stand-in
  targets+=(double_conhost double_wt)
fi
"$root/scripts/setup.sh" "$scope"

build=$root/build/windows
if [ ! -f "$build/vornalt.exe" ]; then
  echo "run.sh: building vornalt.exe (first run, about a minute)…" >&2
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! (cd "$root" && cmake --preset windows) >"$log" 2>&1; then
  cat "$log" >&2
  echo "run.sh: CMake could not set up the build (see above)" >&2
  exit 1
fi
# Ninja's steps as they come ("[12/40] Building CXX object …"); after a
# failure, the rest of what it said: the failed step and the compiler's error.
step='^\[[0-9]*/[0-9]*\] '
set +e
(cd "$root" && cmake --build --preset windows --target "${targets[@]}") 2>&1 | tee "$log" |
  grep --line-buffered "$step" >&2
built=${PIPESTATUS[0]}
set -e
if [ "$built" -ne 0 ]; then
  grep -v "$step" "$log" >&2
  echo "run.sh: the build of vornalt.exe failed (see above)" >&2
  exit 1
fi

program=$build/vornalt.exe
if [ "$scope" = stand-in ]; then
  # vornalt.exe looks for the host in its own folder first.
  folder=$root/build/stand-in
  rm -rf "$folder"
  mkdir -p "$folder"
  cp "$build/vornalt.exe" "$build"/tests/win32/doubles/{conhost,wt}.exe "$folder"/
  program=$folder/vornalt.exe
fi
source "$root/scripts/wine-env.sh"
if [ ! -f "$root/build/wineprefix/system.reg" ]; then
  echo "run.sh: making a Wine prefix in build/wineprefix (first run)…" >&2
fi
WINE_PERSIST=60 wine_env_start "$root/build/wineprefix"
rm -f "$log"
exec "$WINE" "$program" "$@"
