#!/usr/bin/env bash
# Runs vornalt.exe under Wine in a real console (a tmux pane of a given
# width) and reads the screen back: the help screen must be wrapped to the
# pane (at most 120 columns), and non-ASCII text must show as typed.
# Usage: console_test.sh <wine-run.sh> <vornalt.exe>
set -uo pipefail
wine_run=$(readlink -f "$1")
exe=$2
server=vornalt-console-test-$$
failures=0
trap 'tmux -L "$server" kill-server 2>/dev/null' EXIT
# Wine's prefix made ready here, where it may take half a minute the first
# time, rather than inside a pane that waits only so long.
"$wine_run" || exit 1

# screen WIDTH ARGS...: the pane's rows, joined where tmux wrapped them.
screen() {
  local width=$1
  shift
  local name="w$width-$RANDOM"
  tmux -L "$server" new-session -d -s "$name" -x "$width" -y 100 \
    "env LANG=C.UTF-8 $(printf '%q ' "$wine_run" "$exe" "$@"); echo VORNALT-EXIT=\$?; sleep 600"
  for _ in $(seq 1 200); do
    tmux -L "$server" capture-pane -p -J -t "$name" | grep -q '^VORNALT-EXIT=' && break
    sleep 0.1
  done
  # From the start of the history: a long screen scrolls past the pane.
  tmux -L "$server" capture-pane -p -J -S - -t "$name" | sed 's/ *$//'
  tmux -L "$server" kill-session -t "$name"
}

check() {  # check DESCRIPTION COMMAND SCREEN...
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what; the screen was:"
    sed 's/^/  | /' <<<"$2"
    failures=$((failures + 1))
  fi
}

has_rows() {  # has_rows TEXT ROW...: the rows appear one after the other
  local text=$1
  shift
  python3 - "$text" "$@" <<'PY'
import sys
rows, wanted = sys.argv[1].split("\n"), sys.argv[2:]
sys.exit(0 if any(rows[i:i + len(wanted)] == wanted for i in range(len(rows))) else 1)
PY
}

no_row_wider() {  # no_row_wider TEXT WIDTH
  python3 -c 'import sys; sys.exit(max(len(r) for r in sys.argv[1].split("\n")) > int(sys.argv[2]))' "$1" "$2"
}

at40=$(screen 40 --help)
check "help at 40 columns: usage line wrapped after a blank" \
  has_rows "$at40" "  vornalt.exe [help flag] <target>" "[options] <command> [args...]"
check "help at 40 columns: title option wrapped" \
  has_rows "$at40" "  -t, --title, /t, /title  [window" "title]"
check "help at 40 columns: no row wider than 40" no_row_wider "$at40" 40
check "help at 40 columns: exit status 0" has_rows "$at40" "VORNALT-EXIT=0"

at150=$(screen 150 --help)
check "help at 150 columns: wrapped at 120" has_rows "$at150" \
  "This tool launches a new console window of the specified type with the specified shell and command. The console window" \
  "is either created using Windows Console Host (conhost.exe) or Windows Terminal (wt.exe). The shell is one of Command" \
  "Prompt (cmd.exe, by default), PowerShell Core (pwsh.exe, assuming this is installed), or Windows PowerShell" \
  "(powershell.exe). The title of the console window can be specified, and the command is executed in the new console" \
  "window."
check "help at 150 columns: no row wider than 120" no_row_wider "$at150" 120

unknown=$(screen 100 ÀBÇ)
check "a non-ASCII target shows in the error" \
  has_rows "$unknown" "Error: Unknown target 'àbç' (expected 'wt' or 'conhost')"
check "usage error: exit status 1" has_rows "$unknown" "VORNALT-EXIT=1"

exit $((failures > 0))
