#!/usr/bin/env bash
# Builds the "bench" preset and runs every benchmark: parsing side by side
# with pugixml, TinyXML-2, Expat and memchr, the tree operations, and the
# brace parser. Writes the medians of three repetitions to
# build/bench/report.md (and the raw JSON beside it). About ten minutes on
# two cores; run it on a quiet machine.
#   BENCH_MIN_TIME=0.3 (seconds per repetition)
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh bench

cmake --preset bench >/dev/null
cmake --build --preset bench

out=build/bench
min_time=${BENCH_MIN_TIME:-0.3}
for program in bench_markup bench_tree bench_brace; do
    echo "== $program"
    "$out/bin/$program" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
        --benchmark_min_time="$min_time" --benchmark_out_format=json \
        --benchmark_out="$out/$program.json"
done

python3 tools/bench_report.py "$out" >"$out/report.md"
echo "Report: $out/report.md"
