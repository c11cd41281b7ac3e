#!/usr/bin/env bash
# Checks what the scripts promise before they do any work:
# - each script of scripts/ (but wine-env.sh, which is sourced), and each
#   Python script of tests/, prints its usage on --help and exits 0 at once,
#   rather than building, measuring or failing; the help shows every line of
#   what the script says of itself (a Python script's docstring, a shell
#   script's leading comment), and a help text for each argument;
# - cmake/wine-run.sh, the tests' Wine, runs in the build's prefix whatever
#   WINEPREFIX says, or in the one that scripts/wine-env.sh made ready for
#   the run; two tests that start at once in a new prefix make it once, both
#   run only once it is made, and no Wine process keeps the lock (a stand-in
#   Wine and wineserver record what they were asked);
# - run.sh refuses -k with --stand-in, with the reason and status 2, however
#   vornalt.exe would read it, before it installs or builds anything.
#
# Usage: scripts_test.sh
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# What a script's help leaves out: a line of its description, or an
# argument (in argparse's lists) with no help text on its line or the next.
help_gaps() {  # help_gaps SCRIPT HELP
  python3 - "$1" "$2" <<'PY'
import ast, re, sys
script, shown = sys.argv[1], sys.argv[2]
text = open(script, encoding="utf-8").read()
if script.endswith(".py"):
    about = ast.get_docstring(ast.parse(text)).splitlines()
else:
    comment = re.match(r"#![^\n]*\n((?:#[^\n]*\n)*)", text).group(1)
    about = [re.sub(r"^# ?", "", line) for line in comment.splitlines()]
lines = shown.splitlines()
for line in about:
    if line.strip() and line not in lines:
        print(f"the line {line!r} is not shown")
listed = False
for line, after in zip(lines, lines[1:] + [""]):
    if re.fullmatch(r"(positional arguments|options|optional arguments):", line):
        listed = True
    elif not line:
        listed = False
    elif listed and re.match(r"  \S", line) and not re.match(r"  \S.*?\s\s+\S", line):
        if not re.match(r"\s{3,}\S", after):
            print(f"no help for {line.strip()!r}")
PY
}

for script in "$root"/scripts/*.sh "$root"/scripts/*.py "$root"/tests/*/*.py; do
  name=${script#"$root"/}
  [ "$name" = scripts/wine-env.sh ] && continue
  # A script that ignored --help would start its work: it gets 20 s.
  out=$(timeout 20 "$script" --help </dev/null 2>&1)
  status=$?
  [ "$status" -eq 0 ] || fail "$name --help exited with $status: $out"
  grep -qi '^usage: ' <<<"$out" || fail "$name --help printed no usage line: $out"
  gaps=$(help_gaps "$script" "$out")
  [ -z "$gaps" ] || fail "$name --help: $gaps"
done

fake=$(mktemp -d)
trap 'rm -rf "$fake"' EXIT
cat >"$fake/wine" <<'EOF'
#!/bin/sh
case "$*" in
  "wineboot -i") echo made >>"$WINEPREFIX/../log"; sleep 1; : >"$WINEPREFIX/system.reg" ;;
  wineboot) [ ! -e /proc/$$/fd/9 ] || echo "services hold the lock" >>"$WINEPREFIX/../log" ;;
  reg*) ;;
  *) echo "ran $* in ${WINEPREFIX##*/}$([ -f "$WINEPREFIX/system.reg" ] || echo ', unmade')" \
    >>"$WINEPREFIX/../log" ;;
esac
EOF
# Status 2: a server runs already, as after the first start.
printf '#!/bin/sh\ncase "$1" in -p*) mkdir "$WINEPREFIX.server" 2>/dev/null || exit 2 ;; esac\n' \
  >"$fake/wineserver"
chmod +x "$fake/wine" "$fake/wineserver"
wine_run() {  # wine_run PROGRAM [VARIABLE=VALUE...]: the build's prefix is "build"
  env -u VORNALT_WINE_READY WINE="$fake/wine" WINESERVER="$fake/wineserver" \
    VORNALT_WINEPREFIX="$fake/build" WINEPREFIX="$fake/users" "${@:2}" "$root/cmake/wine-run.sh" "$1"
}
wine_run one &
wine_run two &
wait
mkdir "$fake/run" && : >"$fake/run/system.reg"
wine_run three VORNALT_WINE_READY="$fake/run" WINEPREFIX="$fake/run"
expected="made
ran one in build
ran three in run
ran two in build"
[ "$(sort "$fake/log")" = "$expected" ] ||
  fail "cmake/wine-run.sh, two at once in a new prefix and one in the run's: $(cat "$fake/log")"

# vornalt.exe's arguments after --stand-in that ask for -k.
refused=(
  "conhost -k cmd /c exit 3"
  "conhost -e -k cmd /c exit 3"
  "wt -K x"
  "conhost /keep x"
  "conhost -t -k -k x"  # the title is -k, then -k
  "conhost -v A=1 --KEEP -q x"
  "conhost --size 100,30 --MIN /pos -5,5 -k x"
  "wt --no-focus --max --fullscreen -k x"
)
for arguments in "${refused[@]}"; do
  # shellcheck disable=SC2086  # the words of the case
  out=$(timeout 20 "$root/scripts/run.sh" --stand-in $arguments </dev/null 2>&1)
  status=$?
  [ "$status" -eq 2 ] || fail "run.sh --stand-in $arguments exited with $status, not 2: $out"
  grep -q -- '-k cannot be used with --stand-in: .*cannot be seen' <<<"$out" ||
    fail "run.sh --stand-in $arguments did not say why: $out"
done

[ "$failures" -eq 0 ] &&
  echo "ok: every script's --help, whole, the tests' Wine prefix, and run.sh's refusal of -k"
exit "$((failures > 0))"
