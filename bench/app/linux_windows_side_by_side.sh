#!/usr/bin/env bash
# The demo's first presented frame and main-phase frame rate (and, for the
# Windows build, the swap interval its shell set), the Linux build and the
# Windows build (under wine) taking turns on one virtual 1024x768x24
# X screen, RUNS times each, from the repository root (the real data).
#   bench/app/linux_windows_side_by_side.sh LINUX_BUILD_DIR WINDOWS_BUILD_DIR [RUNS]
set -euo pipefail
linux_probe=$(realpath "$1")/bench/app/bench_app_show_probe
windows_probe=$(realpath "$2")/bench/app/bench_app_show_probe.exe
runs=${3:-3}
cd "$(dirname "$0")/../.."
if [ -z "${ZARNIC_INSIDE_XVFB:-}" ]; then
  ZARNIC_INSIDE_XVFB=1 exec bash tests/support/x_screen.sh 1024x768 bash "$0" "$@"
fi
export WINEPREFIX="${WINEPREFIX:-$PWD/build-win/wine}" WINEDEBUG=-all
# A wineserver kept running across the runs, with its desktop process on this
# screen: each Windows run then pays for starting its own process, as a
# second start on a Windows machine would, not for booting wine.
wineserver -k 2>/dev/null || true
wineserver -p
wine cmd /c exit >/dev/null 2>&1 || true
trap 'wineserver -k 2>/dev/null || true' EXIT

for _ in $(seq "$runs"); do
  ZARNIC_T0_NS=$(date +%s%N) SDL_AUDIODRIVER=dummy "$linux_probe" | sed 's/^/linux /'
  ZARNIC_T0_NS=$(date +%s%N) wine "$windows_probe" | sed 's/^/windows /'
done | tee /dev/stderr | awk '
  $2 == "first_frame_ms" { first[$1] = first[$1] " " $3 }
  $2 == "main_phase_fps" { fps[$1] = fps[$1] " " $3 }
  $2 == "swap_interval" { swap[$1] = swap[$1] " " $3 }
  END {
    for (build in first) {
      line = build " first frame ms:" first[build] " | main-phase fps:" fps[build]
      if (build in swap) line = line " | swap interval:" swap[build]
      print line
    }
  }'
