#!/usr/bin/env bash
# The browser build's player beside the native player, from the repository
# root, taking turns, RUNS runs each (default 5):
#   bench/web/side_by_side.sh [RUNS]
# Native: the player with bench/app's show probe on a virtual X screen
# (llvmpipe), at the priority Chromium gives its GPU process. Browser: bench/web/web_probe.js on the page in headless
# Chromium (SwiftShader), with the default data and with a ten-minute track.
# Also prints the gzip-compressed size of every file of dist/web.
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${1:-5}
export NODE_PATH=/usr/share/nodejs
source scripts/web_pages.sh
scripts/build-web.sh >/dev/null

# The native player with the probe, built once.
native=build-web/native
source scripts/ccache_launcher.sh
cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARNIC_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build "$native" --target bench_app_play_show_probe -j2 >/dev/null

# The page again with a ten-minute track: the default music looped twenty
# times, encoded as the default is (44.1 kHz stereo, 160 kb/s).
long=build-web/long
if [ ! -f "$long/dist/data.data" ]; then
  rm -rf "$long" && mkdir -p "$long/work" "$long/dist"
  cp -r data "$long/work/data"
  ffmpeg -v error -stream_loop 19 -i data/orvu.mp3 -c:a libmp3lame -b:a 160k -y "$long/work/data/orvu.mp3"
  pack_data "$long/work/data" "$long/dist"
fi
copy_page "$long/dist"

serve dist/web
page=$address
serve "$long/dist"
long_page=$address

# Chromium raises its GPU process, where SwiftShader draws the page, to
# nice -8 where it may (as root): the native player runs at the same
# priority, so that other work on the machine slows both alike.
gpu_nice=-8
nice_native=(nice -n "$gpu_nice")
native_nice=$("${nice_native[@]}" nice 2>/dev/null)
[ "$native_nice" = "$gpu_nice" ] || nice_native=()

value() { awk -v k="$1" '$1 == k { print $2 }'; }
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg); the native player at nice $(${nice_native[@]+"${nice_native[@]}"} nice)"
for run in $(seq "$runs"); do
  native_fps=$(SDL_AUDIODRIVER=dummy "${nice_native[@]}" xvfb-run -a -s "-screen 0 1024x768x24" \
    "$native/bench/app/bench_app_play_show_probe" | value main_phase_fps)
  web=$(node bench/web/web_probe.js "$page")
  web_long=$(node bench/web/web_probe.js "$long_page")
  web_fps=$(value main_phase_fps <<<"$web")
  echo "run $run: native $native_fps fps, web $web_fps fps, web / native" \
    "$(awk -v w="$web_fps" -v n="$native_fps" 'BEGIN { printf "%.2f", w / n }');" \
    "click to first frame $(value click_to_first_frame_ms <<<"$web") ms;" \
    "default track: wasm $(value wasm_memory_mb <<<"$web") MB, JS heap $(value js_heap_mb <<<"$web") MB," \
    "renderer $(value renderer_rss_mb <<<"$web") MB;" \
    "ten-minute track: wasm $(value wasm_memory_mb <<<"$web_long") MB, JS heap $(value js_heap_mb <<<"$web_long") MB," \
    "renderer $(value renderer_rss_mb <<<"$web_long") MB, $(value main_phase_fps <<<"$web_long") fps"
done
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"
total=0
for file in dist/web/*; do
  size=$(gzip -9 -c "$file" | wc -c)
  total=$((total + size))
  echo "gzip $(basename "$file"): $size bytes"
done
echo "gzip dist/web in all: $total bytes"
