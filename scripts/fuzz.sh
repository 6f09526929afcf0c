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
# Configuring writes <target>.corpus beside every fuzz target: that is the list.
targets=$(cd "$build_dir" && ls fuzz_*.corpus 2>/dev/null | sed 's/\.corpus$//')
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
  log="$build_dir/$t.log"
  if ! "$build_dir/$t" -max_total_time="$seconds" -rss_limit_mb=2048 "$work" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: $t failed; the input that broke it is in $(pwd) (crash-*, leak-*, timeout-*)"
    rm -rf "$work"
    exit 1
  fi
  grep -E '^(Done|stat::number_of_executed_units)' "$log" | tail -n 1
  rm -rf "$work"
done
