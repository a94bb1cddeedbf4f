#!/usr/bin/env bash
# make_seeds.sh IMGSAMPLE OUTDIR: small seed files per format for the fuzzers:
# imgsample's quadrants plus ImageMagick variants when convert is installed.
set -u
imgsample=$1 out=$2
for f in tga pcx sgi psd pcd; do mkdir -p "$out/$f"; "$imgsample" $f "$out/$f/quadrants.$f" 12 10; done
if command -v convert >/dev/null 2>&1; then
  src="$out/src.ppm"
  convert -size 13x7 xc:red -fill blue -draw 'rectangle 2,1 8,5' -depth 8 "$src" 2>/dev/null
  n=0
  while IFS='|' read -r fmt args; do
    n=$((n + 1))
    # shellcheck disable=SC2086
    convert "$src" $args "$fmt:$out/$fmt/im$n.$fmt" 2>/dev/null || true
  done <<'LIST'
tga|-compress None
tga|-compress RLE
tga|-type Palette -compress RLE
tga|-type Grayscale -compress RLE
tga|-alpha set -compress RLE
pcx|-compress RLE
pcx|-type Palette
pcx|-alpha set
sgi|-compress RLE
sgi|-compress None
sgi|-depth 16
sgi|-type Grayscale
sgi|-alpha set
psd|-compress RLE
psd|-compress None
psd|-depth 16
psd|-type Palette
psd|-colorspace CMYK
psd|-type Grayscale -alpha set
LIST
  rm -f "$src"
fi
touch "$out/stamp"
