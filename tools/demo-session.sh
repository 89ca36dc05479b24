#!/usr/bin/env bash
# One demo run on the current X display, as tools/demo.sh sets it up: starts
# the launcher with the demo core, waits for its window, gives it a little
# input, takes screenshots, closes it the way a player does (WM_CLOSE, which
# the demo core answers with 0x501) and reports the exit code.
#   tools/demo-session.sh <command line> <screenshot folder>
# ZINDLE_DEMO_PRESET names the build (win32 unless set).
set -uo pipefail
cd "$(dirname "$0")/.."
command_line=$1
out=$2
preset=${ZINDLE_DEMO_PRESET:-win32}
bin=build/$preset/bin
helper=build/$preset/tools/closeLauncher.exe

# The first program in the prefix starts its server; let one do that alone
# before two programs race to.
tools/wine-run.sh "$helper" wait 0 >/dev/null 2>&1

# Wine joins its arguments with single spaces (quoting any that hold one), so
# the command line goes over word by word and arrives as written, runs of
# blanks aside.
read -r -a words <<<"$command_line"
tools/wine-run.sh "$bin/zindleQrvt.exe" "${words[@]}" &
launcher=$!

if ! tools/wine-run.sh "$helper" wait 60000; then
    echo "The launcher's window did not appear." >&2
    kill "$launcher" 2>/dev/null
    exit 1
fi
sleep 2

# Some input for the demo core's live message list.
if command -v xdotool >/dev/null; then
    xdotool mousemove 360 420 sleep 0.3 mousemove 720 380 sleep 0.3 click 1 sleep 0.2 type --delay 80 "Kelvaran"
    xdotool mousemove 900 520 sleep 0.3
fi
sleep 1

screenshot() {
    if [[ -n "${ZINDLE_DEMO_PRIVATE_DISPLAY:-}" ]] || ! command -v xdotool >/dev/null; then
        import -window root "$1"
    else
        # On someone's desktop: only the Wine desktop window.
        import -window "$(xdotool search --name 'Wine desktop' | head -n 1)" "$1"
    fi
}

screenshot "$out/launcher.png"
tools/wine-run.sh "$helper" close
sleep 0.7
screenshot "$out/launcher-closing.png"

wait "$launcher"
status=$?
echo "The launcher ended with exit code $status."
exit $status
