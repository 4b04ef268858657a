#!/usr/bin/env bash
# Installs what is missing, then builds every preset and runs all their tests: native
# Linux (ASan, UBSan), 32-bit Linux, 32-bit Windows under Wine,
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
  if [ "$preset" = win32 ]; then
    echo "-- the GoogleTest summary, printed from inside Wine:"
    grep -E '^\[(==========|  PASSED  |  SKIPPED |  FAILED  )\]|: Skipped$' -A1 \
      build/win32/Testing/Temporary/LastTest.log | grep -v -E '^(--|<end of output>)$'
  fi
done
