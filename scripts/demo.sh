#!/usr/bin/env bash
# Demonstration of what exists so far; run by scripts/run.sh with the build folder.
set -euo pipefail
build_dir=$1
echo "Nothing to demonstrate yet in $build_dir."
