#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a bounded time.
#   tools/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# New inputs collect in build/fuzz/corpus/<target>; the committed seeds in
# fuzz/corpus/<target> are read but never changed. A crash, leak, timeout or
# failed invariant stops with a non-zero exit; the input lands in
# build/fuzz/findings/ and belongs in a regression test.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(brace launch_parameters markup node_stream xml xml_writer)

# Reports of a finding must be readable; a timeout is a hang.
per_input_timeout=10
# A reader that allocates far beyond its input is a finding too.
memory_limit_mb=2048

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

for target in "${targets[@]}"; do
    corpus=build/fuzz/corpus/$target
    findings=build/fuzz/findings
    mkdir -p "$corpus" "$findings"
    dict=()
    [[ -f fuzz/$target.dict ]] && dict=(-dict="fuzz/$target.dict")
    echo "== fuzz_$target for ${seconds}s"
    # close_fd_mask=2: the library's own diagnostics on stderr would drown the
    # fuzzer; libFuzzer and the sanitizers keep a private copy of stderr.
    set +e
    build/fuzz/bin/fuzz_"$target" "$corpus" "fuzz/corpus/$target" "${dict[@]}" \
        -max_total_time="$seconds" -timeout="$per_input_timeout" \
        -rss_limit_mb="$memory_limit_mb" -close_fd_mask=2 -print_final_stats=1 \
        -artifact_prefix="$findings/$target-" ${TARVIK_FUZZ_FLAGS:-} 2>&1 |
        grep -E '^(stat::number_of_executed_units|Done|==|SUMMARY|INFO: a leak)|ERROR|Test unit written'
    status=${PIPESTATUS[0]}
    set -e
    if [[ $status -ne 0 ]]; then
        echo "fuzz_$target found a problem (exit $status); see $findings" >&2
        exit 1
    fi
done
