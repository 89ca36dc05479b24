#!/usr/bin/env bash
# Builds the "bench" preset and runs every benchmark: parsing side by side
# with pugixml, TinyXML-2, Expat and memchr, the tree operations, the brace
# parser, and whether memory goes back. Writes the medians of three
# repetitions to build/bench/report.md (and the raw JSON beside it). About
# fifteen minutes on two cores; run it on a quiet machine.
#   BENCH_MIN_TIME=0.3      seconds per repetition
#   BENCH_BASELINE=<ref>    also build the library as it was at that commit
#                           (in a worktree under build/) and run its
#                           benchmarks in the same run, for a before/after table
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh bench

cmake --preset bench >/dev/null
cmake --build --preset bench

out=build/bench
min_time=${BENCH_MIN_TIME:-0.3}

# run_benchmarks BIN_DIR OUT_DIR [--benchmark_filter=...]: every program there.
run_benchmarks() {
    local bin=$1 dest=$2
    shift 2
    mkdir -p "$dest"
    for program in bench_markup bench_tree bench_brace bench_memory; do
        [[ -x $bin/$program ]] || continue
        local filter=()
        [[ $program == bench_markup ]] && filter=("$@")
        echo "== $program ($bin)"
        "$bin/$program" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
            --benchmark_min_time="$min_time" --benchmark_out_format=json \
            --benchmark_out="$dest/$program.json" "${filter[@]}"
    done
}

if [[ -n ${BENCH_BASELINE:-} ]]; then
    base=build/bench-baseline
    rm -rf "$base"
    git worktree prune
    git worktree add --detach "$base" "$BENCH_BASELINE" >/dev/null
    (cd "$base" && cmake --preset bench >/dev/null && cmake --build --preset bench >/dev/null)
    rm -rf "$out/baseline"
    run_benchmarks "$base/build/bench/bin" "$out/baseline" --benchmark_filter=/tarvik/
    git rev-parse --short "$BENCH_BASELINE" >"$out/baseline/REF"
    git worktree remove --force "$base"
fi

run_benchmarks "$out/bin" "$out"

python3 tools/bench_report.py "$out" >"$out/report.md"
echo "Report: $out/report.md"
