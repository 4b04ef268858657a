#!/usr/bin/env bash
# Installs what is missing, then builds both presets (native Linux, 32-bit Windows) and
# runs all their tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
for preset in linux win32; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
