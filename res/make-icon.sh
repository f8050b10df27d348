#!/usr/bin/env bash
# Draws the application icon (a timeline with a bracketed segment under the
# time cursor) as quillmark.svg and quillmark.png (128 px, the window's own)
# from one list of rectangles, and the 48 and 256 px sizes a desktop menu
# asks for into packaging/icons/. ImageMagick renders the PNGs from the same
# shapes in its own vector format, since it reads no SVG without extra
# delegates. The PNGs are committed, so that building needs no ImageMagick.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
svg="$here/quillmark.svg"
png="$here/quillmark.png"
icons="$here/../packaging/icons"
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

# Each size drawn from the shapes, not scaled from another bitmap, so that
# edges stay sharp.
render() {
  local pixels="$1" out="$2" scale
  scale="$(awk -v p="$pixels" -v s="$size" 'BEGIN { printf "%g", p / s }')"
  {
    echo "viewbox 0 0 $pixels $pixels"
    echo "affine $scale 0 0 $scale 0 0"
    printf '%s' "$mvg_body"
  } > "$mvg"
  convert -size "${pixels}x${pixels}" -background none "mvg:$mvg" -strip "png32:$out"
  echo "$out ($(stat -c %s "$out") bytes)"
}

echo "$svg"
render "$size" "$png"
mkdir -p "$icons"
for pixels in 48 256; do
  render "$pixels" "$icons/quillmark-$pixels.png"
done
