#!/bin/sh
# Builds the Debian package from an existing build and checks it the way a distribution
# would: lintian reports no error and no warning but those allowed below, and the package's
# AppStream metainfo and desktop entry validate.
# Usage: scripts/check-package.sh BUILD_DIR
set -eu
build=$(cd "$1" && pwd)
# Lintian tags allowed to stay, comma-separated, each with a comment line saying why. None.
allowed=""
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -f "$build"/tessaly_*.deb
cpack --config "$build/CPackConfig.cmake" >/dev/null
set -- "$build"/tessaly_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "cpack wrote no package"
deb=$1
echo "$deb"

# Infos and pedantic tags are shown as advice; errors and warnings fail.
lintian --pedantic --display-info --fail-on error,warning ${allowed:+--suppress-tags "$allowed"} \
  "$deb" || fail "lintian"

dpkg-deb -x "$deb" "$tree"
# validate-tree also checks that the metainfo's launchable is the package's desktop entry.
appstreamcli validate-tree --no-net "$tree" || fail "appstreamcli"
# desktop-file-validate exits 0 on some errors too, so its report is read as well.
for entry in "$tree"/usr/share/applications/*.desktop; do
  report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
  if echo "$report" | grep -E ': (error|warning):'; then fail "desktop-file-validate"; fi
done
echo "package checked: $deb"
