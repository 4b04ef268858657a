#!/usr/bin/env bash
# The library's main job through the host harness: builds the native library, the
# stand-in services and gyrix-host, then runs a host session from start to end.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --native
cmake --preset linux >/dev/null
cmake --build --preset linux --target gyrix-host >/dev/null
exec build/linux/bin/gyrix-host demo
