#!/bin/sh
# Makes a screenshot of the window at start-up under Xvfb: scripts/screenshot.sh OUT.png [SCALE]
# Needs xvfb, xauth and imagemagick (the README's install script puts them in).
set -eu
out=${1:-docs/window.png}
scale=${2:-1}
bin=${TESSALY_BIN:-build/tessaly}
width=$((820 * scale)); height=$((580 * scale))
exec xvfb-run -a -s "-screen 0 ${width}x${height}x24 -dpi $((96 * scale))" sh -c "
  QT_SCALE_FACTOR=$scale '$bin' & pid=\$!
  sleep 3
  import -window root -crop $((794 * scale))x$((553 * scale))+0+0 +repage '$out'
  kill \$pid"
