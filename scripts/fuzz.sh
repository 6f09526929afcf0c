#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under ASan+UBSan and runs each one
# briefly over its seed corpus. FUZZ_SECONDS sets the time per target.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
seconds=${FUZZ_SECONDS:-15}
build_dir=${FUZZ_BUILD_DIR:-build/fuzz}

CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTESSEL_FUZZ=ON -DTESSEL_SANITIZER=address -DTESSEL_BENCH=OFF >/dev/null
targets=$(cmake --build "$build_dir" --target help | sed -n -e 's/^\.\.\. \(fuzz_[A-Za-z0-9_]*\).*/\1/p' -e 's/^\(fuzz_[A-Za-z0-9_]*\): phony$/\1/p')
if [ -z "$targets" ]; then
  echo "fuzz: no fuzz targets yet"
  exit 0
fi
# shellcheck disable=SC2086
cmake --build "$build_dir" -j"$(nproc)" --target $targets
for t in $targets; do
  corpus_src=$(cat "$build_dir/$t.corpus" 2>/dev/null || true)
  work=$(mktemp -d)
  [ -n "$corpus_src" ] && [ -d "$corpus_src" ] && cp -r "$corpus_src"/. "$work"/
  echo "fuzz: $t for ${seconds}s"
  "$build_dir/$t" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 "$work" 2>&1 | tail -n 3
  rm -rf "$work"
done
