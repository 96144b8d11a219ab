#!/usr/bin/env bash
# Every option of each program's --help, and every korvex-cli command, appears in its manual
# page, so the pages cannot drift from the programs.
# Usage: check-manpages.sh MAN_DIR KORVEX KORVEX_CLI KORVEX_SIM
set -euo pipefail
man=$1 korvex=$2 cli=$3 sim=$4
status=0

# The options a help text names: --word and --word-word.
options() { grep -oE -- '--[a-z][a-z-]*[a-z]' | sort -u; }
# The page's text with roff's escaped hyphens plain.
page() { sed -e 's/\\-/-/g' "$man/$1.1"; }

check() { # PAGE WORD...
  local name=$1 text
  shift
  text=$(page "$name")
  for word in "$@"; do
    if ! grep -qF -- "$word" <<<"$text"; then
      echo "$name.1 does not mention $word" >&2
      status=1
    fi
  done
}

check korvex $("$korvex" --help | options)
check korvex-sim $("$sim" --help | options)
commands=$("$cli" --help | sed -n 's/^  \([a-z][a-z]*\)  .*/\1/p')
[ -n "$commands" ] || { echo "korvex-cli --help lists no commands" >&2; exit 1; }
help=$("$cli" --help)
for c in $commands; do
  help+=$'\n'$("$cli" "$c" --help)
done
check korvex-cli $commands $(options <<<"$help")
[ $status -eq 0 ] && echo "the manual pages name every option of korvex, korvex-cli ($(wc -w <<<"$commands") commands) and korvex-sim"
exit $status
