#!/usr/bin/env bash
# Installs and caches everything the builds and tests need. Idempotent; fast when
# everything is already in place. Prints the cache folder's environment at the end.
set -euo pipefail

CACHE="${QUILLET_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quillet}"
OGG_VER=1.3.5-3
VORBIS_VER=1.3.7-1
MINIAUDIO_VER=0.11.22
mkdir -p "$CACHE"
log() { printf '[deps] %s\n' "$*" >&2; }

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive

# --- Debian packages -------------------------------------------------------
need_pkgs=()
for p in g++-mingw-w64-i686 libvorbis-dev libogg-dev dpkg-dev xvfb xauth \
         cmake g++ clang libgtest-dev libbenchmark-dev pkg-config xdotool clang-format nsis; do
  dpkg -s "$p" >/dev/null 2>&1 || need_pkgs+=("$p")
done
wine_pkgs=(wine wine64 wine32:i386 fonts-wine)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
for p in "${wine_pkgs[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || need_pkgs+=("$p")
done
if [ ${#need_pkgs[@]} -gt 0 ]; then
  log "installing ${need_pkgs[*]}"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${need_pkgs[@]}" >/dev/null
fi

# --- private apt configuration for foreign suites ---------------------------
private_apt() { # name, sources lines...
  local dir="$CACHE/apt-$1"; shift
  mkdir -p "$dir/lists/partial" "$dir/archives/partial" "$dir/etc"
  printf '%s\n' "$@" >"$dir/etc/sources.list"
  cat >"$dir/apt.conf" <<CONF
Dir::Etc::SourceList "$dir/etc/sources.list";
Dir::Etc::SourceParts "/dev/null";
Dir::State::Lists "$dir/lists";
Dir::Cache::Archives "$dir/archives";
Dir::State::status "/var/lib/dpkg/status";
APT::Sandbox::User "root";
Acquire::Languages "none";
CONF
  echo "$dir/apt.conf"
}

# --- miniaudio (header only, from Debian trixie) ----------------------------
MA_DIR="$CACHE/miniaudio-$MINIAUDIO_VER"
if [ ! -f "$MA_DIR/include/miniaudio.h" ]; then
  log "fetching libminiaudio-dev $MINIAUDIO_VER"
  conf=$(private_apt trixie "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian trixie main")
  APT_CONFIG="$conf" apt-get update -qq
  tmp=$(mktemp -d)
  (cd "$tmp" && APT_CONFIG="$conf" apt-get download -qq "libminiaudio-dev" >/dev/null)
  dpkg -x "$tmp"/libminiaudio-dev_*.deb "$tmp/x"
  hdr=$(find "$tmp/x" -name miniaudio.h | head -n1)
  mkdir -p "$MA_DIR/include"
  cp "$hdr" "$MA_DIR/include/miniaudio.h"
  rm -rf "$tmp"
fi

# --- libogg and libvorbis cross-built for mingw-w64 i686 ---------------------
XPREFIX="$CACHE/mingw32-ogg$OGG_VER-vorbis$VORBIS_VER"
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ ! -f "$XPREFIX/lib/libvorbisfile.a" ]; then
  log "cross-building libogg $OGG_VER and libvorbis $VORBIS_VER"
  conf=$(private_apt bookworm-src "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main")
  APT_CONFIG="$conf" apt-get update -qq
  src="$CACHE/src"; rm -rf "$src"; mkdir -p "$src"
  (cd "$src" && APT_CONFIG="$conf" apt-get source -qq --download-only "libogg=$OGG_VER" "libvorbis=$VORBIS_VER" >/dev/null)
  (cd "$src" && for d in *.dsc; do dpkg-source -q --no-check -x "$d" >/dev/null; done)
  tc="$HERE/cmake/mingw-i686.cmake"
  for lib in libogg libvorbis; do
    dir=$(find "$src" -maxdepth 1 -type d -name "$lib-*" | head -n1)
    PKG_CONFIG_LIBDIR="$XPREFIX/lib/pkgconfig" cmake -S "$dir" -B "$dir/build" -G "Unix Makefiles" \
      -DCMAKE_TOOLCHAIN_FILE="$tc" -DQUILLET_XPREFIX="$XPREFIX" \
      -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DINSTALL_DOCS=OFF \
      -DCMAKE_INSTALL_PREFIX="$XPREFIX" -DCMAKE_PREFIX_PATH="$XPREFIX" >/dev/null
    cmake --build "$dir/build" -j"$(nproc)" >/dev/null
    cmake --install "$dir/build" >/dev/null
    mkdir -p "$XPREFIX/licenses"
    cp "$dir/COPYING" "$XPREFIX/licenses/$lib-COPYING"
  done
  rm -rf "$src"
fi

# Their licences go into the release package. A cache built before they were
# kept gets them from the source archives alone, without building again.
if [ ! -f "$XPREFIX/licenses/libogg-COPYING" ] || [ ! -f "$XPREFIX/licenses/libvorbis-COPYING" ]; then
  log "fetching the licences of libogg $OGG_VER and libvorbis $VORBIS_VER"
  conf=$(private_apt bookworm-src "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main")
  APT_CONFIG="$conf" apt-get update -qq
  tmp=$(mktemp -d)
  (cd "$tmp" && APT_CONFIG="$conf" apt-get source -qq --download-only "libogg=$OGG_VER" "libvorbis=$VORBIS_VER" >/dev/null)
  mkdir -p "$XPREFIX/licenses"
  for lib in libogg libvorbis; do
    tar -xOf "$tmp/${lib}_"*.orig.tar.* --wildcards '*/COPYING' >"$XPREFIX/licenses/$lib-COPYING"
  done
  rm -rf "$tmp"
fi

# --- GoogleTest and Google Benchmark cross-built for the Wine test run -------
GT_PREFIX="$CACHE/mingw32-gtest-$(dpkg-query -W -f='${Version}' googletest)"
if [ ! -f "$GT_PREFIX/lib/libgtest.a" ]; then
  log "cross-building GoogleTest"
  b=$(mktemp -d)
  cmake -S /usr/src/googletest -B "$b" -DCMAKE_TOOLCHAIN_FILE="$HERE/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$GT_PREFIX" -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$b" -j"$(nproc)" >/dev/null
  cmake --install "$b" >/dev/null
  rm -rf "$b"
fi

cat >"$CACHE/env.sh" <<ENV
export QUILLET_CACHE="$CACHE"
export QUILLET_MINIAUDIO_DIR="$MA_DIR/include"
export QUILLET_XPREFIX="$XPREFIX"
export QUILLET_GTEST_PREFIX="$GT_PREFIX"
ENV
log "ready: $CACHE"
