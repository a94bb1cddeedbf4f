#!/usr/bin/env bash
# The whole road on real files, inside a Wine session (tools/wine-session.sh):
# lays out the libraries side by side in an app folder, registers the shell
# extension with regsvr32, makes the samples, and lets tipdrive rest the
# pointer on every file in tipview. Exits non-zero when a file misbehaves,
# a temporary file is left behind, or a library is missing.
#   road.sh BINDIR OUTDIR VIEW [NATIVE_BINDIR]   (NATIVE_BINDIR holds imgsample)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bin=$1 out=$2 view=$3 native_bin=${4:-${ZO_NATIVE_BUILD:-$top/build-native}/san/bin}
winpath() { local p; p=$(readlink -f "$1"); echo "Z:${p//\//\\}"; }

app="$out/app"
mkdir -p "$app" "$out/shots"
for f in peektip.dll pixload.dll handlebank.dll flashread.rll tipview.exe tipdrive.exe; do
  [ -f "$bin/$f" ] || { echo "road: $bin/$f is missing (build first)"; exit 1; }
  cp "$bin/$f" "$app/"
done
bash "$top/tools/make-samples.sh" "$out/samples" "$native_bin"

temp_dir=$("$WINE" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
temp_unix=$("$WINE" winepath -u "$temp_dir" 2>/dev/null | tr -d '\r' || true)
count_tmp() { [ -n "$temp_unix" ] && find "$temp_unix" -maxdepth 1 -iname 'fpx*.tmp' 2>/dev/null | wc -l || echo 0; }
before=$(count_tmp)

"$WINE" regsvr32 /s "$(winpath "$app/peektip.dll")"
status=0
"$WINE" "$(winpath "$app/tipdrive.exe")" "$(winpath "$app/tipview.exe")" "$(winpath "$out/samples")" "$view" \
        "$(winpath "$out/samples/manifest.txt")" "$(winpath "$out/shots")" | tr -d '\r' | tee "$out/table.txt" || status=1

after=$(count_tmp)
if [ "$after" != "$before" ]; then
  echo "road: temporary files left behind: $before before, $after after"; status=1
fi
exit $status
