#!/usr/bin/env bash
# Installs what is missing, checks the format of the sources, builds the default and the
# sanitizer presets and runs every test of both (the default one includes a 50-cycle fault
# soak); then builds the libFuzzer targets and runs each over its kept corpus for a few seconds.
# Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/deps.sh

echo "=== format"
./scripts/check-format.sh

jobs=$(nproc 2>/dev/null || echo 2)
for preset in default asan; do
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "=== $preset: tests"
  if [ "$preset" = asan ]; then
    ctest --preset "$preset" -j "$jobs" -LE soak # the soak measures time and memory: default only
  else
    ctest --preset "$preset" -j "$jobs"
  fi
done
echo "=== fuzz: configure, build and run each target over its corpus"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
ctest --preset fuzz
echo "All tests of the default, sanitizer and fuzz presets passed."
