#!/usr/bin/env bash
# Process start to first presented frame, RUNS times, on a virtual
# 1024x768x24 X screen, from the repository root (the real data).
#   bench/app/first_frame.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(realpath "$1")
runs=${2:-10}
cd "$(dirname "$0")/../.."
if [ -z "${ZARNIC_INSIDE_XVFB:-}" ]; then
  ZARNIC_INSIDE_XVFB=1 exec bash tests/support/x_screen.sh 1024x768 bash "$0" "$build" "$runs"
fi
for _ in $(seq "$runs"); do
  ZARNIC_T0_NS=$(date +%s%N) SDL_AUDIODRIVER=dummy "$build/bench/app/bench_app_first_frame"
done | grep '^first_frame ' | sort -n -k2 | awk '{ print } { v[NR] = $2 }
  END { printf "first frame ms: min %.1f median %.1f max %.1f over %d runs\n", v[1], v[int((NR + 1) / 2)], v[NR], NR }'
