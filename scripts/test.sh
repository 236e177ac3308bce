#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (the
# windows' tests run offscreen, with no display and no person); then builds
# the suite again with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs it once more, failing on any report.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
export QT_QPA_PLATFORM=offscreen

build=${BUILD_DIR:-$root/build-tests}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build"
(cd "$build" && ctest --output-on-failure -j2 --timeout 300)

if [[ ${ODKAZNIK_SANITIZERS:-1} != 0 ]]; then
  sanitized=${SANITIZER_BUILD_DIR:-$root/build-sanitizers}
  flags="-O1 -g -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
  cmake -S "$root" -B "$sanitized" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DODKAZNIK_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
  cmake --build "$sanitized"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  (cd "$sanitized" && ctest --output-on-failure -j2 --timeout 600)
fi

# Each fuzz target briefly on its corpus.
if [[ ${ODKAZNIK_FUZZ_SECONDS:-10} != 0 ]]; then
  "$root/scripts/fuzz.sh" "${ODKAZNIK_FUZZ_SECONDS:-10}"
fi
