#!/usr/bin/env bash
# Renders the program icon's PNG sizes from its SVG (needs rsvg-convert, Debian package
# librsvg2-bin). The PNGs are kept in the repository, so building needs neither.
set -euo pipefail
cd "$(dirname "$0")/../desktop/icons"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" example.tavrix.Configurator.svg -o "$size.png"
done
# The Windows programs carry the same sizes in one icon file (needs imagemagick).
convert 16.png 24.png 32.png 48.png 64.png 128.png 256.png ../../windows/tavrix.ico
