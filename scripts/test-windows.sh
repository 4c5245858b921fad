#!/usr/bin/env bash
# The Windows stage: builds zarnic.exe and its tests with the mingw-w64
# compilers (build-win/) and runs them with ctest under wine, on virtual X
# screens. The Linux tools the Windows tests drive (the broken-data maker,
# the window manager's close request) are built first in build-win/host/.
# Prints ctest's output and exits non-zero when a test fails. Run from the
# repository root.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

source scripts/ccache_launcher.sh

host=build-win/host
cmake -S . -B "$host" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARNIC_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$host" --target make_broken_data shell_send_close -j2

# The shell's tests share this prefix; each test names its prefix itself.
prefix="$PWD/build-win/wine"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
  -DZARNIC_WINEPREFIX="$prefix" \
  -DZARNIC_HOST_SEND_CLOSE="$PWD/$host/tests/shell_whole/shell_send_close" \
  -DZARNIC_HOST_MAKE_BROKEN_DATA="$PWD/$host/tests/reliability/make_broken_data"
cmake --build build-win -j2

if [ ! -d "$prefix" ]; then
  echo "Creating the wine prefix $prefix (once, about 10 s)"
  WINEPREFIX="$prefix" WINEDEBUG=-all wineboot -i >/dev/null 2>&1
  WINEPREFIX="$prefix" wineserver -w
fi

# Tests in one prefix take it one at a time (a resource lock), so two run at
# once only from different prefixes. The GoogleTest programs make real
# windows, so they run on a virtual screen too, while the whole-program runs
# start screens of their own.
bash tests/support/x_screen.sh 1024x768 \
  ctest --test-dir build-win --output-on-failure -j2
