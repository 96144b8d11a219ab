#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need; only those missing.
# Needs root (or sudo) only when something is missing. Exit status: 0 everything is installed,
# 2 packages are missing and cannot be installed by this user (the message lists them).
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config dpkg-dev
  qt6-base-dev qt6-serialport-dev libgl-dev
  libqt6sql6-sqlite libqt6sql6-psql qt6-charts-dev libqt6opengl6-dev postgresql libpq-dev
  libjpeg-dev libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation fonts-arphic-uming
  xvfb xauth poppler-utils openbox xdotool
  clang-14 libclang-rt-14-dev clang-format-14
  qt6-translations-l10n
  desktop-file-utils appstream shared-mime-info
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

cannot() {
  cat >&2 <<EOF
scripts/deps.sh: these Debian packages are missing and this user cannot install them ($1):
  ${missing[*]}
Run scripts/deps.sh as root (su -c scripts/deps.sh), or have an administrator install them:
  apt-get install ${missing[*]}
Once they are installed, ./run.sh and ./test.sh need no root.
EOF
  exit 2
}

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    cannot "not root, and sudo is not installed"
  fi
  # Without a terminal sudo cannot ask for a password: only a rule without one will do.
  if ! sudo -n true 2>/dev/null && ! { [ -t 0 ] && sudo -v; }; then
    cannot "not root, and sudo refused"
  fi
  sudo=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The tests start PostgreSQL servers of their own; the cluster Debian would create and start on
# port 5432 when the server is installed is of no use, so none is created.
for p in "${missing[@]}"; do
  if [ "$p" = postgresql ]; then
    "${sudo[@]}" mkdir -p /etc/postgresql-common/createcluster.d
    echo "create_main_cluster = false" | "${sudo[@]}" tee /etc/postgresql-common/createcluster.d/korvex.conf >/dev/null
  fi
done
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
