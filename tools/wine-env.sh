# Sourced by the scripts that run Windows programs: the private Wine prefix
# and the 64-bit Wine loader and server (this machine runs no 32-bit ELF code,
# so the tests run the x86_64 build of the same sources).
_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${ZO_BUILD:-$_top/build}/wineprefix"
export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
export WINE=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
export WINELOADER=$WINE
unset _top
