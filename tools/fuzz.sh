#!/usr/bin/env bash
# Runs every fuzzer of the sanitised native build for SECONDS in all, split
# by each fuzzer's share, each from its seed folders; findings go to
# build-native/fuzz/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
list="${ZO_NATIVE_BUILD:-$top/build-native}/san/fuzzers.txt"
[ -s "$list" ] || { echo "fuzz: no fuzzers built"; exit 0; }
shares=$(awk '{s += $2} END {print s}' "$list")
status=0
while read -r name share seeds; do
  each=$(( seconds * share / shares )); [ $each -ge 5 ] || each=5
  work="${ZO_NATIVE_BUILD:-$top/build-native}/fuzz/$name"; mkdir -p "$work/corpus" "$work/artifacts"
  echo "fuzz: $name for ${each}s"
  # shellcheck disable=SC2086
  if ! "${ZO_NATIVE_BUILD:-$top/build-native}/san/bin/$name" -max_total_time=$each -max_len=1048576 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" $seeds \
        > "$work/log.txt" 2>&1; then
    echo "fuzz: $name FOUND A FAULT; see $work/log.txt"; tail -40 "$work/log.txt"; status=1
  else
    grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$work/log.txt" | tail -2 | sed 's/^/  /'
  fi
done < "$list"
exit $status
