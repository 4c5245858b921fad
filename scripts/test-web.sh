#!/usr/bin/env bash
# Builds the browser version (scripts/build-web.sh) and runs its checks in
# headless Chromium (tests/web): the page as served by scripts/serve-web.sh,
# and a copy of it whose data package is broken.
set -euo pipefail
cd "$(dirname "$0")/.."
export NODE_PATH=/usr/share/nodejs
source scripts/web_pages.sh

scripts/build-web.sh

# The node packages the checks drive Chromium with, as the lock file pins
# them; Debian's chromium is used, so puppeteer downloads no browser.
if [ ! -d tests/web/node_modules ] || [ tests/web/package-lock.json -nt tests/web/node_modules ]; then
  (cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --prefer-offline --no-audit --no-fund --loglevel=error)
fi

# The broken data: every kind of damage at once, made by the native tool the
# other builds' broken-data runs use.
host=build-web/host
source scripts/ccache_launcher.sh
cmake -S . -B "$host" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARNIC_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$host" --target make_broken_data web_gl_gaps_native web_music_native -j2 >/dev/null
broken=build-web/broken
rm -rf "$broken" && mkdir -p "$broken/work"
"$host/tests/reliability/make_broken_data" all-at-once data "$broken/work"
copy_page "$broken/dist"
pack_data "$broken/work/data" "$broken/dist"

# The test programs: the GL-gaps scene drawn by native Mesa and the music
# played natively, then both built for the page; and the shared contract
# tests of the platform layer and the audio output on the browser's backends.
probes=build-web/probes
rm -rf "$probes" && mkdir -p "$probes"
"$host/tests/web/web_gl_gaps_native" "$probes/gl_gaps_native.ppm"
"$host/tests/web/web_music_native" "$probes/music_native.txt"
page_programs=(web_gl_gaps_probe web_music_probe web_platform_contract web_audio_output_contract
  web_audio_output_contract_no_web_audio)
cmake --build build-web --target "${page_programs[@]}" -j2 >/dev/null
for program in "${page_programs[@]}"; do
  cp build-web/tests/web/"$program".* "$probes/"
done
cp tests/web/probe.html "$probes/index.html"

serve dist/web
page=$address
serve "$broken/dist"
broken_page=$address
serve "$probes"
probes_page=$address

node tests/web/web_test.js "$page" "$broken_page" "$probes_page" "$probes"
