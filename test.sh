#!/usr/bin/env bash
# Installs what is missing, builds the default and the sanitizer presets, and runs every test
# of both. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
for preset in default asan; do
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "=== $preset: tests"
  ctest --preset "$preset" -j "$jobs"
done
echo "All tests of both presets passed."
