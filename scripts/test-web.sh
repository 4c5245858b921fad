#!/usr/bin/env bash
# Builds the browser version (scripts/build-web.sh) and runs its checks in
# headless Chromium (tests/web): the page as served by scripts/serve-web.sh,
# and a copy of it whose data package is broken.
set -euo pipefail
cd "$(dirname "$0")/.."
export NODE_PATH=/usr/share/nodejs

scripts/build-web.sh

# The node packages the checks drive Chromium with, as the lock file pins
# them; Debian's chromium is used, so puppeteer downloads no browser.
if [ ! -d tests/web/node_modules ] || [ tests/web/package-lock.json -nt tests/web/node_modules ]; then
  (cd tests/web && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --prefer-offline --no-audit --no-fund --loglevel=error)
fi

# The broken data: every kind of damage at once, made by the native tool the
# other builds' broken-data runs use.
host=build-web/host
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_NOHASHDIR=true CCACHE_BASEDIR=$PWD
fi
cmake -S . -B "$host" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARNIC_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$host" --target make_broken_data web_gl_gaps_native web_music_native -j2 >/dev/null
broken=build-web/broken
rm -rf "$broken" && mkdir -p "$broken/work"
"$host/tests/reliability/make_broken_data" all-at-once data "$broken/work"
mkdir -p "$broken/dist"
cp dist/web/index.html dist/web/*.js dist/web/*.wasm "$broken/dist/"
rm -f "$broken/dist/data.js"
python3 /usr/share/emscripten/tools/file_packager.py "$broken/dist/data.data" --preload "$broken/work/data@data" \
  --js-output="$broken/dist/data.js" 2>/dev/null

# The test programs: the GL-gaps scene drawn by native Mesa and the music
# played natively, then both built for the page.
probes=build-web/probes
rm -rf "$probes" && mkdir -p "$probes"
"$host/tests/web/web_gl_gaps_native" "$probes/gl_gaps_native.ppm"
"$host/tests/web/web_music_native" "$probes/music_native.txt"
cmake --build build-web --target web_gl_gaps_probe web_music_probe -j2 >/dev/null
cp build-web/tests/web/web_gl_gaps_probe.* build-web/tests/web/web_music_probe.* "$probes/"
cp tests/web/probe.html "$probes/index.html"

servers=()
stop_servers() { for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; done; }
trap stop_servers EXIT
# Starts serve-web.sh on a free port in the background; sets `address`.
serve() {
  local log
  log=$(mktemp)
  scripts/serve-web.sh "$1" 0 >"$log" 2>&1 &
  servers+=($!)
  for _ in $(seq 100); do
    address=$(sed -n 's/.* at \(http:[^ ]*\)$/\1/p' "$log")
    [ -n "$address" ] && break
    sleep 0.1
  done
  rm -f "$log"
  [ -n "$address" ] || { echo "test-web.sh: the server for $1 did not start" >&2; exit 1; }
}
serve dist/web
page=$address
serve "$broken/dist"
broken_page=$address
serve "$probes"
probes_page=$address

node tests/web/web_test.js "$page" "$broken_page" "$probes_page" "$probes"
