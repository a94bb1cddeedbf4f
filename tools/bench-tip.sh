#!/usr/bin/env bash
# Tip latency as the shell sees it (GetInfoTip called -> popup placed) for a
# 12-megapixel JPEG and the 4000 x 3000 FlashPix fixture, inside a Wine
# session, with the extension registered from an app folder.
#   bench-tip.sh BINDIR WORKDIR
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bin=$1 work=$2
shared=${ZO_SHARED:-$top/../shared}
winpath() { local p; p=$(readlink -f "$1"); echo "Z:${p//\//\\}"; }
mkdir -p "$work/app"
for f in peektip.dll pixload.dll handlebank.dll flashread.rll tipbench.exe; do
  [ -f "$bin/$f" ] || { echo "bench-tip: $bin/$f is missing"; exit 1; }
  cp "$bin/$f" "$work/app/"
done
[ -f "$work/photo-12mp.jpg" ] || convert -size 4000x3000 -seed 7 plasma:fractal -quality 90 "$work/photo-12mp.jpg"
cp "$shared/fixtures/fpx/rgb_4000x3000_jpeg90_tex.fpx" "$work/texture-4000x3000.fpx"
chmod u+w "$work/texture-4000x3000.fpx"
"$WINE" regsvr32 /s "$(winpath "$work/app/peektip.dll")"
"$WINE" "$(winpath "$work/app/tipbench.exe")" 10 "$(winpath "$work/photo-12mp.jpg")" \
        "$(winpath "$work/texture-4000x3000.fpx")" | tr -d '\r'
