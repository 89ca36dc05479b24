#!/usr/bin/env bash
# Builds every preset and runs every test suite: native (gcc and clang),
# native with AddressSanitizer and UndefinedBehaviorSanitizer, native with
# ThreadSanitizer, the Windows
# builds, and every fuzz target for a bounded time. win64 runs its tests under
# Wine, the launcher's end-to-end suite included (on a private Xvfb display it
# starts itself); win32, the shipping build, is compile-only on this machine,
# so its launcher's imports are checked instead.
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

for preset in linux linux-asan linux-tsan linux-clang win64; do
    echo "== $preset: tests"
    ctest --preset "$preset" -j "$jobs"
done
