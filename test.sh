#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
jobs="$(nproc)"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# Sanitizer stage: the whole test suite again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer. Only leaks inside the GL and X driver libraries
# are suppressed (tests/reliability/lsan.supp gives the reason for each).
# Mesa's EGL and software-rendering drivers are preloaded so that they stay
# mapped when SDL unloads them at shutdown: the records they keep in their own
# globals then stay reachable instead of turning into leaks that no longer
# have a library name to be matched by.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARNIC_SANITIZE=ON -DZARNIC_BENCH=OFF
cmake --build build-asan -j"$jobs"
mesa_drivers="libEGL_mesa.so.0 $(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n 1)"
LD_PRELOAD="$mesa_drivers" \
ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0 \
LSAN_OPTIONS="suppressions=$PWD/tests/reliability/lsan.supp:print_suppressions=0" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs"

# Fuzz stage: every libFuzzer target for a fixed number of executions (about
# a minute in all), from seeds the project's own writers make.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZARNIC_FUZZ=ON -DZARNIC_TESTS=OFF -DZARNIC_BENCH=OFF
cmake --build build-fuzz --target zarnic_fuzzers -j"$jobs"
fuzz/run_fuzzers.sh build-fuzz
