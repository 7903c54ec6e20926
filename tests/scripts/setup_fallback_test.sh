#!/usr/bin/env bash
# The set-up's fallback when the i386 packages cannot be installed: with an apt-get that refuses any
# line naming a made-up i386 package, the rest of the line is still installed, one line names what
# is missing, and the run succeeds.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/apt-get" <<'FAKE'
#!/usr/bin/env bash
echo "$*" >>"$APT_LOG"
for arg; do
  if [ "$arg" = brindle-missing-package:i386 ]; then
    echo " brindle-missing-package:i386 : Depends: zlib1g:i386 but it is not installable" >&2
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100
  fi
done
FAKE
chmod +x "$work/apt-get"

export APT_LOG=$work/apt.log BRINDLE_APT_GET=$work/apt-get BRINDLE_CACHE=$work/cache
export BRINDLE_EXTRA_PACKAGES="brindle-missing-package:i386 brindle-other-package"
status=0
bash "$root/scripts/setup.sh" --dry-run 2>"$work/err" || status=$?

fail() { echo "FAIL: $*"; echo "--- apt-get calls"; cat "$APT_LOG"; echo "--- stderr"; cat "$work/err"; exit 1; }
[ "$status" -eq 0 ] || fail "setup.sh exited $status"
[ "$(wc -l <"$APT_LOG")" -eq 2 ] || fail "expected the full line, then the line without i386"
head -n 1 "$APT_LOG" | grep -q 'brindle-missing-package:i386' || fail "first call lacks the i386 package"
tail -n 1 "$APT_LOG" | grep -q 'brindle-other-package' || fail "the rest was not requested"
! tail -n 1 "$APT_LOG" | grep -q ':i386' || fail "the second call still names an i386 package"
grep -q '^setup: 32-bit Wine could not be installed: .*brindle-missing-package:i386 (.*not installable); 32-bit tests will be skipped$' \
  "$work/err" || fail "no line naming what is missing and why"
[ ! -e "$work/cache/i386-unavailable" ] || fail "a dry run wrote the marker"
echo "setup fallback: ok"
