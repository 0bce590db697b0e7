#!/bin/sh
# Builds the fuzz targets of the project-file reader and the publishing
# ledger's reader with clang (libFuzzer, ASan, UBSan) and runs each for a
# fixed time, 60 seconds unless given:
#   fuzz/run.sh [seconds]
# The build folder is build-fuzz beside the sources (BUILD overrides it); the
# committed seeds are copied into a working corpus there, so that what the
# fuzzer learns stays out of the sources.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
build=${BUILD:-$src/build-fuzz}
seconds=${1:-60}

CXX=${CXX:-clang++} cmake -S "$src" -B "$build" -DKAMERIO_FUZZ=ON -DKAMERIO_TESTS=OFF -DKAMERIO_BENCH=OFF >/dev/null
cmake --build "$build" --target project_fuzz ledger_fuzz -j2

for target in project ledger; do
  corpus=$build/corpus/$target
  mkdir -p "$corpus"
  cp "$here"/corpus/$target/* "$corpus"/
  "$build/fuzz/${target}_fuzz" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
      -dict="$here/$target.dict" -print_final_stats=1 -artifact_prefix="$build/" "$corpus"
done
