#!/usr/bin/env bash
# Draws the program's pictures with ImageMagick into src/res/. Rerun after a change
# to the drawing; the results are committed so builds do not need ImageMagick.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../src/res"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The program icon: an amber hourglass in a dark frame.
hourglass() {  # size file
    local s=$1 out=$2
    convert -size 64x64 xc:none \
        -fill '#5a3a1a' -draw 'rectangle 12,4 52,10' -draw 'rectangle 12,54 52,60' \
        -fill '#f0b030' -stroke '#5a3a1a' -strokewidth 2 \
        -draw 'polygon 16,11 48,11 33,31 31,31' -draw 'polygon 31,33 33,33 48,53 16,53' \
        -fill '#c07010' -stroke none -draw 'polygon 22,53 42,53 33,42 31,42' \
        -resize "${s}x${s}" "$out"
}
hourglass 32 "$tmp/h32.png"
hourglass 16 "$tmp/h16.png"
cp "$tmp/h32.png" hourgate-32.png
cp "$tmp/h16.png" hourgate-16.png
convert "$tmp/h16.png" "$tmp/h32.png" -channel A -threshold 50% +channel -colors 16 hourgate.ico

# The warning icon: a red triangle with a white exclamation mark.
warning() {  # size file
    local s=$1 out=$2
    convert -size 64x64 xc:none \
        -fill '#d01010' -stroke '#800000' -strokewidth 2 -draw 'polygon 32,3 61,59 3,59' \
        -fill white -stroke none -draw 'rectangle 28,20 36,44' -draw 'rectangle 28,48 36,55' \
        -resize "${s}x${s}" "$out"
}
warning 32 "$tmp/w32.png"
warning 16 "$tmp/w16.png"
cp "$tmp/w32.png" warning-32.png
convert "$tmp/w16.png" "$tmp/w32.png" -channel A -threshold 50% +channel -colors 16 warning.ico

# The tool bar's one button (About): a blue question mark on button-face grey.
convert -size 16x15 xc:'#c0c0c0' -fill '#0000a0' -font DejaVu-Sans-Bold -pointsize 14 \
    -gravity center -annotate +0+0 '?' -type Palette -colors 16 BMP3:toolbar.bmp
convert toolbar.bmp about-16.png
