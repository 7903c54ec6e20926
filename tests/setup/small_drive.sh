#!/usr/bin/env bash
# Runs a Windows test program under Wine with a small, empty drive for its
# disk-full cases: a tmpfs of SIZE mounted on MOUNT_DIR (this needs root) and
# mapped to a free drive letter of the Wine prefix PREFIX; the environment
# variable BRINDLE_SMALL_DRIVE names it ("T:") for the program. The drive is
# unmapped and unmounted again when the program ends. Where no drive can be
# made, the program runs without it and skips those cases.
#   small_drive.sh PREFIX MOUNT_DIR SIZE COMMAND...
set -u
prefix=$1
mount_dir=$2
size=$3
shift 3

link=
mounted=
cleanup() {
  if [ -n "$link" ]; then rm -f "$link"; fi
  if [ -n "$mounted" ]; then umount "$mount_dir" 2>/dev/null || umount -l "$mount_dir"; fi
}
trap cleanup EXIT

mkdir -p "$mount_dir"
if [ "$(id -u)" = 0 ] && ! mountpoint -q "$mount_dir" &&
   mount -t tmpfs -o "size=$size" tmpfs "$mount_dir" 2>/dev/null; then
  mounted=1
  for letter in t s r q p o n m; do
    candidate=$prefix/dosdevices/$letter:
    if [ ! -e "$candidate" ] && [ ! -L "$candidate" ]; then
      ln -s "$mount_dir" "$candidate" && link=$candidate
      export BRINDLE_SMALL_DRIVE="${letter^^}:"
      break
    fi
  done
fi
if [ -z "$link" ]; then
  echo "small_drive: no small drive (needs root and tmpfs); its cases are skipped" >&2
fi

"$@"
