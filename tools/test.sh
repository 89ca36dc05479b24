#!/usr/bin/env bash
# Builds every preset and runs every test suite: native (gcc and clang),
# native with AddressSanitizer and UndefinedBehaviorSanitizer, native with
# ThreadSanitizer, the Windows builds, and every fuzz target for a bounded
# time. win64 and win32 (the shipping build, i686, in a 64-bit prefix as on
# 64-bit Windows) run their tests under Wine, the launcher's end-to-end suite
# included (on a private Xvfb display it starts itself); each Wine prefix is
# made ready before its suites start. The launchers' imports are checked too.
#   TARVIK_FUZZ_SECONDS=60 (per target; 0 skips fuzzing)
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh base windows

jobs=$(nproc)
for preset in linux linux-asan linux-tsan linux-clang win64 win32; do
    echo "== $preset: configure and build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done

echo "== launcher imports"
tools/check-imports.sh x86_64-w64-mingw32-objdump build/win64/bin/zindleQrvt.exe
tools/check-imports.sh i686-w64-mingw32-objdump build/win32/bin/zindleQrvt.exe

# Fuzzing first, so the test suites' summaries close the output.
fuzz_seconds=${TARVIK_FUZZ_SECONDS:-60}
if [[ $fuzz_seconds -gt 0 ]]; then
    tools/fuzz.sh "$fuzz_seconds"
fi

for preset in linux linux-asan linux-tsan linux-clang win64 win32; do
    echo "== $preset: tests"
    started=$SECONDS
    ctest --preset "$preset" -j "$jobs"
    echo "== $preset: tests took $((SECONDS - started)) s"
done
