#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it from its
# program directory build/program/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DODKAZNIK_BUILD_TESTS=OFF -DODKAZNIK_BUILD_BENCH=OFF
cmake --build "$build" --target Odkaznik
exec "$build/program/Odkaznik"
