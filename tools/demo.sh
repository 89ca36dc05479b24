#!/usr/bin/env bash
# The launcher demo: installs what is missing, builds the launcher and the
# demo game core, and runs them under Wine with a built-in command line. By
# default that is the shipping build, win32 (i686, run in a 64-bit prefix as
# on 64-bit Windows), where this machine can run 32-bit programs; where it
# cannot (tools/can-run-i686.sh says why), the win64 build of the same
# launcher and core runs instead. --win64 asks for the x86_64 build, --win32
# for the shipping build, which then fails at once where it cannot run.
# Without an X display it brings its own (Xvfb). It saves screenshots of the
# running game and of its close, closes the launcher through the close
# protocol after a few seconds, and says which build it ran and where the
# screenshots are.
#   tools/demo.sh                       the built-in command line
#   tools/demo.sh --win64               the same with the 64-bit build
#   tools/demo.sh [--win32|--win64] "url='https://…', connstate=1, waitClose=1"
set -euo pipefail
cd "$(dirname "$0")/.."

readonly Win32Description="win32 (i686, the shipping build)"
readonly Win64Description="win64 (x86_64)"

requested=""
fallback=""
if [[ "${1:-}" == --win32 || "${1:-}" == --win64 ]]; then
    requested=${1#--}
    shift
fi

# The capability check needs Wine's 32-bit loader, so Wine comes first.
tools/install-deps.sh base windows demo
preset=${requested:-win32}
if [[ $preset == win32 ]] && ! reason=$(tools/can-run-i686.sh); then
    if [[ $requested == win32 ]]; then
        echo "The win32 build cannot run here: $reason." >&2
        exit 1
    fi
    fallback="instead of win32, which cannot run here: $reason"
    echo "Running the win64 build $fallback."
    preset=win64
fi
description=$Win32Description
[[ $preset == win64 ]] && description=$Win64Description
command_line=${1:-"url='https://play.kelvaran.example/realm/1', connstate=2, waitClose=1"}

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

echo "Ran the $description launcher and demo core${fallback:+ ($fallback)}."
echo "Screenshot of the running game: $out/launcher.png"
echo "Screenshot while it closes:     $out/launcher-closing.png"
