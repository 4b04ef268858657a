#!/usr/bin/env bash
# The library's main job through the host harness: builds the library, the stand-in
# services and gyrix-host, then plays the host session examples/demo.session.
#   demo.sh            the native Linux library (libgyrix_solver.so)
#   demo.sh --windows  the deployed 32-bit Windows DLL (gyrix_solver.dll) under Wine
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-}" in
  "")
    bash scripts/install-deps.sh --native
    cmake --preset linux >/dev/null
    cmake --build --preset linux --target gyrix-host >/dev/null
    exec build/linux/bin/gyrix-host run examples/demo.session
    ;;
  --windows)
    bash scripts/install-deps.sh
    cmake --preset win32 >/dev/null
    cmake --build --preset win32 --target gyrix-host >/dev/null
    export WINEPREFIX=$PWD/build/win32/wineprefix
    trap 'wineserver -k 2>/dev/null || true' EXIT
    bash scripts/wine-run.sh build/win32/bin/gyrix-host.exe run examples/demo.session
    ;;
  *)
    echo "usage: scripts/demo.sh [--windows]" >&2
    exit 2
    ;;
esac
