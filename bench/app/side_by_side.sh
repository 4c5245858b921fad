#!/usr/bin/env bash
# The demo's start-up against the bare GL program, side by side: RUNS runs of
# each, alternating, on one virtual 1024x768x24 X screen, from the repository
# root (the real data). Prints process start to first presented frame for
# both (min / median / max), their ratio (of the medians, of the minima, and
# run by run), and Scene::init and the first frame split into their parts
# (medians), with the machine's load before and after.
# With "desktop" as the third argument a window manager (openbox) runs on
# the screen first, as on a desktop; without it the screen has none.
#   bench/app/side_by_side.sh BUILD_DIR [RUNS] [desktop]
set -euo pipefail
build=$(realpath "$1")
runs=${2:-8}
desktop=${3:-}
cd "$(dirname "$0")/../.."
if [ -z "${ZARNIC_INSIDE_XVFB:-}" ]; then
  ZARNIC_INSIDE_XVFB=1 exec bash tests/support/x_screen.sh 1024x768 bash "$0" "$build" "$runs" "$desktop"
fi
out=$(mktemp -d)
manager_pid=""
trap '[ -n "$manager_pid" ] && kill "$manager_pid"; rm -rf "$out"' EXIT
if [ "$desktop" = desktop ]; then
  openbox --sm-disable >/dev/null 2>&1 &
  manager_pid=$!
  until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do sleep 0.1; done
  echo "window manager: openbox"
fi
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for _ in $(seq "$runs"); do
  ZARNIC_T0_NS=$(date +%s%N) SDL_AUDIODRIVER=dummy "$build/bench/app/bench_app_bare_first_frame" >>"$out/bare"
  ZARNIC_T0_NS=$(date +%s%N) SDL_AUDIODRIVER=dummy "$build/bench/app/bench_app_first_frame" >>"$out/demo"
done
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"

# Min, median and max of the value after KEY on the lines starting with TAG.
stats() {
  awk -v tag="$2" -v key="$3" '$1 == tag { for (i = 1; i < NF; ++i) if ($i == key) print $(i + 1) }' "$1" | sort -g |
    awk '{ v[NR] = $1 } END { if (NR) printf "%.1f %.1f %.1f", v[1], (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2), v[NR] }'
}
median() { stats "$@" | cut -d' ' -f2; }

read -r bare_min bare_median bare_max <<<"$(stats "$out/bare" bare first_frame)"
read -r demo_min demo_median demo_max <<<"$(stats "$out/demo" first_frame first_frame)"
printf '%-44s %8s %8s %8s\n' "ms, $runs runs each" min median max
printf '%-44s %8s %8s %8s\n' "bare program: start to first present" "$bare_min" "$bare_median" "$bare_max"
printf '%-44s %8s %8s %8s\n' "demo: start to first present" "$demo_min" "$demo_median" "$demo_max"
read -r bare_cpu_min bare_cpu_median bare_cpu_max <<<"$(stats "$out/bare" bare cpu)"
read -r demo_cpu_min demo_cpu_median demo_cpu_max <<<"$(stats "$out/demo" first_frame cpu)"
printf '%-44s %8s %8s %8s\n' "bare program: CPU time by first present" "$bare_cpu_min" "$bare_cpu_median" "$bare_cpu_max"
printf '%-44s %8s %8s %8s\n' "demo: CPU time by first present" "$demo_cpu_min" "$demo_cpu_median" "$demo_cpu_max"
awk -v a="$demo_median" -v b="$bare_median" -v c="$demo_min" -v d="$bare_min" -v e="$demo_cpu_median" \
  -v f="$bare_cpu_median" 'BEGIN { printf "demo / bare: %.2f (medians), %.2f (minima), CPU time %.2f (medians)\n",
                                    a / b, c / d, e / f }'
# Each demo run against the bare run just before it: the machine's load
# drifts less within a pair than across the whole run.
paste <(awk '$1 == "bare" { print $3 }' "$out/bare") <(awk '$1 == "first_frame" { print $2 }' "$out/demo") |
  awk '{ print $2 / $1 }' | sort -g |
  awk '{ v[NR] = $1 } END { printf "demo / bare, run by run: min %.2f, median %.2f, max %.2f\n", v[1],
                            (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2), v[NR] }'
echo "demo, medians: before main $(median "$out/demo" first_frame before_main)," \
  "window $(median "$out/demo" first_frame window) (audio device $(median "$out/demo" first_frame audio_init))," \
  "Scene::init $(median "$out/demo" first_frame scene_init) (CPU $(median "$out/demo" first_frame scene_init_cpu))," \
  "first frame $(median "$out/demo" first_frame frame) (messages $(median "$out/demo" first_frame messages), draw $(median "$out/demo" first_frame draw), present $(median "$out/demo" first_frame present))"
echo "bare, medians: before main $(median "$out/bare" bare before_main), window $(median "$out/bare" bare window)," \
  "first frame $(median "$out/bare" bare frame)"
printf 'Scene::init parts, medians:'
for part in pictures tex_settings quadric bind_arrays music_open music_play capture_texture; do
  printf ' %s %s' "$part" "$(stats "$out/demo" scene_init_parts "$part" | awk '{ print $2 }')"
done
echo
for picture in $(awk '$1 == "picture" { print $2 }' "$out/demo" | awk '!seen[$0]++'); do
  grep "^picture $picture " "$out/demo" | sed 's/^picture [^ ]* /picture_one /' >"$out/one"
  printf '  %-12s' "$picture"
  for part in total read decode rest upload; do printf ' %s %s' "$part" "$(median "$out/one" picture_one "$part")"; done
  echo
done
