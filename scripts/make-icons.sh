#!/bin/sh
# Renders the application icon's PNG sizes from its SVG: scripts/make-icons.sh
# Needs rsvg-convert (librsvg2-bin) or ImageMagick's convert; the PNGs are committed.
set -eu
cd "$(dirname "$0")/../desktop/icons"
svg=org.tessaly.Tessaly.svg
mkdir -p png
for size in 16 32 48 64 128 256; do
  out="png/${size}x${size}.png"
  if command -v rsvg-convert >/dev/null; then
    rsvg-convert -w "$size" -h "$size" -o "$out" "$svg"
  else
    convert -background none -density $((96 * size / 256)) "$svg" -resize "${size}x${size}" "$out"
  fi
  echo "$out"
done
