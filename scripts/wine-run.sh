#!/usr/bin/env bash
# Runs a 32-bit Windows program under Wine for the tests: one prefix per build tree and a
# persistent wineserver, so that each start is cheap. Exits 77 (a skipped test) when this
# machine cannot run 32-bit programs at all, and says so.
set -u
if ! version=$(wine --version 2>&1); then
  echo "SKIPPED: Wine cannot start on this machine, which runs no 32-bit programs:"
  echo "  $version"
  exit 77
fi
export WINEDEBUG=${WINEDEBUG:--all}
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run: WINEPREFIX is not set" >&2
  exit 2
fi
wineserver -p 2>/dev/null || true
exec wine "$@"
