#!/usr/bin/env bash
# Builds presets and runs all their tests: by default every one of them, native Linux
# (ASan, UBSan), 32-bit Linux, 32-bit Windows under Wine, ThreadSanitizer, the fuzz
# targets for a bounded time each, the optimised build (release) with the library's
# tests, the allocation check, the judged instruction counts and the recipes tried on a
# copy of the tree, and the coverage build, whose tests end with the library's line and
# branch coverage (gcovr), failing below 100%.
#   test.sh [--no-install] [PRESET...]
# It installs what is missing first (scripts/install-deps.sh), unless --no-install is
# given or GYRIX_NO_INSTALL=1 is set, for machines that are set up already. Each preset's
# results go to build/<preset>/junit.xml (JUnit XML, for a CI system). The first preset
# that fails to build or to pass its tests ends the run with a non-zero status.
set -euo pipefail
cd "$(dirname "$0")/.."
all_presets=(linux linux-i686 win32 tsan fuzz release coverage)
install="yes"
[ "${GYRIX_NO_INSTALL:-0}" = 0 ] || install=""
presets=()
for word in "$@"; do
  case "$word" in
    --no-install) install="" ;;
    -h | --help)
      sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    -*)
      echo "test.sh: unknown option $word (usage: test.sh [--no-install] [PRESET...])" >&2
      exit 2
      ;;
    *)
      if [[ " ${all_presets[*]} " != *" $word "* ]]; then
        echo "test.sh: no preset \"$word\" (the presets: ${all_presets[*]})" >&2
        exit 2
      fi
      presets+=("$word")
      ;;
  esac
done
[ ${#presets[@]} -gt 0 ] || presets=("${all_presets[@]}")

if [ -n "$install" ]; then
  # The native packages suffice for the native presets without the fuzzer.
  native_only="--native"
  for preset in "${presets[@]}"; do
    case "$preset" in linux | tsan | release | coverage) ;; *) native_only="" ;; esac
  done
  bash scripts/install-deps.sh $native_only
fi
for preset in "${presets[@]}"; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" --output-junit "$PWD/build/$preset/junit.xml"
done
