#!/usr/bin/env bash
# Builds every preset and runs every test suite: native (gcc), native with
# AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows builds
# (win64 runs its tests under Wine; win32 is compile-only on this machine).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh base windows

jobs=$(nproc)
for preset in linux linux-asan win64 win32; do
    echo "== $preset: configure and build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done

for preset in linux linux-asan win64; do
    echo "== $preset: tests"
    ctest --preset "$preset" -j "$jobs"
done
