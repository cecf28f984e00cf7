#!/usr/bin/env bash
# Draws the banner picture of the wizard's pages and writes it as the JPEG the window
# decodes at run time: 238 x 60 pixels, progressive, 8 bits per sample, YCbCr with the
# two colour components subsampled 2 x 2, JFIF 1.01.
#   tools/make-banner.sh [out.jpg]   (default: resources/banner.jpg)
# Needs ImageMagick and the DejaVu fonts; the result is committed, so building the
# program does not need either.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/resources/banner.jpg}
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
light=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

# A teal sky over a light floor, three stacked disks at the left (the medium's parts),
# the system's name and what the program does at the right.
convert -size 238x60 gradient:'#0b6f6f-#7cc4bd' -rotate 0 \
  \( -size 238x60 xc:none -fill '#ffffff40' -draw 'ellipse 200,70 120,34 0,360' \) -composite \
  -fill '#e8c45a' -stroke '#5a4a10' -strokewidth 1 \
  -draw 'roundrectangle 10,34 44,44 4,4' \
  -fill '#f0d27a' -draw 'roundrectangle 14,24 48,34 4,4' \
  -fill '#f7e3a4' -draw 'roundrectangle 18,14 52,24 4,4' \
  -stroke none -fill '#5a4a10' -draw 'rectangle 24,18 30,20' -draw 'rectangle 20,28 26,30' \
  -draw 'rectangle 16,38 22,40' \
  -fill '#003c3c' -font "$font" -pointsize 21 -annotate +67+30 'Quelvara' \
  -fill '#ffffff' -annotate +66+29 'Quelvara' \
  -fill '#ffffff' -font "$light" -pointsize 10 -annotate +68+46 'Sistema de Informação QEL' \
  -strip -colorspace sRGB -type TrueColor \
  -sampling-factor 2x2,1x1,1x1 -interlace JPEG -quality 90 "jpeg:$out"
echo "$out: $(stat -c %s "$out") bytes"
