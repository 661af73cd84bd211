#!/bin/sh
# Installs the Debian packages the build needs, only those that are missing.
# Quiet when everything is already there; safe to run any number of times.
set -e
PACKAGES="cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev sqlite3 libpq-dev postgresql-15 libfreetype-dev libpng-dev fonts-dejavu-core libcairo2-dev libx11-dev libxtst-dev xvfb xdotool pkgconf doxygen ccache"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
