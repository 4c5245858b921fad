#!/usr/bin/env bash
# Builds the browser version of the player and the demo with emscripten and
# writes the page to dist/web/: index.html, the .js/.wasm/.worker.js of each
# program and the data folder packed once for both (data.js, data.data).
# Serve it with scripts/serve-web.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZARNIC_WEB_BUILD_DIR:-build-web}
out=${ZARNIC_WEB_DIST_DIR:-dist/web}

# emcc needs Debian's node modules.
export NODE_PATH=/usr/share/nodejs
source scripts/ccache_launcher.sh
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/emscripten.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DZARNIC_TESTS=OFF -DZARNIC_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j2 --target zarnic zarnic_play

mkdir -p "$out"
rm -f "$out"/*
for program in zarnic zarnic_play; do
  cp "$build/app/$program.js" "$build/app/$program.wasm" "$build/app/$program.worker.js" "$out/"
done
cp platform/web/index.html "$out/"
python3 /usr/share/emscripten/tools/file_packager.py "$out/data.data" --preload "${ZARNIC_WEB_DATA_DIR:-data}@data" \
  --js-output="$out/data.js" >/dev/null 2>&1
echo "wrote $out"
