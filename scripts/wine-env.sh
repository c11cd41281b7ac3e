# Sourced by the scripts: a Wine prefix of this run's own, warmed once, and a
# persistent wineserver so that each start of a Windows program is fast.
# WINE_PREFIX_KEEP=1 keeps an existing prefix (scripts/run.sh does).
export WINEDEBUG=-all
export WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}

wine_env_start() {  # wine_env_start [PREFIX]
  if [ -n "${1:-}" ]; then
    export WINEPREFIX=$1
  else
    export WINEPREFIX=$(mktemp -d /tmp/vornalt-wine.XXXXXX)
    trap 'wine_env_stop' EXIT
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    # A new prefix reports its creation and starts Wine's services: do it
    # once here, out of the way of the tests' own output.
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    # No display here: the null driver keeps new consoles from asking for one.
    "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 || true
  fi
  "$WINESERVER" -p >/dev/null 2>&1 || true
}

wine_env_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  case "${WINEPREFIX:-}" in /tmp/vornalt-wine.*) rm -rf "$WINEPREFIX" ;; esac
}
