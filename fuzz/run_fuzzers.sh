#!/usr/bin/env bash
# Runs every fuzz target, one at a time, from seeds written by
# fuzz_make_seeds, with its dictionary (see the table below), and prints the executions, the
# corpus growth and the speed of each. Fails on any crash, leak, timeout or
# out-of-memory.
#   run_fuzzers.sh BUILD_FUZZ_DIR
#       the test stage: a fixed number of executions per target, the corpus
#       thrown away afterwards
#   run_fuzzers.sh BUILD_FUZZ_DIR --campaign CORPUS_DIR
#       the long run: each target for 10 million executions or an hour,
#       whichever comes first, at the lowest priority; the corpus of each is
#       kept in CORPUS_DIR/TARGET (seeded when new) and grows from run to
#       run, its log in CORPUS_DIR/TARGET.log
# FUZZ_TARGETS="fuzz_a fuzz_b" runs only those. Crash reproducers are kept in
# BUILD_FUZZ_DIR/fuzz/artifacts.
set -euo pipefail
build=$1
campaign_dir=
if [ "${2:-}" = --campaign ]; then
  campaign_dir=${3:?"--campaign needs a corpus folder"}
  mkdir -p "$campaign_dir"
  campaign_dir=$(cd "$campaign_dir" && pwd)
fi
bin="$build/fuzz"
here="$(cd "$(dirname "$0")" && pwd)"
artifacts="$bin/artifacts"
mkdir -p "$artifacts"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$bin/fuzz_make_seeds" "$work/seeds"

campaign_runs=10000000
campaign_seconds=3600

run_one() {
  local target=$1 seeds=$2 runs=$3 max_len=$4 dict=$5 dict_in_stage=$6
  if [ -n "${FUZZ_TARGETS:-}" ] && [[ " $FUZZ_TARGETS " != *" $target "* ]]; then return 0; fi
  local corpus="$work/corpus-$target" limits=(-runs="$runs") priority=()
  if [ -n "$campaign_dir" ]; then
    corpus="$campaign_dir/$target"
    limits=(-runs="$campaign_runs" -max_total_time="$campaign_seconds")
    priority=(nice -n 19)
  fi
  local dict_flag=(-dict="$here/$dict")
  [ -n "$campaign_dir" ] || [ "$dict_in_stage" = yes ] || dict_flag=()
  local log="$work/$target.log"
  [ -z "$campaign_dir" ] || log="$campaign_dir/$target.log"
  mkdir -p "$corpus"
  [ -n "$(ls -A "$corpus")" ] || cp "$work/seeds/$seeds"/* "$corpus/"
  local corpus_before
  corpus_before=$(ls "$corpus" | wc -l)
  local start=$SECONDS
  if ! "${priority[@]}" "$bin/$target" "${limits[@]}" -max_len="$max_len" "${dict_flag[@]}" -timeout=10 \
      -rss_limit_mb=2048 -seed=1 -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$corpus" >"$log" 2>&1; then
    echo "FAIL: $target (log tail below; reproducer in $artifacts)"
    tail -n 60 "$log"
    return 1
  fi
  local executed seconds
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  seconds=$((SECONDS - start))
  echo "$target: $executed executions in $seconds s ($((executed / (seconds > 0 ? seconds : 1))) a second)," \
       "corpus $corpus_before -> $(ls "$corpus" | wc -l) inputs, no crash, leak or timeout"
}

# Target, seeds, executions in the test stage, longest input, dictionary,
# whether the test stage uses it too. The JPEG markers lead libjpeg-turbo
# (not instrumented, so its coverage is not seen) to headers claiming large
# pictures, each input then costing four to five times as much: only the
# campaign has the time for that.
status=0
run_one fuzz_mesh_reader mesh 1000000 4096 mesh.dict yes || status=1
run_one fuzz_picture_decode picture 150000 4096 picture.dict no || status=1
run_one fuzz_mp3_frames mp3 200000 16384 mp3.dict yes || status=1
run_one fuzz_mp3_decode mp3 120000 16384 mp3.dict yes || status=1
exit $status
