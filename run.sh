#!/usr/bin/env bash
# Installs what is missing, builds, and runs the KORVEX front end on the built-in simulated
# instrument. Without a display it runs a comprehensive test headless instead.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/deps.sh

cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc 2>/dev/null || echo 2)"

bin=build/default
window="$bin/src/app/korvex"
cli="$bin/tools/cli/korvex-cli"

if [ -x "$window" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$window" --simulator "$@"
fi

if [ -x "$window" ]; then
  echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): running a comprehensive test headless instead."
fi

# Qt wants a private runtime folder for the PDF writer; give it one when the session has none,
# and remove it again however the run ends.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi

if "$cli" --help | grep -q '^  run '; then
  out="${KORVEX_OUT:-$PWD/korvex-out}"
  mkdir -p "$out"
  "$cli" run comprehensive --port sim --save "$out/comprehensive.kvx" --csv "$out/comprehensive.csv" --log
  echo "Data file: $out/comprehensive.kvx"
  echo "CSV:       $out/comprehensive.csv"
  echo "Logged:    $cli log list (the results log: $("$cli" paths | sed -n 's/^log *//p'))"
  if "$cli" --help | grep -q '^  report '; then
    "$cli" report "$out/comprehensive.kvx" --pdf "$out/comprehensive.pdf" --pages all
    echo "PDF:       $out/comprehensive.pdf"
  fi
else
  "$cli" --help
fi
