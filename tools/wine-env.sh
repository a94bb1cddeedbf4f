# Sourced by the scripts that run Windows programs: the private Wine prefix
# and the 64-bit Wine loader and server (this machine runs no 32-bit ELF code,
# so the tests run the x86_64 build of the same sources).
_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${ZO_BUILD:-$_top/build}/wineprefix"
export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
export WINE=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
export WINELOADER=$WINE
unset _top

# Creates the prefix when it is missing. A crashing test program must end
# and be reported, not wait for someone to close Wine's crash dialog.
zo_init_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    DISPLAY= "$WINE" wineboot -i >/dev/null 2>&1 || true
  fi
  if ! grep -qs '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg"; then
    DISPLAY= "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
  fi
}
