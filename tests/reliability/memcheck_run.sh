#!/usr/bin/env bash
# The whole demo under Valgrind's memcheck, with the default data, on its own
# virtual 1024x768 X screen and the dummy audio driver:
#   memcheck_run.sh ZARNIC REPOSITORY_ROOT SUPPRESSIONS
# Passes when no process of the run reports a memory error or a definite
# leak (outside the explained suppressions) and the demo still ends by its
# seventeenth tick with exit code 1. Children the demo forks are not checked:
# the only one is SDL's D-Bus autolaunch, which runs SDL's code up to its
# exec (or exits when dbus-launch is missing) and would count the memory of
# the demo's other threads, such as the picture decoding worker, as lost.
set -euo pipefail
zarnic="$(realpath "$1")"
root="$(realpath "$2")"
suppressions="$(realpath "$3")"

logs="$(mktemp -d)"
trap 'rm -rf "$logs"' EXIT
cd "$root"
export SDL_AUDIODRIVER=dummy
set +e
timeout --kill-after=10 "${ZARNIC_MEMCHECK_TIMEOUT:-1200}" \
  bash "$root/tests/support/x_screen.sh" 1024x768 \
  valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
           --show-leak-kinds=definite --errors-for-leak-kinds=definite \
           --child-silent-after-fork=yes \
           --suppressions="$suppressions" --num-callers=40 \
           --log-file="$logs/memcheck.%p.log" "$zarnic"
rc=$?
set -e

status=0
for log in "$logs"/memcheck.*.log; do
  summary=$(grep -E 'ERROR SUMMARY' "$log" || echo "no summary")
  echo "$(basename "$log"): $summary"
  case "$summary" in
    *"ERROR SUMMARY: 0 errors"*) ;;
    *) status=1; cat "$log" ;;
  esac
done
echo "demo exit code under memcheck: $rc"
[ "$rc" = 1 ] || status=1
exit $status
