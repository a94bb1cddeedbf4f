#!/usr/bin/env bash
# make demo: the whole road on sample files of every extension, in a real
# window. Under Xvfb, or on your own display when DISPLAY is set. Leaves a
# screenshot of each tip in build/demo/ and a contact sheet build/demo/tips.png.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
: "${ZO_BUILD:=$top/build}" "${ZO_NATIVE_BUILD:=$top/build-native}"
demo="$ZO_BUILD/demo"
rm -rf "$demo/shots"
mkdir -p "$demo"
[ -n "${DISPLAY:-}" ] && export ZO_USE_DISPLAY=1
bash "$top/tools/wine-session.sh" bash "$top/tools/road.sh" "$ZO_BUILD/win64/bin" "$demo" icon "$ZO_NATIVE_BUILD/san/bin"
status=$?
shots=()
for bmp in "$demo"/shots/*.bmp; do
  [ -e "$bmp" ] || continue
  name=$(basename "$bmp" .bmp)
  convert "$bmp" "$demo/$name.png" || continue
  # Tiles of one size (the largest popup) so the contact sheet's rows line up.
  convert "$demo/$name.png" -background '#dddddd' -gravity north -extent 300x316 "$demo/tile-$name.png"
  shots+=(-label "$name" "$demo/tile-$name.png")
done
if [ ${#shots[@]} -gt 0 ]; then
  montage -font DejaVu-Sans -pointsize 13 "${shots[@]}" -geometry '+8+8' -tile 6x -background '#dddddd' \
          "$demo/tips.png"
  rm -f "$demo"/tile-*.png
  echo "demo: $(( ${#shots[@]} / 3 )) tips; contact sheet $demo/tips.png"
fi
exit $status
