#!/usr/bin/env bash
# Sample pictures for the pixload tests, made on the build host with
# ImageMagick and our own metafile writer: 120 x 80 quadrants (red top left,
# lime top right, blue bottom left, white bottom right) in every format, and a
# few variants (grey, alpha, 1-bit, an animated GIF).
set -euo pipefail
out=$1
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
cd "$out"
q="-depth 8 -type TrueColor"
convert -size 60x40 xc:red -size 60x40 xc:lime +append \
        \( -size 60x40 xc:blue -size 60x40 xc:white +append \) -append -depth 8 quad.ppm
for ext in bmp tif tiff jpg jpeg jpe pcx sgi psd; do convert quad.ppm $q -quality 95 quad.$ext; done
# Top-left origin said in the header (ImageMagick writes rows top first either way).
convert quad.ppm $q -orient TopLeft quad.tga
convert quad.ppm PNG24:quad.png
convert quad.ppm quad.gif
# Photo CD holds a 768 x 512 base image; ImageMagick centres smaller pictures in it.
convert quad.ppm -scale 768x512! quad.pcd
# Variants: grey, transparent right half, 1-bit indexed, tall.
convert -size 40x40 gradient:black-white -depth 8 -colorspace Gray grey.png
convert quad.ppm -colorspace Gray -depth 8 -type Grayscale grey.jpg
convert -size 60x80 xc:red -size 60x80 xc:none +append PNG32:alpha.png
convert -size 60x80 xc:black -size 60x80 xc:white +append -type Bilevel -define png:bit-depth=1 -define png:color-type=3 PNG8:bw.png
convert -size 60x80 xc:black -size 60x80 xc:white +append -type Bilevel -depth 1 bw.tif
convert quad.ppm -rotate 90 $q tall.bmp
# Animated GIF, 40 x 30, loops for ever: red, lime, then a blue 10 x 10 square
# at (20, 10) over the lime (disposal none), each 10 cs.
convert -loop 0 -delay 10 -dispose none -size 40x30 xc:red -size 40x30 xc:lime \
        \( -size 10x10 xc:blue -repage 40x30+20+10 \) anim.gif
# Two frames played once (no loop extension... -loop 1 writes count 1).
convert -loop 1 -delay 5 -size 40x30 xc:red -size 40x30 xc:blue once.gif
python3 "$here/make_metafiles.py" "$out"
touch stamp
