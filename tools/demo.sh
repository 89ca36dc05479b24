#!/usr/bin/env bash
# The launcher demo: installs what is missing, builds the launcher and the
# demo game core, and runs them under Wine with a built-in command line. By
# default that is the shipping build, win32 (i686, run in a 64-bit prefix as
# on 64-bit Windows); --win64 runs the x86_64 build instead. Without an X
# display it brings its own (Xvfb). It saves screenshots of the running game
# and of its close, closes the launcher through the close protocol after a
# few seconds, and says which build it ran and where the screenshots are.
#   tools/demo.sh                       the built-in command line, win32
#   tools/demo.sh --win64               the same with the 64-bit build
#   tools/demo.sh [--win64] "url='https://…', connstate=1, waitClose=1"
set -euo pipefail
cd "$(dirname "$0")/.."

preset=win32
description="win32 (i686, the shipping build)"
if [[ "${1:-}" == "--win64" ]]; then
    preset=win64
    description="win64 (x86_64)"
    shift
fi
command_line=${1:-"url='https://play.kelvaran.example/realm/1', connstate=2, waitClose=1"}

tools/install-deps.sh base windows demo
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target zindleQrvt zindleCore closeLauncher

out=$PWD/build/$preset/demo
mkdir -p "$out"
rm -f "$out"/*.png

# A Wine prefix of the demo's own, showing a 1280 x 800 Windows desktop; made
# ready before anything runs in it, so it needs nothing left by an earlier run.
export WINEPREFIX=$PWD/build/$preset/wine-demo
export ZINDLE_WINE_TIMEOUT=180
export ZINDLE_DEMO_PRESET=$preset
tools/wine-prefix.sh up --desktop 1280x800 "$WINEPREFIX"

echo "Build: $description"
echo "Command line: $command_line"
if [[ -n "${DISPLAY:-}" ]]; then
    tools/demo-session.sh "$command_line" "$out"
else
    ZINDLE_DEMO_PRIVATE_DISPLAY=1 tools/with-xvfb.sh --screen 1280x800x24 \
        tools/demo-session.sh "$command_line" "$out"
fi

echo "Ran the $description launcher and demo core."
echo "Screenshot of the running game: $out/launcher.png"
echo "Screenshot while it closes:     $out/launcher-closing.png"
