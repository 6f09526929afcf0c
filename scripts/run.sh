#!/usr/bin/env bash
# The main job. Installs what is missing, builds, and runs what exists so far:
# for now a short demonstration of the shared utilities and tools (the full
# upload against the reference album service comes with the command-line
# uploader).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/install-deps.sh
build_dir=${BUILD_DIR:-build/run}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_BENCH=OFF >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
exec bash scripts/demo.sh "$build_dir"
