#!/usr/bin/env bash
# Makes a folder with one picture of every extension the tips serve, drawn
# with a known layout (red | green over blue | white), an animated GIF, a
# corrupt file and a file of no image type, and a manifest of what a tip must
# show for each: "name<TAB>still|animated|none<TAB>caption<TAB>quad|-".
#   make-samples.sh OUTDIR NATIVE_BINDIR   (the native build's bin, for imgsample)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$1
shared=${ZO_SHARED:-$top/../shared}
mkdir -p "$out"
cd "$out"
rm -f ./sample.* ./animated.gif ./broken.jpg ./truncated.bmp ./notes.txt ./manifest.txt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

quad="$work/quad.ppm"
convert -size 320x240 xc:red xc:lime +append \( -size 320x240 xc:blue xc:white +append \) -append -depth 8 "$quad"
manifest=manifest.txt
: > $manifest
add() { printf '%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$4" >> $manifest; }

convert "$quad" -type TrueColor BMP3:sample.bmp;          add sample.bmp still 640x480x24 quad
convert "$quad" -colors 4 sample.gif;                      add sample.gif still 640x480x8 quad
convert "$quad" -quality 92 sample.jpg;                    add sample.jpg still 640x480x24 quad
cp sample.jpg sample.jpeg;                                 add sample.jpeg still 640x480x24 quad
cp sample.jpg sample.jpe;                                  add sample.jpe still 640x480x24 quad
convert "$quad" -define png:color-type=2 PNG24:sample.png; add sample.png still 640x480x24 quad
convert "$quad" -type TrueColor -compress lzw sample.tif;  add sample.tif still 640x480x24 quad
cp sample.tif sample.tiff;                                 add sample.tiff still 640x480x24 quad
"$2/imgsample" tga sample.tga 640 480;                    add sample.tga still 640x480x24 quad
convert "$quad" -type TrueColor sample.pcx;                add sample.pcx still 640x480x24 quad
convert "$quad" -type TrueColor sample.sgi;                add sample.sgi still 640x480x24 quad
convert "$quad" -type TrueColor sample.psd;                add sample.psd still 640x480x24 quad
"$2/imgsample" pcd sample.pcd;                            add sample.pcd still 768x512x24 quad
cp "$shared/fixtures/fpx/rgb_640x480_jpeg90.fpx" sample.fpx; chmod u+w sample.fpx
add sample.fpx still 640x480x24 -
python3 "$top/pixload/tests/make_metafiles.py" "$work"
cp "$work/quad.emf" sample.emf;                            add sample.emf still 120x80x24 quad
cp "$work/quad.wmf" sample.wmf;                            add sample.wmf still 120x80x24 quad
convert -delay 20 -size 120x90 xc:red xc:lime xc:blue -loop 0 animated.gif; add animated.gif animated 120x90x8x3 -
head -c 400 sample.jpg > broken.jpg;                       add broken.jpg none - -
head -c $(( $(stat -c %s sample.bmp) / 2 )) sample.bmp > truncated.bmp;  add truncated.bmp none - -
echo "not a picture" > notes.txt;                          add notes.txt none - -
