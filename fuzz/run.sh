#!/bin/sh
# Builds every libFuzzer target with clang (libFuzzer, ASan, UBSan) and runs
# each for a fixed time, 60 seconds unless given; with names, only those:
#   fuzz/run.sh [seconds] [name...]        (name: project, ledger, webledger, ...)
# The build folder is build-fuzz beside the sources (BUILD overrides it); the
# committed seeds are copied into a working corpus there, so that what the
# fuzzer learns stays out of the sources. The first target that finds a
# fault ends the script with its status.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
build=${BUILD:-$src/build-fuzz}
seconds=${1:-60}
[ $# -gt 0 ] && shift

CXX=${CXX:-clang++} cmake -S "$src" -B "$build" -DKAMERIO_FUZZ=ON -DKAMERIO_TESTS=OFF -DKAMERIO_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_targets -j2

names=$*
if [ -z "$names" ]; then
  for target in "$build"/fuzz/*_fuzz; do
    [ -f "$target" ] && [ -x "$target" ] && names="$names $(basename "$target" _fuzz)"
  done
fi
for name in $names; do
  echo "=== fuzzing $name for $seconds s"
  corpus=$build/corpus/$name
  mkdir -p "$corpus"
  [ -d "$here/corpus/$name" ] && cp "$here/corpus/$name"/* "$corpus"/
  dict=
  [ -f "$here/$name.dict" ] && dict=-dict=$here/$name.dict
  "$build/fuzz/${name}_fuzz" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
      $dict -print_final_stats=1 -artifact_prefix="$build/$name-" "$corpus"
done
