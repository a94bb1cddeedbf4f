#!/usr/bin/env bash
# Runs every benchmark program: native ones (bench_*) from the optimised
# native build, Windows ones (bench_*.exe) from the x86_64 build under Wine.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
: "${ZO_BUILD:=$top/build}" "${ZO_NATIVE_BUILD:=$top/build-native}"
status=0
for b in "$ZO_NATIVE_BUILD"/rel/bin/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b") (native)"
  "$b" || status=1
done
wine_benches=("$ZO_BUILD"/win64/bin/bench_*.exe)
if [ -e "${wine_benches[0]}" ]; then
  bash "$top/tools/wine-session.sh" bash -c '
    for b in "$@"; do echo "== $(basename "$b") (Wine, x86_64 build)"; "$WINE" "$b" || exit 1; done' _ "${wine_benches[@]}" || status=1
fi
if [ -f "$ZO_BUILD/win64/bin/tipbench.exe" ]; then
  echo "== tip latency (Wine, x86_64 build)"
  bash "$top/tools/wine-session.sh" bash "$top/tools/bench-tip.sh" "$ZO_BUILD/win64/bin" "$ZO_BUILD/bench" || status=1
fi
exit $status
