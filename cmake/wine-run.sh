#!/bin/sh
# Runs a Windows program under Wine for the tests, quietly (WINEDEBUG=-all,
# unless the caller set WINEDEBUG). Its prefix is the one that
# scripts/wine-env.sh made ready for the whole run (scripts/test.sh), or else
# VORNALT_WINEPREFIX, which each build's own wine-run.sh sets to
# <build>/wineprefix (tests/CMakeLists.txt): made the first time, by one test
# while any others wait, with the null graphics driver; its server ends a
# minute after the last Windows program. Never ~/.wine, nor a WINEPREFIX
# that the shell happens to have. Given no program, it only makes the prefix
# ready.
debug=${WINEDEBUG:--all}
# The tests name files in every script: Wine maps a name to a Unix one in
# the locale's character set, which in a shell without a locale is ASCII.
case "$(locale charmap 2>/dev/null)" in
  UTF-8) ;;
  *) LC_ALL=C.UTF-8; export LC_ALL ;;
esac
if [ -z "${VORNALT_WINE_READY:-}" ] || [ "$VORNALT_WINE_READY" != "${WINEPREFIX:-}" ]; then
  if [ -z "${VORNALT_WINEPREFIX:-}" ]; then
    echo "wine-run.sh: no Wine prefix: run the build's own (build/windows/wine-run.sh)," \
      "or source scripts/wine-env.sh and call wine_env_start first" >&2
    exit 125
  fi
  . "$(dirname "$0")/../scripts/wine-env.sh"
  WINE_PERSIST=60 wine_env_start "$VORNALT_WINEPREFIX"
fi
[ $# -gt 0 ] || exit 0
WINEDEBUG=$debug
export WINEDEBUG
exec "${WINE:-/usr/lib/wine/wine64}" "$@"
