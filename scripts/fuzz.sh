#!/usr/bin/env bash
# Runs the libFuzzer targets for as long as wanted.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS per target (default 3600); TARGET among FuzzDataFile, FuzzConfiguration, FuzzCapture
# and FuzzLink (default all, one after the other). Builds the fuzz preset (clang 14 with
# -fsanitize=fuzzer,address,undefined) first. Each target starts from its kept corpus in
# fuzz/corpus/TARGET; the inputs it finds go to build/fuzz/fuzz/found/TARGET, a crash to
# build/fuzz/fuzz/crash-TARGET-*. To keep a crash as a regression test, fix it and copy the
# input into fuzz/corpus/TARGET: every test run replays the whole corpus.
# Extra libFuzzer options can be given in FUZZ_OPTIONS, e.g. FUZZ_OPTIONS="-jobs=2 -workers=2".
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-3600}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(FuzzDataFile FuzzConfiguration FuzzCapture FuzzLink)
fi

./scripts/deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

status=0
for t in "${targets[@]}"; do
  found=build/fuzz/fuzz/found/$t
  mkdir -p "$found"
  echo "=== $t for $seconds s"
  # shellcheck disable=SC2086
  if ! build/fuzz/fuzz/$t -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="build/fuzz/fuzz/crash-$t-" ${FUZZ_OPTIONS:-} "$found" "fuzz/corpus/$t"; then
    echo "=== $t found a crash: build/fuzz/fuzz/crash-$t-*"
    status=1
  fi
done
exit $status
