#!/usr/bin/env bash
# Installs what is missing, builds the demo and runs it from the repository
# root with the default data. Without a display it runs on a virtual X screen.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build-demo -DCMAKE_BUILD_TYPE=Release -DZARNIC_TESTS=OFF -DZARNIC_BENCH=OFF >/dev/null
cmake --build build-demo --target zarnic -j"$(nproc)"
if [ -z "${DISPLAY:-}" ]; then
  echo "No display found (DISPLAY is not set): running the demo on a virtual 1024x768 X screen" \
       "(Xvfb) instead. Nothing will be visible; the music plays on the default sound output."
  exec xvfb-run -a -s "-screen 0 1024x768x24" ./build-demo/app/zarnic
fi
exec ./build-demo/app/zarnic
