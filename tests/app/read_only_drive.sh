#!/usr/bin/env bash
# Runs a Windows test program under Wine with a read-only drive for its "cannot write" cases
# (Wine running as root ignores the read-only attribute and every access list, so only a
# read-only file system refuses it): a folder holding the empty folder "existing" is bind-mounted
# read-only on MOUNT_DIR (this needs root) and mapped to a free drive letter of the Wine prefix
# PREFIX; the environment variable BRINDLE_READ_ONLY_DRIVE names it ("R:") for the program. The
# drive is unmapped and unmounted again when the program ends. Where no drive can be made, the
# program runs without it and skips those cases.
#   read_only_drive.sh PREFIX MOUNT_DIR COMMAND...
set -u
prefix=$1
mount_dir=$2
shift 2

source_dir=$mount_dir.source
link=
mounted=
cleanup() {
  if [ -n "$link" ]; then rm -f "$link"; fi
  if [ -n "$mounted" ]; then umount "$mount_dir" 2>/dev/null || umount -l "$mount_dir"; fi
  rm -rf "$source_dir"
}
trap cleanup EXIT

mkdir -p "$mount_dir" "$source_dir/existing"
if [ "$(id -u)" = 0 ] && ! mountpoint -q "$mount_dir" &&
   mount --bind "$source_dir" "$mount_dir" 2>/dev/null; then
  mounted=1
  if mount -o remount,ro,bind "$mount_dir" 2>/dev/null; then
    for letter in r q p o n m l k; do
      candidate=$prefix/dosdevices/$letter:
      if [ ! -e "$candidate" ] && [ ! -L "$candidate" ]; then
        ln -sT "$mount_dir" "$candidate" && link=$candidate
        export BRINDLE_READ_ONLY_DRIVE="${letter^^}:"
        break
      fi
    done
  fi
fi
if [ -z "$link" ]; then
  echo "read_only_drive: no read-only drive (needs root and bind mounts); its cases are skipped" >&2
fi

"$@"
