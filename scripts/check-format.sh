#!/usr/bin/env bash
# Checks that every C++ source of the project is formatted as .clang-format says; with --fix,
# formats them in place. Lists the files that differ and exits non-zero when any does, and
# when the formatter itself fails (a broken .clang-format, a file it cannot read): a check
# whose tool did not run has checked nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

# The format is clang-format 14's: another version formats some constructs differently.
format=clang-format-14
command -v "$format" >/dev/null || { echo "$format is not installed (scripts/deps.sh installs it)" >&2; exit 1; }

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
status=0
report=$("$format" --dry-run --Werror "${files[@]}" 2>&1) || status=$?
if [ "$status" -eq 0 ]; then
  echo "Format: ${#files[@]} files as .clang-format says."
  exit 0
fi
mapfile -t bad < <(printf '%s\n' "$report" | grep -oE '^[^:]+\.(cpp|h):[0-9]+:[0-9]+: error: code should be clang-formatted' |
  cut -d: -f1 | sort -u)
if [ ${#bad[@]} -eq 0 ]; then
  printf '%s failed (exit status %s) without naming a file that differs:\n' "$format" "$status" >&2
  printf '%s\n' "$report" | head -n 20 >&2
  exit 1
fi
printf 'Not formatted as .clang-format says (run scripts/check-format.sh --fix):\n' >&2
printf '  %s\n' "${bad[@]}" >&2
exit 1
