#!/usr/bin/env bash
# The Debian package as a bench PC gets it: built with CPack, unpacked into a temporary root and
# run there by a user whose home and XDG folders are temporary too. A simulated comprehensive run
# with --log keeps its limits and log in those folders and nothing beside the programs; the
# desktop entry, the metainfo and the MIME type validate. Exits 77 (skipped) after every other
# check when a validator is not installed (scripts/deps.sh installs them).
# Usage: package-test.sh CPACK BUILD_DIR VERSION
set -euo pipefail
cpack=$1 build=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cpack" --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
arch=$(dpkg --print-architecture)
deb="$work/out/korvex_${version}_${arch}.deb"
[ -f "$deb" ] || fail "no $(basename "$deb") among: $(ls "$work/out")"
dpkg-deb -f "$deb" Depends | grep -q 'fonts-arphic-uming' || fail "Depends lacks the page fonts"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6' || fail "Depends lacks what dpkg-shlibdeps finds"
dpkg-deb -x "$deb" "$work/root"

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_CONFIG_DIRS="$work/etc/xdg"
unset KORVEX_DB KORVEX_BENCH
cli="$work/root/usr/bin/korvex-cli"
"$cli" run comprehensive --port sim --log --save "$work/comp.kvx" >"$work/run.txt" 2>&1 || { cat "$work/run.txt"; fail "run"; }
grep -q '^logged ' "$work/run.txt" || fail "the run was not logged: $(cat "$work/run.txt")"
[ -f "$XDG_DATA_HOME/korvex/KORVEX-log.db" ] || fail "no log in the user's data folder"
[ -f "$XDG_CONFIG_HOME/korvex/KORVEX-limits.ini" ] || fail "no limits file in the user's configuration folder"
beside=$(ls -A "$work/root/usr/bin" | tr '\n' ' ')
[ "$beside" = "korvex korvex-cli korvex-sim " ] || fail "files beside the programs: $beside"
"$cli" paths | grep -q "^log  *$XDG_DATA_HOME/korvex/KORVEX-log.db" || fail "paths: $("$cli" paths)"
[ "$("$cli" log list --csv | grep -c ',comprehensive,')" = 1 ] || fail "log list: $("$cli" log list)"

desktop="$work/root/usr/share/applications/com.tarvane.korvex.desktop"
grep -q '^Exec=korvex %f$' "$desktop" || fail "the desktop entry does not open a data file"
[ -x "$work/root/usr/bin/korvex" ] || fail "no korvex in the package"

# The MIME type as the desktop's database reads it: by the name and by the file's tag.
mime="$XDG_DATA_HOME/mime"
mkdir -p "$mime/packages"
cp "$work/root/usr/share/mime/packages/com.tarvane.korvex.xml" "$mime/packages/"
update-mime-database "$mime" 2>"$work/mime.log" || fail "update-mime-database: $(cat "$work/mime.log")"
[ ! -s "$work/mime.log" ] || fail "update-mime-database: $(cat "$work/mime.log")"
grep -q 'application/x-korvex-record:\*\.kvx' "$mime/globs2" || fail "no *.kvx glob"
grep -aq 'KORVEX-3\.' "$mime/magic" || fail "no magic on the file's tag"
[ "$(head -c 9 "$work/comp.kvx")" = "KORVEX-3." ] || fail "a data file does not start with the tag the magic expects"

missing=""
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
else
  missing+=" desktop-file-validate (desktop-file-utils)"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$work/root/usr/share/metainfo/com.tarvane.korvex.metainfo.xml" ||
    fail "appstreamcli validate"
else
  missing+=" appstreamcli (appstream)"
fi
if [ -n "$missing" ]; then
  echo "SKIPPED: not installed:$missing; everything else passed"
  exit 77
fi
echo "package $(basename "$deb"): installed files, user folders, desktop entry, metainfo and MIME type pass"
