#!/bin/sh
# Installs the build into a temporary prefix and checks what a desktop finds there: the
# executable, which answers --help and --version, a valid menu entry that names them, a
# Dolphin service menu for folders, the icon in every size, valid AppStream metainfo that
# launches that entry, and a manual page that renders without a warning.
# Usage: install_test.sh BUILD_DIR
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

[ -x "$prefix/bin/tessaly" ] || fail "no executable bin/tessaly"
entry=$prefix/share/applications/org.tessaly.Tessaly.desktop
[ -f "$entry" ] || fail "no desktop entry"

# desktop-file-validate exits 0 on some errors too ("will be fatal in the future"), so its
# report is read as well; hints are advice and pass.
report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
if echo "$report" | grep -E ': (error|warning):'; then fail "desktop-file-validate complained"; fi

value() { sed -n "s/^$1=//p" "${2:-$entry}"; }
# The folder a file manager opens it with is its one argument; no folder type is claimed, so it
# never becomes the opener of every folder.
[ "$(value Exec)" = "tessaly %f" ] || fail "Exec is '$(value Exec)', not the installed tessaly"
[ -z "$(value MimeType)" ] || fail "the desktop entry claims $(value MimeType)"
menu=$prefix/share/kio/servicemenus/org.tessaly.Tessaly.desktop
[ "$(value MimeType "$menu")" = "inode/directory;" ] || fail "no Dolphin service menu on folders"
[ "$(value Exec "$menu")" = "tessaly %f" ] && [ "$(value Name "$menu")" = "Rename files with Tessaly" ] ||
  fail "the service menu's action is not 'Rename files with Tessaly'"
icon=$(value Icon)
[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon"
for size in 16 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png
  [ -f "$png" ] || fail "no ${size}x${size} icon"
  file "$png" | grep -q "PNG image data, $size x $size," || fail "$png: $(file -b "$png")"
done
for key in Name GenericName Comment Categories; do
  [ -n "$(value $key)" ] || fail "desktop entry has no $key"
done
[ -f "$prefix/share/metainfo/org.tessaly.Tessaly.metainfo.xml" ] || fail "no metainfo"
# validate-tree also checks that the metainfo's launchable is the installed desktop entry.
report=$(appstreamcli validate-tree --no-net "$prefix" 2>&1) || fail "appstreamcli: $report"
man=$prefix/share/man/man1/tessaly.1.gz
lexgrog "$man" >/dev/null || fail "no man page whose NAME line whatis can read"
report=$(gzip -dc "$man" | groff -man -ww -z 2>&1) && [ -z "$report" ] || fail "man page: $report"
# Usage and version answer without a window system.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/tessaly" --version) ||
  fail "tessaly --version failed"
[ "$version" = "tessaly $(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")" ] ||
  fail "tessaly --version printed '$version'"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/tessaly" --help | grep -q '\[FOLDER\]' ||
  fail "tessaly --help does not name the FOLDER argument"
echo "installed and valid: $(cd "$prefix" && find . -type f | sort | tr '\n' ' ')"
