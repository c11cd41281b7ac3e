#!/usr/bin/env bash
# The relay's --size under Wine in a real console (a tmux pane, 150 x 50):
# the relay sets the window to the size asked before the shell starts, keeps
# the buffer's height (the scroll-back), and reduces a size larger than the
# screen allows to what it allows; the command runs as ever. probe.exe, run
# by the shell, records the window it finds (GetConsoleScreenBufferInfo).
# (A console that CREATE_NEW_CONSOLE makes under Wine without a display has
# no screen buffer at all: this is where the size can be seen.)
# Usage: console_size_test.sh <wine-run.sh> <vornalt.exe> <probe.exe>
set -uo pipefail
wine_run=$(readlink -f "$1")
exe=$2
folder=$(mktemp -d)
server=vornalt-console-size-test-$$
failures=0
trap 'tmux -L "$server" kill-server 2>/dev/null; rm -rf "$folder"' EXIT
cp "$3" "$folder/probe.exe"
# Wine's prefix made ready here, where it may take half a minute the first
# time, rather than inside a pane that waits only so long.
"$wine_run" || exit 1
probe="Z:$(tr / '\\' <<<"$folder")\\probe.exe"

# window SIZE-OPTION...: the window that the command found, as probe.exe
# recorded it, and the relay's exit status.
window() {
  local name="s$RANDOM"
  rm -f "$folder/probe.window" "$folder/probe.done"
  tmux -L "$server" new-session -d -s "$name" -x 150 -y 50 \
    "$(printf '%q ' "$wine_run" "$exe" --vornalt-relay - "$@" cmd.exe /c "$probe"); echo VORNALT-EXIT=\$? >$folder/exit; sleep 600"
  for _ in $(seq 1 600); do
    [ -s "$folder/exit" ] && break
    sleep 0.1
  done
  tmux -L "$server" kill-session -t "$name"
  iconv -f UTF-16LE -t UTF-8 "$folder/probe.window" 2>/dev/null | cut -d' ' -f1-2
  cat "$folder/exit" 2>/dev/null
  rm -f "$folder/exit"
}

check() {  # check DESCRIPTION EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then
    echo "ok: $1"
  else
    echo "FAILED: $1: expected '$2', got '$3'"
    failures=$((failures + 1))
  fi
}

as_it_is=$(window)
check "without --size the window is the pane" "cells=150x50 buffer=150x50
VORNALT-EXIT=0" "$as_it_is"
check "--size 100,30: that window, the buffer's height kept" "cells=100x30 buffer=150x50
VORNALT-EXIT=0" "$(window --size 100,30)"
check "--size 40,10" "cells=40x10 buffer=150x50
VORNALT-EXIT=0" "$(window --size 40,10)"
check "--size 300,100: no more than the screen allows, no failure" "cells=150x50 buffer=150x50
VORNALT-EXIT=0" "$(window --size 300,100)"

exit $((failures > 0))
