#!/usr/bin/env bash
# Installs what is missing, then builds every preset and runs all their tests: native
# Linux (ASan, UBSan), 32-bit Linux under qemu, 32-bit Windows under Wine,
# ThreadSanitizer, the fuzz targets for a bounded time each, and the optimised build
# (release) with the allocation check and one short run of each benchmark program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
for preset in linux linux-i686 win32 tsan fuzz release; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
