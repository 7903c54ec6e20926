#!/usr/bin/env bash
# Installs everything the builds and tests need on a Debian 12 machine (run as
# root). Idempotent: a second run only checks and returns within seconds.
#   - system packages (mingw-w64 i686 and x86-64, Wine 32- and 64-bit, Xvfb and X tools, fonts,
#     osslsigncode, ...)
#   - minizip's sources (unzip for the setup program, zip too for the Windows
#     build of brindle-pack) from Debian's zlib source package, into the cache
#     folder $BRINDLE_CACHE (default ~/.cache/brindle); never committed.
set -euo pipefail

cache=${BRINDLE_CACHE:-$HOME/.cache/brindle}
packages=(cmake ninja-build pkg-config g++ clang libclang-rt-14-dev dpkg-dev
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686 libz-mingw-w64-dev
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  zlib1g-dev libminizip-dev googletest libgtest-dev
  wine wine32:i386 wine64 xvfb xauth xdotool xclip x11-utils xcompmgr imagemagick
  fonts-wqy-microhei optipng zopfli unzip python3 osslsigncode openssl librsvg2-bin)

missing_packages() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

install_packages() {
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  local missing
  missing=$(missing_packages)
  [ -z "$missing" ] && return 0
  echo "setup: installing system packages: $(echo $missing)" >&2
  export DEBIAN_FRONTEND=noninteractive
  # A mirror caught mid-sync fails the update of one index; the lists it kept usually still
  # name every package, and the install below says so when they do not.
  apt-get update -q || echo "setup: apt-get update failed; installing from the lists there are" >&2
  # No recommends: a recommended fallback font would make Wine pick a CJK
  # font without Latin glyphs.
  apt-get install -y -q --no-install-recommends "${packages[@]}"
}

# minizip is not packaged for mingw; its sources ship in the zlib
# source package. Private apt lists keep the machine's own sources untouched.
fetch_minizip() {
  local dest=$cache/minizip
  [ -f "$dest/unzip.c" ] && [ -f "$dest/zip.c" ] && return 0
  echo "setup: fetching minizip sources into $dest" >&2
  local work=$cache/apt-src
  rm -rf "$work" && mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/sources" "$work/src"
  local mirror
  mirror=$( { grep -rhE '^(URIs:|deb )' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null || true; } \
    | grep -oE 'https?://[^ ]+/debian/?($| )' | head -n 1 | tr -d ' ' || true)
  mirror=${mirror:-http://deb.debian.org/debian}
  echo "deb-src $mirror bookworm main" > "$work/sources/zlib.list"
  local opts=(-o APT::Sandbox::User=root -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$work/sources"
    -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache")
  apt-get "${opts[@]}" update -q >/dev/null
  (cd "$work/src" && apt-get "${opts[@]}" source --download-only zlib >/dev/null \
    && dpkg-source -x --no-check ./*.dsc zlib-src >/dev/null)
  mkdir -p "$dest"
  local f
  for f in unzip.c unzip.h zip.c zip.h ioapi.c ioapi.h iowin32.c iowin32.h crypt.h; do
    cp "$work/src/zlib-src/contrib/minizip/$f" "$dest/"
  done
  rm -rf "$work"
}

install_packages
fetch_minizip
echo "setup: ready (cache $cache)" >&2
