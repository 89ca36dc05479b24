#!/usr/bin/env bash
# The launcher demo: installs what is missing, builds the 64-bit launcher and
# the demo game core, and runs them under Wine with a built-in command line.
# Without an X display it brings its own (Xvfb). It saves screenshots of the
# running game and of its close, closes the launcher through the close
# protocol after a few seconds, and says where the screenshots are.
#   tools/demo.sh                       the built-in command line
#   tools/demo.sh "url='https://…', connstate=1, waitClose=1"
set -euo pipefail
cd "$(dirname "$0")/.."

command_line=${1:-"url='https://play.kelvaran.example/realm/1', connstate=2, waitClose=1"}

tools/install-deps.sh base windows demo
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target zindleQrvt zindleCore closeLauncher

out=$PWD/build/win64/demo
mkdir -p "$out"
rm -f "$out"/*.png

# A Wine prefix of the demo's own, showing a 1280 x 800 Windows desktop.
export WINEPREFIX=$PWD/build/win64/wine-demo
export ZINDLE_WINE_DESKTOP=1280x800
export ZINDLE_WINE_TIMEOUT=180

echo "Command line: $command_line"
if [[ -n "${DISPLAY:-}" ]]; then
    tools/demo-session.sh "$command_line" "$out"
else
    ZINDLE_DEMO_PRIVATE_DISPLAY=1 tools/with-xvfb.sh --screen 1280x800x24 \
        tools/demo-session.sh "$command_line" "$out"
fi

echo "Screenshot of the running game: $out/launcher.png"
echo "Screenshot while it closes:     $out/launcher-closing.png"
