#!/usr/bin/env bash
# One whole-program run against a broken data directory:
#   run_broken_data.sh CASE MAKE_BROKEN_DATA ZARNIC SOURCE_DATA_DIR [FIRST_SERVER_NUMBER]
# Builds the broken directory in a fresh temporary working directory, runs the
# demo there on its own virtual 1024x768 X screen with the dummy audio driver,
# and passes when the demo played its seventeen one-second ticks (exit code 1,
# the timer's identifier, after at least 16 s), drew something on the way,
# reported no sanitizer error, and left the screen in its own mode.
set -euo pipefail
case_name=$1
maker="$(realpath "$2")"
zarnic="$(realpath "$3")"
source_data="$(realpath -m "$4")"
first_server=${5:-300}
here="$(cd "$(dirname "$0")" && pwd)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"
"$maker" "$case_name" "$source_data" "$work/run"

cd "$work/run"
export SDL_AUDIODRIVER=dummy
start_ns=$(date +%s%N)
set +e
timeout --kill-after=10 "${ZARNIC_RUN_TIMEOUT:-150}" \
  xvfb-run -a -n "$first_server" -s "-screen 0 1024x768x24 -noreset" \
  bash "$here/in_x_session.sh" "$zarnic" "$work/out"
session_rc=$?
set -e
elapsed_s=$(( ($(date +%s%N) - start_ns) / 1000000000 ))

fail() {
  echo "FAIL [$case_name]: $*"
  for f in stdout stderr; do
    [ -s "$work/out/$f" ] && { echo "--- $f"; tail -n 40 "$work/out/$f"; }
  done
  [ -f "$work/out/xdpyinfo" ] && { echo "--- xdpyinfo"; grep -E 'dimensions|depth of root' "$work/out/xdpyinfo" || head -n 5 "$work/out/xdpyinfo"; }
  exit 1
}

[ -f "$work/out/rc" ] || fail "the X session did not finish (rc $session_rc)"
demo_rc=$(cat "$work/out/rc")
echo "[$case_name] exit code $demo_rc after ${elapsed_s} s"
[ "$demo_rc" = 1 ] || fail "exit code $demo_rc, expected 1 (ended by the seventeenth tick)"
[ "$elapsed_s" -ge 16 ] || fail "ended after ${elapsed_s} s, before seventeen ticks"
if grep -Eq 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' "$work/out/stderr"; then
  fail "sanitizer report"
fi
grep -Eq 'dimensions: +1024x768 pixels' "$work/out/xdpyinfo" || fail "screen not back at 1024x768"
grep -Eq 'depth of root window: +24 planes' "$work/out/xdpyinfo" || fail "screen depth changed"
# The pixels are the last 1024*768*4 bytes of the screenshot; any non-zero
# byte means the demo was still drawing mid-run.
[ -s "$work/out/shot.xwd" ] || fail "no screenshot taken mid-run"
lit=$(tail -c $((1024 * 768 * 4)) "$work/out/shot.xwd" | tr -d '\000' | wc -c)
[ "$lit" -gt 0 ] || fail "screen black mid-run: nothing drawn"
echo "PASS [$case_name]"
