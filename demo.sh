#!/usr/bin/env bash
# Installs what is missing, builds the player and runs it from the repository
# root with the default data: the show at its designed pace, with its music.
# --original runs the demo instead, paced as it always was. Without a display
# it runs the program on a virtual X screen (which shows nobody anything),
# then records the show at its designed pace to show.mp4 in the repository
# root with the capture tool.
#   ./demo.sh [--original]
set -euo pipefail
cd "$(dirname "$0")"
program=zarnic_play
case "${1:-}" in
  "") ;;
  --original) program=zarnic ;;
  *)
    echo "usage: ./demo.sh [--original]" >&2
    exit 2
    ;;
esac
scripts/install-deps.sh
cmake -S . -B build-demo -DCMAKE_BUILD_TYPE=Release -DZARNIC_TESTS=OFF -DZARNIC_BENCH=OFF >/dev/null
if [ "$program" = zarnic_play ]; then
  echo "Playing the show at its designed pace (build-demo/app/zarnic_play); for the demo as originally paced:" \
       "./demo.sh --original (build-demo/app/zarnic)."
else
  echo "Running the demo as originally paced (build-demo/app/zarnic); ./demo.sh alone plays the show at its designed pace."
fi
if [ -n "${DISPLAY:-}" ]; then
  cmake --build build-demo --target "$program" -j"$(nproc)"
  exec "./build-demo/app/$program"
fi
cmake --build build-demo --target "$program" zarnic_capture -j"$(nproc)"
echo "No display found (DISPLAY is not set): running $program on a virtual 1024x768 X screen" \
     "(Xvfb) instead. Nothing will be visible; the music plays on the default sound output."
# The program's own status is that of its last window message (1 when it
# ends by itself), so it is reported rather than taken as a failure.
status=0
xvfb-run -a -s "-screen 0 1024x768x24" "./build-demo/app/$program" || status=$?
echo "$program ran and ended with status $status."
echo "Recording the show at its designed pace, with its music, to show.mp4 (a few minutes on a machine without a GPU)..."
./build-demo/tools/capture/zarnic_capture show.mp4
echo "Watch it with any video player: $(pwd)/show.mp4"
