#!/usr/bin/env bash
# Installs what is missing, then builds and runs the test stages asked for
# (all of them by default, in the order below). A failing stage does not stop
# the ones after it; the summary at the end has one line per stage and the
# totals, and the exit status is non-zero when any stage failed.
set -uo pipefail
cd "$(dirname "$0")"

all_stages=(main asan fuzz options windows web)

usage() {
  cat <<EOF
usage: ./test.sh [stage ...]
stages, run in the order given (all of them, in this order, when none is given):
  main     build in build/ and run every test
  asan     build in build-asan/ with AddressSanitizer and UndefinedBehaviorSanitizer and run every test
  fuzz     build the libFuzzer targets with clang in build-fuzz/ and run each for a fixed count
  options  configure and build each documented option combination in build-options/<name>/
  windows  scripts/test-windows.sh: the Windows build's tests under wine
  web      scripts/test-web.sh: the browser build's checks in headless Chromium
EOF
}

stages=()
for arg in "$@"; do
  case "$arg" in
    -h | --help)
      usage
      exit 0
      ;;
    main | asan | fuzz | options | windows | web) stages+=("$arg") ;;
    *)
      echo "test.sh: unknown stage '$arg'" >&2
      usage >&2
      exit 2
      ;;
  esac
done
[ ${#stages[@]} -eq 0 ] && stages=("${all_stages[@]}")

scripts/install-deps.sh || {
  echo "test.sh: installing the packages failed" >&2
  exit 1
}
jobs="$(nproc)"

# Mesa's software rasteriser draws on the calling thread instead of on worker
# threads of its own. With workers, a test process now and then hung at exit
# inside Mesa, its exit handler waiting to join a worker that never returned;
# without them there is nothing to join. Every stage draws through llvmpipe
# (offscreen, under Xvfb and under wine), so this holds for all of them.
export LP_NUM_THREADS=0

# Compiles through ccache when it is there: the option combinations share
# most of their objects with each other and with the main and asan stages.
# Without hashing the build folder, and with paths taken relative to the
# checkout, objects compiled in one build folder (or clone) serve the others.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_NOHASHDIR=true CCACHE_BASEDIR="$PWD"
fi

stage_main() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON &&
    cmake --build build -j"$jobs" &&
    touch "$stage_marks/build.built" &&
    ctest --test-dir build --output-on-failure -j"$jobs"
}

# The whole test suite again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer. Only leaks inside the GL and X driver libraries
# are suppressed (tests/reliability/lsan.supp gives the reason for each).
# Mesa's EGL and software-rendering drivers are preloaded so that they stay
# mapped when SDL unloads them at shutdown: the records they keep in their own
# globals then stay reachable instead of turning into leaks that no longer
# have a library name to be matched by.
stage_asan() {
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARNIC_SANITIZE=ON -DZARNIC_BENCH=OFF \
    "${launcher[@]}" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON &&
    cmake --build build-asan -j"$jobs" &&
    touch "$stage_marks/build-asan.built" || return 1
  local mesa_drivers
  mesa_drivers="libEGL_mesa.so.0 $(ls /usr/lib/*/dri/swrast_dri.so 2>/dev/null | head -n 1)"
  LD_PRELOAD="$mesa_drivers" \
    ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0 \
    LSAN_OPTIONS="suppressions=$PWD/tests/reliability/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs"
}

# Every libFuzzer target for a fixed number of executions (about a minute in
# all), from seeds the project's own writers make.
stage_fuzz() {
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZARNIC_FUZZ=ON -DZARNIC_TESTS=OFF -DZARNIC_BENCH=OFF "${launcher[@]}" &&
    cmake --build build-fuzz --target zarnic_fuzzers -j"$jobs" &&
    fuzz/run_fuzzers.sh build-fuzz
}

# Every compile, archive and link command of the configured build folder $1
# (Makefile generator), one per line and sorted, with the folder's own path
# written <build>: folders configured with the same options from the same
# checkout list the same lines.
build_commands() {
  local dir=$1 abs file
  abs="$(cd "$dir" && pwd)"
  {
    awk '/^  "directory": / { directory = $0 } /^  "command": / { print directory " " $0 }' \
      "$dir/compile_commands.json"
    find "$dir" -path '*/CMakeFiles/*.dir/link.txt' | sort | while read -r file; do
      printf '%s %s\n' "${file#"$dir"/}" "$(tr '\n' ' ' <"$file")"
    done
  } | sed "s|$abs|<build>|g" | LC_ALL=C sort -u
}

# The targets that own the command lines on standard input.
targets_of_commands() {
  sed -nE -e 's|^[^ ]*CMakeFiles/([^/]+)\.dir/link\.txt .*|\1|p' -e 's|.* -o CMakeFiles/([^/ ]+)\.dir/.*|\1|p' |
    LC_ALL=C sort -u
}

# Each option combination the README documents, configured from scratch in
# build-options/NAME, and built: every command of its build (compile, archive,
# link) has run, with the options it has, in this run of test.sh. Commands a
# build folder has already run in this run are not run again: the main and
# asan stages' folders when those stages built, and each combination once
# built. Switching tests or benchmarks off leaves every remaining command as it
# was, so those combinations only configure; the targets that own a command not
# run yet are built (everything in `all` when nothing has run yet). One line
# per combination: "option combination NAME: built ..." or "... FAILED".
option_combinations=(
  "default|"
  "tests-off|-DZARNIC_TESTS=OFF"
  "bench-off|-DZARNIC_BENCH=OFF"
  "tests-and-bench-off|-DZARNIC_TESTS=OFF -DZARNIC_BENCH=OFF"
  "sanitize|-DZARNIC_SANITIZE=ON"
  "fuzz-clang|-DZARNIC_FUZZ=ON -DZARNIC_TESTS=OFF -DZARNIC_BENCH=OFF"
)
stage_options() {
  local status=0 entry name flags dir start commands missing ran=build-options/commands-run
  mkdir -p build-options
  : >"$ran"
  for built in build build-asan; do
    if [ -f "$stage_marks/$built.built" ]; then
      build_commands "$built" | LC_ALL=C sort -u -m - "$ran" -o "$ran"
    fi
  done
  for entry in "${option_combinations[@]}"; do
    name="${entry%%|*}"
    flags="${entry#*|}"
    dir="build-options/$name"
    start=$SECONDS
    rm -rf "$dir"
    local compilers=()
    [ "$name" = fuzz-clang ] && compilers=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
    local targets=() result
    # shellcheck disable=SC2086 # flags is a list of words
    if cmake -S . -B "$dir" $flags "${compilers[@]}" "${launcher[@]}" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
      >"$dir.log" 2>&1; then
      build_commands "$dir" >"$dir.commands"
      missing="$(LC_ALL=C comm -23 "$dir.commands" "$ran")"
      commands=$(wc -l <"$dir.commands")
      if [ -z "$missing" ]; then
        result="built (all $commands of its commands already ran)"
      else
        [ -s "$ran" ] && mapfile -t targets < <(targets_of_commands <<<"$missing")
        if [ ${#targets[@]} -eq 0 ]; then
          cmake --build "$dir" -j"$jobs" >>"$dir.log" 2>&1 && result="built (all $commands commands)"
        else
          cmake --build "$dir" -j"$jobs" --target "${targets[@]}" >>"$dir.log" 2>&1 &&
            result="built ($(wc -l <<<"$missing") of its $commands commands, in ${#targets[@]} targets)"
        fi
      fi
    fi
    if [ -n "${result:-}" ]; then
      LC_ALL=C sort -u -m "$dir.commands" "$ran" -o "$ran"
      echo "option combination $name: $result in $((SECONDS - start)) s"
    else
      echo "option combination $name: FAILED (last lines of $dir.log below)"
      tail -n 30 "$dir.log"
      status=1
    fi
    result=""
  done
  return $status
}

# The Windows build, cross-compiled and tested under wine by its own script.
stage_windows() {
  bash scripts/test-windows.sh
}

# The browser build, served and checked in headless Chromium by its own script.
stage_web() {
  bash scripts/test-web.sh
}

# Counts in a stage's log: "run passed failed". ctest-based stages add up
# ctest's "N% tests passed, F tests failed out of M" lines; the fuzz stage
# counts targets, the options stage combinations.
count_results() {
  local stage=$1 log=$2
  case "$stage" in
    fuzz)
      local ok bad
      ok=$(grep -cE '^fuzz_[a-z0-9_]+: [0-9]+ executions' "$log")
      bad=$(grep -cE '^FAIL: ' "$log")
      echo "$((ok + bad)) $ok $bad"
      ;;
    web)
      sed -nE 's/^web checks: ([0-9]+) run, ([0-9]+) passed, ([0-9]+) failed$/\1 \2 \3/p' "$log" |
        awk '{ run += $1; passed += $2; failed += $3 } END { printf "%d %d %d\n", run, passed, failed }'
      ;;
    options)
      local ok bad
      ok=$(grep -cE '^option combination [a-z-]+: built' "$log")
      bad=$(grep -cE '^option combination [a-z-]+: FAILED' "$log")
      echo "$((ok + bad)) $ok $bad"
      ;;
    *)
      sed -nE 's/.*[0-9]+% tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/p' "$log" |
        awk '{ failed += $1; run += $2 } END { printf "%d %d %d\n", run, run - failed, failed }'
      ;;
  esac
}

logs="$(mktemp -d)"
trap 'rm -rf "$logs"' EXIT
# Which build folders a stage of this run has built in full, for the options
# stage: a file NAME.built for each.
stage_marks="$logs"
summary=()
total_passed=0
total_failed=0
any_failed=0
for stage in "${stages[@]}"; do
  echo
  echo "=== stage $stage ==="
  if [ "$stage" = windows ] && [ ! -f scripts/test-windows.sh ]; then
    summary+=("$(printf '%-8s skipped: scripts/test-windows.sh not present' "$stage")")
    continue
  fi
  log="$logs/$stage.log"
  start=$SECONDS
  "stage_$stage" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  seconds=$((SECONDS - start))
  read -r run passed failed < <(count_results "$stage" "$log")
  # A stage that fails without a failing count (a build error, a crashed
  # runner) still counts as one failure.
  if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then failed=1; fi
  [ "$status" -ne 0 ] && any_failed=1
  verdict=ok
  [ "$status" -ne 0 ] && verdict=FAILED
  summary+=("$(printf '%-8s %-6s %4d run, %4d passed, %4d failed, %5d s' "$stage" "$verdict" "$run" "$passed" \
    "$failed" "$seconds")")
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
done

echo
echo "=== summary ==="
printf '%s\n' "${summary[@]}"
echo "$total_passed passed, $total_failed failed"
exit $any_failed
