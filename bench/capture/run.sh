#!/usr/bin/env bash
# The capture benchmark's runs, one after another in one go (from the
# repository root, after building bench_capture): two seconds of each phase
# in the default encoding, the main phase also lossless, and the whole
# default show. Usage: bench/capture/run.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
bench="$build/bench/capture/bench_capture"
echo "intro, 2 s at 60 fps:            $("$bench" --from 1 --seconds 2 "$out/intro.mp4")"
echo "main, 2 s at 60 fps:             $("$bench" --from 8 --seconds 2 "$out/main.mp4")"
echo "main, 2 s at 60 fps, lossless:   $("$bench" --from 8 --seconds 2 --lossless "$out/lossless.mp4")"
echo "credits, 2 s at 60 fps:          $("$bench" --from 14.5 --seconds 2 "$out/credits.mp4")"
echo "whole default show (17 s, 60):   $("$bench" "$out/show.mp4")"
