#!/bin/sh
# korvex-cli render and report run as a service or as root without a login session: no
# XDG_RUNTIME_DIR. Their stderr must carry nothing (no warning of Qt's), and the runtime folder
# the tool makes for itself must be gone afterwards.
# Usage: cli-without-runtime-folder.sh KORVEX-CLI
set -u
cli=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TMPDIR="$work/tmp"
mkdir "$TMPDIR"
unset XDG_RUNTIME_DIR
fail=0
"$cli" run energy --port sim --save "$work/e.kvx" >/dev/null 2>"$work/err" || { echo "run failed"; fail=1; }
"$cli" render "$work/e.kvx" --png "$work/e.png" 2>>"$work/err" || { echo "render failed"; fail=1; }
"$cli" report "$work/e.kvx" --pdf "$work/e.pdf" 2>>"$work/err" || { echo "report failed"; fail=1; }
if [ -s "$work/err" ]; then
  echo "stderr was not empty:"; cat "$work/err"; fail=1
fi
if [ -n "$(ls -A "$TMPDIR")" ]; then
  echo "left behind in TMPDIR:"; ls -A "$TMPDIR"; fail=1
fi
exit $fail
