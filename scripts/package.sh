#!/usr/bin/env bash
# Builds the Debian package build/korvex_VERSION_ARCH.deb from the default preset: the three
# programs (stripped), the desktop entry, the icon, the metainfo, the data file type and the
# manual pages, with the dependencies dpkg-shlibdeps finds. Install it with
#   sudo apt install ./build/korvex_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc 2>/dev/null || echo 2)"
cpack --config build/default/CPackConfig.cmake -B "$PWD/build" >/dev/null
rm -rf build/_CPack_Packages
deb=$(ls -t build/korvex_*.deb | head -1)
echo "Package: $deb"
if command -v lintian >/dev/null; then
  echo "lintian (see docs/install.md for the warnings that remain):"
  lintian --tag-display-limit 0 "$deb" || true
fi
