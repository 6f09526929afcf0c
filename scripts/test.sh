#!/usr/bin/env bash
# The test command: installs what is missing, builds everything and runs every
# test. Environment:
#   TESSEL_SANITIZER=address|thread  build and test under ASan+UBSan or TSan
#   BUILD_DIR=...                    where to build (default build/test or build/<sanitizer>)
#   TESSEL_SKIP_FUZZ=1               leave out the short fuzzing runs
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

bash scripts/install-deps.sh

sanitizer=${TESSEL_SANITIZER:-}
build_dir=${BUILD_DIR:-build/${sanitizer:-test}}
jobs=$(nproc)

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_WERROR=ON \
  -DTESSEL_SANITIZER="$sanitizer" >/dev/null
cmake --build "$build_dir" -j"$jobs"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
ctest --test-dir "$build_dir" -j"$jobs" --output-on-failure --timeout 600

if [ -z "$sanitizer" ] && [ "${TESSEL_SKIP_FUZZ:-0}" != "1" ]; then
  bash scripts/fuzz.sh
fi
