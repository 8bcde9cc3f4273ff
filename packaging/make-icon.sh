#!/usr/bin/env bash
# Draws the program's icon, the one the running program paints for its window and tray icon
# (a white bold "M" on a blue rounded square), at the sizes Windows asks for, and writes
# packaging/mirtane.ico. The .ico is kept in the repository, so a build needs no ImageMagick;
# run this again (needs imagemagick and fonts-dejavu-core) only to change the icon.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes=(16 24 32 48 64 256)
for s in "${sizes[@]}"; do
  # Everything is drawn at 256 and scaled down, so the sizes look alike.
  convert -size 256x256 xc:none -fill '#1f5f9f' -draw 'roundrectangle 8,8 247,247 48,48' \
    -fill white -font DejaVu-Sans-Bold -pointsize 160 -gravity center -annotate +0+0 M \
    -resize "${s}x${s}" "PNG32:$work/$s.png"
done
# Each size in order, as separate frames.
files=()
for s in "${sizes[@]}"; do files+=("$work/$s.png"); done
convert "${files[@]}" mirtane.ico
identify mirtane.ico
