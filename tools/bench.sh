#!/usr/bin/env bash
# Builds the "bench" preset and runs every benchmark: parsing side by side
# with pugixml, TinyXML-2, Expat and memchr, the tree operations, the brace
# parser, whether memory goes back, and saving side by side with pugixml and
# TinyXML-2; then counts the write calls of `tarvik-xml print` on the real
# document (strace). Writes the medians of three repetitions to
# build/bench/report.md (and the raw JSON beside it). About twenty minutes on
# two cores; run it on a quiet machine.
#   BENCH_MIN_TIME=0.3      seconds per repetition
#   BENCH_WARMUP=0.1        seconds each benchmark runs untimed first
#   BENCH_WARM_HEAP=1       glibc never hands the top of its heap back to the
#                           system (trim threshold raised) while the timed
#                           benchmarks run, so every library builds each tree
#                           in memory it has used before
#   BENCH_BASELINE=<ref>    also build the library as it was at that commit
#                           (in a worktree under build/) with this tree's
#                           benchmarks, and run them in the same run, for a
#                           before/after table
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh bench

cmake --preset bench >/dev/null
cmake --build --preset bench

out=build/bench
min_time=${BENCH_MIN_TIME:-0.3}
warmup=${BENCH_WARMUP:-0.1}
# Larger than any tree here: with it, glibc keeps every freed page of its heap.
kept_heap=$((1 << 40))

# run_benchmark PROGRAM BIN_DIR OUT_DIR [--benchmark_filter=...]: one program, if built there.
# The timed benchmarks are warmed up first: the first to run after a shape is
# generated would otherwise meet memory the machine has not yet handed back
# (parse, in bench_tree) and look slower than the rest. bench_memory counts
# from the first round, so it runs as it is.
run_benchmark() {
    local program=$1 bin=$2 dest=$3
    shift 3
    [[ -x $bin/$program ]] || return 0
    mkdir -p "$dest"
    echo "== $program ($bin)"
    local warm=() heap=()
    if [[ $program != bench_memory ]]; then
        warm=(--benchmark_min_warmup_time="$warmup")
        if [[ ${BENCH_WARM_HEAP:-0} == 1 ]]; then
            heap=(GLIBC_TUNABLES=glibc.malloc.trim_threshold="$kept_heap")
        fi
    fi
    env "${heap[@]}" "$bin/$program" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
        --benchmark_min_time="$min_time" "${warm[@]}" --benchmark_out_format=json \
        --benchmark_out="$dest/$program.json" "$@"
}

base=build/bench-baseline
if [[ -n ${BENCH_BASELINE:-} ]]; then
    rm -rf "$base" "$out/baseline"
    git worktree prune
    git worktree add --detach "$base" "$BENCH_BASELINE" >/dev/null
    # The benchmarks as they are now (a program added since is run too),
    # against the library and the tool as they were. A program that needs
    # what the library did not have then is left out (-k 0), not the run.
    rm -rf "$base/bench"
    cp -r bench "$base/bench"
    (cd "$base" && cmake --preset bench -DTARVIK_BUILD_TOOLS=ON >/dev/null &&
        { cmake --build --preset bench -- -k 0 >/dev/null 2>&1 || true; })
    mkdir -p "$out/baseline"
    git rev-parse --short "$BENCH_BASELINE" >"$out/baseline/REF"
fi

# Each program runs for the baseline and then at once for this tree, so that
# before and after meet the machine in the same state.
for program in bench_markup bench_tree bench_brace bench_memory bench_save bench_xml; do
    if [[ -n ${BENCH_BASELINE:-} ]]; then
        filter=()
        [[ $program == bench_markup || $program == bench_save || $program == bench_xml ]] &&
            filter=(--benchmark_filter=/tarvik/)
        run_benchmark "$program" "$base/build/bench/bin" "$out/baseline" "${filter[@]}"
    fi
    run_benchmark "$program" "$out/bin" "$out"
done

# tool_writes BIN_DIR OUT_DIR: the write calls and the bytes of `tarvik-xml
# print` of the real document into a file, as JSON.
real_document=/usr/share/mime/packages/freedesktop.org.xml
tool_writes() {
    local tool=$1/tarvik-xml dest=$2
    [[ -x $tool && -r $real_document ]] || return 0
    local printed=$dest/tool-print.out trace=$dest/tool-print.strace
    strace -f -c -e trace=write -o "$trace" "$tool" print "$real_document" >"$printed"
    local writes bytes
    writes=$(awk '$NF == "write" { print $4 }' "$trace")
    bytes=$(stat -c %s "$printed")
    printf '{"writes": %s, "bytes": %s}\n' "${writes:-0}" "$bytes" >"$dest/tool_writes.json"
    rm -f "$printed" "$trace"
}
echo "== tarvik-xml print: write calls"
[[ -n ${BENCH_BASELINE:-} ]] && tool_writes "$base/build/bench/bin" "$out/baseline"
tool_writes "$out/bin" "$out"
[[ -n ${BENCH_BASELINE:-} ]] && git worktree remove --force "$base"

python3 tools/bench_report.py "$out" >"$out/report.md"
if [[ ${BENCH_WARM_HEAP:-0} == 1 ]]; then
    printf '\nRun with BENCH_WARM_HEAP=1: glibc kept its freed heap in the timed benchmarks.\n' \
        >>"$out/report.md"
fi
echo "Report: $out/report.md"
