#!/usr/bin/env bash
# Checks that every C++ source of the project is formatted as .clang-format says; with --fix,
# formats them in place. Lists the files that differ and exits non-zero when any does.
set -euo pipefail
cd "$(dirname "$0")/.."

format=clang-format-14
command -v "$format" >/dev/null || format=clang-format
command -v "$format" >/dev/null || { echo "clang-format is not installed (scripts/deps.sh installs it)" >&2; exit 1; }

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
  mapfile -t files < <(find src tools test bench fuzz -name '*.cpp' -o -name '*.h' | sort)
fi

if [ "${1:-}" = --fix ]; then
  "$format" -i "${files[@]}"
  exit 0
fi

# One run over all files; each difference is reported as "FILE:LINE:COL: error: ...".
mapfile -t bad < <("$format" --dry-run --Werror "${files[@]}" 2>&1 | grep -oE '^[^:]+\.(cpp|h):' | tr -d : | sort -u || true)
if [ ${#bad[@]} -gt 0 ]; then
  printf 'Not formatted as .clang-format says (run scripts/check-format.sh --fix):\n' >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "Format: ${#files[@]} files as .clang-format says."
