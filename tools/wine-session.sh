#!/usr/bin/env bash
# Runs a command with a Wine session around it: an Xvfb display of its own
# (unless DISPLAY is set and ZO_USE_DISPLAY=1), the private prefix, and one
# persistent wineserver. Everything it started is stopped by PID on exit,
# whether the command passed or failed.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
: "${ZO_BUILD:=$top/build}"
. "$top/tools/wine-env.sh"

pids=()
cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true   # this session's own prefix only
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
}
trap cleanup EXIT INT TERM

if [ "${ZO_USE_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    if [ -e /tmp/.X11-unix/X$n ] && kill -0 "${pids[-1]}" 2>/dev/null; then export DISPLAY=:$n; break; fi
  done
  [ -n "${DISPLAY:-}" ] || { echo "wine-session: no Xvfb display could be started" >&2; exit 1; }
fi

zo_init_prefix
"$WINESERVER" -p >/dev/null 2>&1 &
pids+=($!)
"$WINE" cmd /c exit >/dev/null 2>&1 || true

"$@"
