#!/bin/sh
# Runs a Windows program under Wine, quietly. Tests give each run its own
# WINEPREFIX (see scripts/test.sh).
WINEDEBUG=-all
export WINEDEBUG
exec "${WINE:-/usr/lib/wine/wine64}" "$@"
