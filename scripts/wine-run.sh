#!/usr/bin/env bash
# Runs a 32-bit Windows program under Wine for the tests and the demo, in the prefix that
# WINEPREFIX names (one per build tree: it also names the wineserver's socket).
# Its wineserver is kept running, so each further start is cheap. A Wine that cannot
# start is a failure with its reason, and so is a program that Wine cannot start.
set -euo pipefail
: "${WINEPREFIX:?wine-run: WINEPREFIX is not set}"
# Wine's own messages are off, but for the loader's errors: they name a DLL that is not
# found, which would otherwise end the program with no word (exit status 53).
export WINEDEBUG=${WINEDEBUG:--all,err+module}
# A new prefix would otherwise offer to install Mono and Gecko.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

if ! version=$(wine --version 2>&1); then
  echo "wine-run: Wine cannot start on this machine: $version" >&2
  echo "wine-run: scripts/install-deps.sh sets up what it needs" >&2
  exit 1
fi

mkdir -p "$WINEPREFIX"
# A new wineserver's first Wine process starts the prefix's services (and a new prefix's
# first start makes the prefix): they outlive it and inherit its output, and started
# inside a pipe they would hold it open for good. So they are started here, with no
# output, one process at a time; the server then stays up until `wineserver -k`.
(
  flock 9
  if wineserver -p >/dev/null 2>&1 </dev/null 9>&- || [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine wineboot >/dev/null 2>&1 </dev/null 9>&- || {
      echo "wine-run: starting the prefix $WINEPREFIX failed" >&2
      exit 1
    }
  fi
) 9>"$WINEPREFIX.lock"
status=0
wine "$@" || status=$?
if [ "$status" -eq 53 ]; then
  echo "wine-run: Wine could not start $1 (exit status 53): a DLL that it imports was not" \
    "found (the err:module lines above name it, unless WINEDEBUG hides them); put its" \
    "folder on WINEPATH, e.g. WINEPATH='Z:\\full\\path\\to\\folder'" >&2
fi
exit "$status"
