#!/usr/bin/env bash
# Runs every fuzz target for a fixed number of executions from seeds written
# by fuzz_make_seeds, and prints the executions, the corpus growth and the
# speed of each. Fails on any crash, leak, timeout or out-of-memory.
#   run_fuzzers.sh BUILD_FUZZ_DIR [RUNS_MESH RUNS_PICTURE RUNS_MP3]
# Crash reproducers are kept in BUILD_FUZZ_DIR/fuzz/artifacts.
set -euo pipefail
build=$1
runs_mesh=${2:-1000000}
runs_picture=${3:-150000}
runs_mp3=${4:-50000}
bin="$build/fuzz"
artifacts="$bin/artifacts"
mkdir -p "$artifacts"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$bin/fuzz_make_seeds" "$work/seeds"

run_one() {
  local target=$1 seeds=$2 runs=$3 max_len=$4
  local corpus="$work/corpus-$target"
  local log="$work/$target.log"
  mkdir -p "$corpus"
  cp "$work/seeds/$seeds"/* "$corpus/"
  local seeds_count
  seeds_count=$(ls "$corpus" | wc -l)
  local start=$SECONDS
  if ! "$bin/$target" -runs="$runs" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
      -seed=1 -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$corpus" >"$log" 2>&1; then
    echo "FAIL: $target (log tail below; reproducer in $artifacts)"
    tail -n 60 "$log"
    return 1
  fi
  local executed
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "$target: $executed executions in $((SECONDS - start)) s," \
       "corpus $seeds_count -> $(ls "$corpus" | wc -l) inputs, no crash, leak or timeout"
}

status=0
run_one fuzz_mesh_reader mesh "$runs_mesh" 4096 || status=1
run_one fuzz_picture_decode picture "$runs_picture" 4096 || status=1
run_one fuzz_mp3_decode mp3 "$runs_mp3" 16384 || status=1
exit $status
