#!/bin/sh
# Builds Tessaly on Debian 13 (trixie: GCC 14, Qt 6.8) in a chroot, with every warning an
# error, and runs the tests there, less those labelled needs-mount (loop devices, FUSE and file
# flags, which would reach the host's kernel from a chroot). Needs root and Debian's package
# archive. The chroot is made once with debootstrap and kept for later runs in
# TESSALY_DEBIAN13_ROOT (default /var/cache/tessaly-debian13); remove that folder to start
# afresh. The source is a clean copy of the working tree (tracked and untracked files, not the
# ignored ones such as build folders), built in the chroot's /src.
set -eu
cd "$(dirname "$0")/.."
root=${TESSALY_DEBIAN13_ROOT:-/var/cache/tessaly-debian13}
mirror=${TESSALY_DEBIAN_MIRROR:-http://deb.debian.org/debian}
# The build and the tests: the desktop entry, metainfo and man page checks of the install test
# included. ccache keeps the compiled objects in the chroot between runs.
packages="cmake ninja-build g++ ccache qt6-base-dev libgl-dev libgtest-dev libgmock-dev
  fonts-dejavu-core fonts-liberation2 file desktop-file-utils appstream groff-base man-db"
packages=$(echo $packages) # one line, as kept in the ready mark

[ "$(id -u)" -eq 0 ] || { echo "check-debian13.sh: needs root (debootstrap, chroot)" >&2; exit 1; }
command -v debootstrap >/dev/null ||
  { echo "check-debian13.sh: needs debootstrap (scripts/install-deps.sh)" >&2; exit 1; }
mkdir -p "$(dirname "$root")"
exec 9>"$root.lock"
flock 9 # one run at a time uses the chroot

mounted=""
cleanup() {
  for m in $mounted; do umount -R "$root/$m" 2>/dev/null || umount -lR "$root/$m" || true; done
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# A run that was killed may have left its mounts: the host's /dev must never be removed with an
# unfinished chroot.
for m in dev proc; do
  if mountpoint -q "$root/$m" 2>/dev/null; then umount -R "$root/$m" || umount -lR "$root/$m"; fi
done
in_root() {
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"
}

ready=$root/.tessaly-ready # holds the package list installed
start=$(date +%s)
if [ ! -f "$ready" ]; then
  rm -rf --one-file-system "$root"
  debootstrap --variant=minbase trixie "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
    { tail -n 20 "$root.debootstrap.log" >&2; exit 1; }
  echo "debootstrap: $(($(date +%s) - start)) s"
fi
mount -t proc proc "$root/proc"
mounted="proc"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev" # unmounting it later leaves the host's /dev alone
mounted="dev $mounted"
if [ "$(cat "$ready" 2>/dev/null)" != "$packages" ]; then
  step=$(date +%s)
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  # Nothing installed starts a service in the chroot.
  printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
  chmod +x "$root/usr/sbin/policy-rc.d"
  in_root apt-get update -qq
  in_root apt-get install -y -qq --no-install-recommends $packages >/dev/null
  echo "$packages" >"$ready"
  echo "build dependencies: $(($(date +%s) - step)) s"
fi

rm -rf "$root/src"
mkdir "$root/src"
git ls-files -z --cached --others --exclude-standard |
  tar --null --files-from=- --ignore-failed-read -cf - 2>/dev/null | tar -xf - -C "$root/src"
in_root sh -c 'g++ --version | head -n 1; echo "Qt $(dpkg-query -W -f="\${Version}" qt6-base-dev)"'
step=$(date +%s)
in_root sh -c 'cd /src && cmake -S . -B build -G Ninja -DTESSALY_WERROR=ON >/dev/null &&
  cmake --build build -j2'
echo "build: $(($(date +%s) - step)) s"
in_root ctest --test-dir /src/build -j2 -LE needs-mount --output-on-failure
echo "check-debian13.sh: passed in $(($(date +%s) - start)) s"
