#!/bin/sh
# Runs a test program as an ordinary user: as it is for one, as nobody (setpriv) for root. For
# nobody, the program and the korvex-cli it runs are copied into a temporary folder that every
# user may read: the build tree may lie where only root may go.
# Usage: run-as-user.sh TEST_PROGRAM KORVEX_CLI
set -eu
program=$1 cli=$2
if [ "$(id -u)" -ne 0 ]; then
  KORVEX_TEST_CLI=$cli exec "$program"
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
chmod 755 "$dir"
cp "$program" "$dir/test"
cp "$cli" "$dir/korvex-cli"
KORVEX_TEST_CLI=$dir/korvex-cli setpriv --reuid=nobody --regid=nogroup --clear-groups "$dir/test"
