#!/usr/bin/env bash
# Runs a 32-bit Windows program under Wine for the tests and the demo, in the prefix that
# WINEPREFIX names (one per build tree: it also names the wineserver's socket).
# Its wineserver is kept running, so each further start is cheap. A Wine that cannot
# start is a failure with its reason, and so is a program that Wine cannot start, and so
# is a run in which Wine bound an imported routine that its DLL lacks.
# Exit status: the program's own; 1 when Wine cannot start, the prefix cannot be made,
# or a routine was missing from a DLL (and the program itself succeeded); 53 (Wine's)
# when a DLL that the program imports is not found.
set -euo pipefail
: "${WINEPREFIX:?wine-run: WINEPREFIX is not set}"
# Wine's own messages are off, but for the loader's: its errors name a DLL that is not
# found, which would otherwise end the program with no word (exit status 53), and its
# warnings "No implementation for elemlib.dll._SFO901@28 imported from ..." a routine that
# a DLL lacks. Windows refuses to load such a DLL (error 127); Wine loads it and binds the
# routine to a stub that aborts the program when it is called. The loader's other
# warnings are dropped below.
export WINEDEBUG=${WINEDEBUG:--all,err+module,warn+module}
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
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
# The program's standard error, kept and shown without the loader's other warnings; its
# standard output goes straight through (descriptor 4), unless both go to one place (a
# terminal, one pipe): then both pass the filter, in the order written.
filter() { tee "$errors" | sed -u '/:warn:module:/{/No implementation for /!d}'; }
set +e
if [ /dev/stdout -ef /dev/stderr ]; then
  wine "$@" 2>&1 | filter
else
  { wine "$@" 2>&1 >&4 4>&- | filter >&2; } 4>&1
fi
status=${PIPESTATUS[0]}
set -e
missing=$(grep -c ':warn:module:.*No implementation for ' "$errors" || true)
if [ "$missing" -gt 0 ]; then
  echo "wine-run: Wine found no implementation of $missing routine(s) that $1 or a DLL it" \
    "loads imports (the lines above name each, and the DLL that lacks it): a call of one" \
    "aborts the program. Use the DLLs that it was built for (docs/deployment.md lists" \
    "what the library needs from each)" >&2
  [ "$status" -ne 0 ] || status=1
fi
if [ "$status" -eq 53 ]; then
  echo "wine-run: Wine could not start $1 (exit status 53): a DLL that it imports was not" \
    "found (the err:module lines above name it, unless WINEDEBUG hides them); put its" \
    "folder on WINEPATH, e.g. WINEPATH='Z:\\full\\path\\to\\folder'" >&2
fi
exit "$status"
