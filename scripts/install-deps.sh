#!/bin/sh
# Installs what building, running, testing and packaging Tessaly needs on Debian 12 (skips what
# is there). file: the install test and CPack; dpkg-dev: the .deb; librsvg2-bin: make-icons.sh;
# appstream, groff-base, man-db: the install test's checks; lintian: check-package.sh;
# debootstrap: check-debian13.sh.
set -eu
packages="cmake ninja-build g++ ccache pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev
  libbenchmark-dev fonts-dejavu-core fonts-liberation2 xvfb xauth imagemagick desktop-file-utils
  clang libclang-rt-14-dev valgrind dosfstools exfatprogs exfat-fuse file dpkg-dev librsvg2-bin
  appstream groff-base man-db lintian debootstrap"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing
