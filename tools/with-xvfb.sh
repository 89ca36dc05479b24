#!/usr/bin/env bash
# Runs a command on a private X display (Xvfb), so Windows GUI programs under
# Wine have a screen even on a machine without one, and stops the Wine server
# of $WINEPREFIX afterwards: a Wine desktop process that outlived its display
# would break the next run in the same prefix.
#   tools/with-xvfb.sh [--screen 1600x900x24] command [arguments...]
# The display's number is free-chosen (xvfb-run -a); the command's exit code
# is passed on.
set -u

screen=1600x900x24
if [[ "${1:-}" == "--screen" ]]; then
    screen=$2
    shift 2
fi

xvfb-run -a -s "-screen 0 $screen -nolisten tcp" "$@"
status=$?
if [[ -n "${WINEPREFIX:-}" ]]; then
    WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null
    WINEPREFIX=$WINEPREFIX wineserver -w 2>/dev/null
fi
exit $status
