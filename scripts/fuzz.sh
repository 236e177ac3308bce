#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each on its corpus.
#   scripts/fuzz.sh [SECONDS]    (default 20 seconds per target)
# New inputs go to a scratch directory; the seed corpora in fuzz/corpus stay
# as they are. A finding leaves its crash file in the scratch directory and
# fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
flags="-g -O1 -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -DODK_SMALL_CHUNKS"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$flags" \
  -DODKAZNIK_FUZZ=ON -DODKAZNIK_BUILD_TESTS=OFF -DODKAZNIK_BUILD_BENCH=OFF
targets=(packet settings codelist import template prepared)
cmake --build "$build" --target "${targets[@]/#/fuzz_}"
scratch=$(mktemp -d)
# The settings and import targets write a file on every input; on a disk
# file system the rename over the last one waits for the data, on a memory
# one it does not.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
for t in "${targets[@]}"; do
  mkdir -p "$scratch/$t"
  echo "fuzz_$t: $seconds s"
  (cd "$scratch" && "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 \
    "$scratch/$t" "$root/fuzz/corpus/$t" 2>&1 | tail -n 12)
done
rm -rf "$scratch"
