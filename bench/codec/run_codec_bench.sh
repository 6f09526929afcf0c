#!/usr/bin/env bash
# Runs the codec benchmarks and prints each job's time against the reference
# programs, with the targets. Usage: run_codec_bench.sh [path/to/bench_codec]
set -euo pipefail
bench=${1:-build/test/bench/codec/bench_codec}
json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$bench" --benchmark_format=console --benchmark_out="$json" --benchmark_out_format=json
python3 - "$json" <<'PY'
import json, sys
runs = {b["name"].split("/")[0]: b["real_time"] for b in json.load(open(sys.argv[1]))["benchmarks"]}
def ratio(label, ours, theirs, target, higher_is_better=True):
    r = runs[theirs] / runs[ours]
    ok = r >= target
    print(f"{label:58s} {r:6.2f}  (target >= {target}) {'ok' if ok else 'MISSED'}")
print("speed of ours relative to the reference (reference time / our time):")
ratio("thumbnail vs djpeg full-size decode", "Thumbnail_Ours", "Thumbnail_DjpegFullDecode", 0.9)
ratio("thumbnail vs convert -filter Triangle -resize 83x83", "Thumbnail_Ours", "Thumbnail_Magick", 2.5)
ratio("PNG preparation vs convert -resize 900x600", "Prepare_Ours", "Prepare_Magick", 3.0)
ratio("BMP to JPEG vs convert -quality 90", "BmpToJpeg_Ours", "BmpToJpeg_Magick", 3.0)
ratio("BMP to JPEG vs cjpeg -quality 90 (within 1.3x)", "BmpToJpeg_Ours", "BmpToJpeg_Cjpeg", 1 / 1.3)
PY
