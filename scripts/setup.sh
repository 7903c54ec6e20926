#!/usr/bin/env bash
# Installs everything the builds and tests need on a Debian 12 machine (run as
# root). Idempotent: a second run only checks and returns within seconds.
#   - system packages (mingw-w64 i686 and x86-64, Wine 32- and 64-bit, Xvfb and X tools, fonts,
#     osslsigncode, ...)
#   - zlib's and minizip's sources (unzip for the setup program, zip too for the Windows
#     build of brindle-pack; the Windows trees build zlib itself from them) from Debian's zlib
#     source package, into the cache folder $BRINDLE_CACHE (default ~/.cache/brindle); never
#     committed.
#
# The 32-bit packages (wine32:i386) are installed apart from the rest: a mirror caught mid-sync can
# leave the i386 index behind the amd64 one, and multi-arch packages must match, so they may not
# be installable for a while. Then everything else is installed, one line says what is missing and
# why, and the reason is kept in the cache ($cache/i386-unavailable) so that later runs skip the
# slow index update for a day. The script fails only when no Windows architecture can run.
#
# --dry-run: apt-get only simulates (-s), no index update, no marker, no source fetch; for tests
# of the fallback, with BRINDLE_EXTRA_PACKAGES naming packages to add to the line and BRINDLE_APT_GET
# another apt-get to call.
set -euo pipefail

dry_run=false
[ "${1:-}" = --dry-run ] && dry_run=true

cache=${BRINDLE_CACHE:-$HOME/.cache/brindle}
i386_marker=$cache/i386-unavailable
packages=(cmake ninja-build pkg-config g++ clang libclang-rt-14-dev dpkg-dev
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686 libz-mingw-w64-dev
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  zlib1g-dev googletest libgtest-dev
  wine wine32:i386 wine64 xvfb xauth xdotool xclip x11-utils xcompmgr imagemagick
  fonts-wqy-microhei optipng zopfli unzip python3 python3-jsonschema python3-pefile
  osslsigncode openssl librsvg2-bin)
# shellcheck disable=SC2206
packages+=(${BRINDLE_EXTRA_PACKAGES:-})

installed() { dpkg-query -W -f='${Status}\n' "$1" 2>/dev/null | grep -q '^install ok installed$'; }

# The packages of the line that are not installed; without the i386 ones while a recent run found
# them not installable.
missing_packages() {
  local p skip_i386=false
  if ! $dry_run && [ -f "$i386_marker" ] && [ -n "$(find "$i386_marker" -mmin -1440)" ]; then
    skip_i386=true
  fi
  for p in "${packages[@]}"; do
    $skip_i386 && [[ $p == *:i386 ]] && continue
    installed "$p" || echo "$p"
  done
}

apt() {
  if $dry_run; then "${BRINDLE_APT_GET:-apt-get}" -s "$@"; else apt-get "$@"; fi
}

update_index() {
  $dry_run && return 0
  apt-get update -q && return 0
  echo "setup: apt-get update failed; trying once more" >&2
  apt-get update -q && return 0
  echo "setup: apt-get update failed again; installing from the lists there are" >&2
}

install_packages() {
  dpkg --print-foreign-architectures | grep -qx i386 || $dry_run || dpkg --add-architecture i386
  local missing
  missing=$(missing_packages)
  [ -z "$missing" ] && return 0
  echo "setup: installing system packages: $(echo $missing)" >&2
  export DEBIAN_FRONTEND=noninteractive
  update_index
  local log
  log=$(mktemp)
  # No recommends: a recommended fallback font would make Wine pick a CJK
  # font without Latin glyphs.
  # shellcheck disable=SC2086
  if apt install -y -q --no-install-recommends $missing 2>"$log"; then
    rm -f "$log"
    $dry_run || rm -f "$i386_marker"
    return 0
  fi
  local rest i386
  rest=$(tr ' ' '\n' <<<"$missing" | grep -v ':i386$' || true)
  i386=$(tr ' ' '\n' <<<"$missing" | grep ':i386$' || true)
  if [ -z "$i386" ]; then
    cat "$log" >&2
    rm -f "$log"
    echo "setup: the system packages could not be installed (see apt-get's message above)" >&2
    return 1
  fi
  local reason
  reason=$( { grep -m 1 -E 'not installable|Unable to locate' "$log" || grep -m 1 '^E: ' "$log" || true; } \
    | sed -E 's/^ +//; s/ +/ /g')
  rm -f "$log"
  # shellcheck disable=SC2086
  [ -z "$rest" ] || apt install -y -q --no-install-recommends $rest
  echo "setup: 32-bit Wine could not be installed: $(echo $i386) (${reason:-apt-get refused it}); 32-bit tests will be skipped" >&2
  if ! $dry_run; then
    mkdir -p "$cache"
    echo "$reason" >"$i386_marker"
  fi
}

# minizip is not packaged for mingw, and mingw's packaged zlib is built for speed throughout (its
# CRC tables alone cost the setup program 5 to 9 KB): both come from the zlib source package.
# Private apt lists keep the machine's own sources untouched.
fetch_zlib_sources() {
  local dest=$cache/minizip zlib_dest=$cache/zlib
  [ -f "$dest/unzip.c" ] && [ -f "$dest/zip.c" ] && [ -f "$zlib_dest/gzguts.h" ] && return 0
  echo "setup: fetching zlib and minizip sources into $cache" >&2
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
  for f in unzip.c unzip.h zip.c zip.h ioapi.c ioapi.h iowin32.c iowin32.h crypt.h mztools.c mztools.h; do
    cp "$work/src/zlib-src/contrib/minizip/$f" "$dest/"
  done
  mkdir -p "$zlib_dest"
  for f in adler32.c compress.c crc32.c crc32.h deflate.c deflate.h inffast.c inffast.h inffixed.h \
    gzguts.h inflate.c inflate.h inftrees.c inftrees.h trees.c trees.h uncompr.c zconf.h zlib.h \
    zutil.c zutil.h; do
    cp "$work/src/zlib-src/$f" "$zlib_dest/"
  done
  rm -rf "$work"
}

# Fails, naming both probes, when Wine can run neither Windows architecture here.
check_wine_runs() {
  /usr/lib/wine/wine64 --version >/dev/null 2>&1 && return 0
  /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
  echo "setup: Wine runs neither Windows architecture on this machine" \
    "(/usr/lib/wine/wine64 and /usr/lib/wine/wine both fail); no Windows test can run" >&2
  return 1
}

install_packages
$dry_run && exit 0
fetch_zlib_sources
check_wine_runs
echo "setup: ready (cache $cache)" >&2
