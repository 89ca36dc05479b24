#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly, with a time limit (a hung Wine
# program must not hang CI), with the loader its architecture needs: wine64
# for x86_64 programs, the 32-bit loader for i686 ones, which then run inside
# the same 64-bit prefix as on 64-bit Windows (WoW64). The prefix is
# $WINEPREFIX; prepare it first with tools/wine-prefix.sh, so that no two
# programs race to create it or to start its server. An i686 program on a
# machine that runs no 32-bit code is not started: the reason goes to stdout
# and the exit code is the one CTest's SKIP_RETURN_CODE reports as a skip.
#   tools/wine-run.sh program.exe [arguments...]
set -u
readonly SkipExitCode=77
prefix_root=${ZINDLE_WINE_ROOT:-${TMPDIR:-/tmp}/zindle-wine}
export WINEPREFIX=${WINEPREFIX:-$prefix_root/prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# The PE header's machine field (at e_lfanew + 4) tells i386 (0x014c) apart.
machine_of() {
    local header
    header=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
    [[ -n $header ]] && od -An -tx2 -j$((header + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}

if [[ $(machine_of "$1") == 014c ]]; then
    if ! reason=$("$(dirname "$0")/can-run-i686.sh"); then
        echo "Skipped $(basename "$1"): $reason"
        exit $SkipExitCode
    fi
    export WINELOADER=/usr/lib/wine/wine
else
    export WINELOADER=/usr/lib/wine/wine64
fi
exec timeout --kill-after=10 "${ZINDLE_WINE_TIMEOUT:-600}" "$WINELOADER" "$@"
