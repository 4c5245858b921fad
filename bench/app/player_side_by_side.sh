#!/usr/bin/env bash
# The main-phase frame rate of the player against the demo's on one virtual
# 1024x768x24 X screen: RUNS runs of each, taking turns, from the repository
# root (the real data). Both are the shipped program with the same probe
# (show_probe.cpp), which counts the frames presented while the window's
# timer reads 7 to 13 s and then closes it. Prints each pair and its ratio,
# then min / median / max of both and the median of the ratios, with the
# machine's load before and after.
#   bench/app/player_side_by_side.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(realpath "$1")
runs=${2:-5}
cd "$(dirname "$0")/../.."
if [ -z "${ZARNIC_INSIDE_XVFB:-}" ]; then
  ZARNIC_INSIDE_XVFB=1 exec xvfb-run -a -n $(( 100 + RANDOM % 800 )) \
    -s "-screen 0 1024x768x24 -noreset" bash "$0" "$build" "$runs"
fi
fps_of() { SDL_AUDIODRIVER=dummy "$build/bench/app/$1" | awk '$1 == "main_phase_fps" { print $2 }'; }
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for run in $(seq "$runs"); do
  demo=$(fps_of bench_app_show_probe)
  player=$(fps_of bench_app_play_show_probe)
  echo "run $run: demo $demo fps, player $player fps, player / demo $(awk -v p="$player" -v d="$demo" 'BEGIN { printf "%.3f", p / d }')"
done | tee /dev/stderr | awk '
  { demo[NR] = $4; player[NR] = $7; ratio[NR] = $NF }
  function sorted_stats(values, n,   i, j, t, median) {
    for (i = 1; i <= n; ++i) for (j = i + 1; j <= n; ++j) if (values[j] < values[i]) { t = values[i]; values[i] = values[j]; values[j] = t }
    median = n % 2 ? values[(n + 1) / 2] : (values[n / 2] + values[n / 2 + 1]) / 2
    return sprintf("%.2f / %.2f / %.2f", values[1], median, values[n])
  }
  END {
    print "demo, main-phase fps (min / median / max):   " sorted_stats(demo, NR)
    print "player, main-phase fps (min / median / max): " sorted_stats(player, NR)
    print "player / demo, run by run (min / median / max): " sorted_stats(ratio, NR)
  }'
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"
