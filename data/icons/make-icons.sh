#!/usr/bin/env bash
# Renders the book logo tarnu.svg into the PNG sizes of the hicolor icon theme. The PNG
# files are kept in the repository; run this only after changing the SVG.
# Needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" tarnu.svg -o "tarnu-$size.png"
done
