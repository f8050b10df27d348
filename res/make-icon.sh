#!/usr/bin/env bash
# Draws the application icon (a timeline with a bracketed segment under the
# time cursor) as quillmark.svg and quillmark.png (128 px) from one list of
# rectangles. ImageMagick renders the PNG from the same shapes in its own
# vector format, since it reads no SVG without extra delegates.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
svg="$here/quillmark.svg"
png="$here/quillmark.png"
mvg="$(mktemp --suffix=.mvg)"
trap 'rm -f "$mvg"' EXIT

size=128
svg_body=""
mvg_body=""

# rect x y width height radius colour
rect() {
  svg_body+="  <rect x=\"$1\" y=\"$2\" width=\"$3\" height=\"$4\" rx=\"$5\" fill=\"$6\"/>"$'\n'
  local shape="roundrectangle $1,$2 $(($1 + $3)),$(($2 + $4)) $5,$5"
  if [ "$5" = 0 ]; then shape="rectangle $1,$2 $(($1 + $3)),$(($2 + $4))"; fi
  mvg_body+="push graphic-context
fill '$6'
stroke none
$shape
pop graphic-context
"
}

# Background tile.
rect 6 6 116 116 20 '#22304a'
# Three track rows with their segments.
rect 16 30 96 16 3 '#33476a'
rect 16 56 96 16 3 '#33476a'
rect 16 82 96 16 3 '#33476a'
rect 20 33 22 10 2 '#6f8fc0'
rect 74 85 32 10 2 '#6f8fc0'
# The bracketed segment: the one being marked.
rect 46 58 36 12 2 '#f2a33a'
rect 35 48 5 32 0 '#ffffff'
rect 35 48 10 5 0 '#ffffff'
rect 35 75 10 5 0 '#ffffff'
rect 88 48 5 32 0 '#ffffff'
rect 83 48 10 5 0 '#ffffff'
rect 83 75 10 5 0 '#ffffff'
# Time cursor.
rect 62 20 3 88 0 '#e8483f'

cat > "$svg" <<SVG
<svg xmlns="http://www.w3.org/2000/svg" width="$size" height="$size" viewBox="0 0 $size $size">
$svg_body</svg>
SVG

{
  echo "viewbox 0 0 $size $size"
  printf '%s' "$mvg_body"
} > "$mvg"
convert -size "${size}x${size}" -background none "mvg:$mvg" -strip "png32:$png"
echo "$svg"
echo "$png ($(stat -c %s "$png") bytes)"
