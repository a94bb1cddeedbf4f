#!/usr/bin/env bash
# Installs what the build and the tests need; safe to run again and again.
#  - Debian packages: the mingw-w64 cross compilers, Wine, Xvfb, the native
#    toolchain for the FlashPix reader (clang with its sanitizer and fuzzer
#    runtimes), libjpeg-turbo, GoogleTest and the tools of the demo;
#  - libjpeg-turbo cross-built as a static library from Debian's own source
#    package, for i686 (the product) and x86_64 (the Wine test build);
#  - a private Wine prefix inside the build tree.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
deps="$top/build/deps"

PACKAGES=(wine wine64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
          binutils-mingw-w64-i686 xvfb cmake make nasm dpkg-dev
          libjpeg62-turbo-dev libstb-dev googletest clang libclang-rt-14-dev
          imagemagick fonts-dejavu-core)

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
jpeg_ok=1
for arch in i686 x86_64; do
  [ -f "$deps/libjpeg-turbo-$arch/lib/libjpeg.a" ] || jpeg_ok=0
done

if [ ${#missing[@]} -gt 0 ] || [ $jpeg_ok = 0 ]; then
  # Debian's main archive as a source-package entry, for libjpeg-turbo's sources.
  src=/etc/apt/sources.list.d/debian.sources
  if ! grep -rqs '^Types: deb-src' /etc/apt/sources.list.d/ && [ -f $src ]; then
    . /etc/os-release
    printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
      "$(awk '/^URIs:/{print $2; exit}' $src)" "$VERSION_CODENAME" \
      "$(awk '/^Signed-By:/{print $2; exit}' $src)" \
      | as_root tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
  fi
  as_root apt-get update -q || true      # an unreachable third-party list is not fatal
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
fi

# libjpeg-turbo, static, for each Windows target.
if [ $jpeg_ok = 0 ]; then
  mkdir -p "$deps/src" && cd "$deps/src"
  ls libjpeg-turbo_*.orig.tar.gz >/dev/null 2>&1 || apt-get source --download-only libjpeg-turbo 2>/dev/null
  tarball=$(ls libjpeg-turbo_*.orig.tar.gz)
  dir=$(tar tzf "$tarball" | awk -F/ 'NR==1{print $1}')
  [ -d "$dir" ] || tar xzf "$tarball"
  for arch in i686 x86_64; do
    out="$deps/libjpeg-turbo-$arch"
    [ -f "$out/lib/libjpeg.a" ] && continue
    cmake -S "$dir" -B "$deps/libjpeg-turbo-build-$arch" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$arch.cmake" \
          -DCMAKE_INSTALL_PREFIX="$out" -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF -DREQUIRE_SIMD=ON \
          -DCMAKE_BUILD_TYPE=Release -DCMAKE_CROSSCOMPILING_EMULATOR= >/dev/null
    cmake --build "$deps/libjpeg-turbo-build-$arch" -j2 --target jpeg-static >/dev/null
    mkdir -p "$out/lib" "$out/include"
    cp "$dir"/jpeglib.h "$dir"/jmorecfg.h "$dir"/jerror.h "$deps/libjpeg-turbo-build-$arch/jconfig.h" "$out/include/"
    cp "$deps/libjpeg-turbo-build-$arch/libjpeg.a" "$out/lib/"
  done
fi

# The private Wine prefix (64-bit Wine: see README, "Testing under Wine").
. "$top/tools/wine-env.sh"
zo_init_prefix
"$WINESERVER" -w || true
echo "setup: ready"
