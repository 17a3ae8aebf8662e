#!/usr/bin/env bash
# Renders the scalable icon into the PNG sizes the hicolor theme and the window use
# (icons/io.github.quillane.Quillane-<size>.png). Run it after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")/icons"
name=io.github.quillane.Quillane
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$name.svg" -o "$name-$size.png"
done
