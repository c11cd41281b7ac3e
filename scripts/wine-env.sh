# Sourced by the scripts, and by cmake/wine-run.sh: a Wine prefix of this
# run's own, warmed once, and a persistent wineserver so that each start of a
# Windows program is fast. wine_env_start PREFIX uses and keeps the prefix
# PREFIX instead (scripts/run.sh does, and the tests of each build, in its
# own); WINE_PERSIST=N ends the wineserver N seconds after the last Windows
# program has ended, rather than with wine_env_stop or never.
export WINEDEBUG=-all
export WINE=${WINE:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}

wine_env_start() {  # wine_env_start [PREFIX]
  if [ -n "${1:-}" ]; then
    export WINEPREFIX="$1"
  else
    export WINEPREFIX="$(mktemp -d /tmp/vornalt-wine.XXXXXX)"
    trap 'wine_env_stop' EXIT
  fi
  mkdir -p "$WINEPREFIX"
  # Tests side by side (ctest -j) start in one prefix at once: the first
  # makes it and starts its server while the others wait. Wine's processes
  # outlive this call, so they must not inherit the lock's descriptor.
  { flock 9 && wine_env_prepare 9>&-; } 9>"$WINEPREFIX/.vornalt-lock"
  # cmake/wine-run.sh runs the tests in this prefix rather than the build's.
  export VORNALT_WINE_READY="$WINEPREFIX"
}

wine_env_prepare() {
  # Only a prefix that was made to the end says so: one whose making was
  # cut short is made again.
  if [ ! -f "$WINEPREFIX/.vornalt-ready" ]; then
    # A new prefix reports its creation: do it here, out of the way of the
    # tests' own output.
    "$WINE" wineboot -i >/dev/null 2>&1 </dev/null || true
    # No display here: the null driver keeps new consoles from asking for one.
    "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 || true
    # The desktop that wineboot started still has the old driver, and new
    # console windows fail on it (a console program then runs without a
    # console). Start again with the null driver.
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
    : >"$WINEPREFIX/.vornalt-ready"
  fi
  # A server that runs already (status 2) has started Wine's services and
  # desktop. A new one has not: they start with the first program and
  # outlive it, so start them here, where they cannot hold a test's output
  # pipes open.
  if "$WINESERVER" -p"${WINE_PERSIST:-}" >/dev/null 2>&1; then
    "$WINE" wineboot >/dev/null 2>&1 </dev/null || true
  fi
}

wine_env_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  case "${WINEPREFIX:-}" in /tmp/vornalt-wine.*) rm -rf "$WINEPREFIX" ;; esac
}
