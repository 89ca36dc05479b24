#!/usr/bin/env bash
# Runs a 64-bit Windows program under Wine with a private prefix inside the
# build tree, quietly, with a time limit (a hung Wine program must not hang CI).
set -u
prefix_root=${ZINDLE_WINE_ROOT:-${TMPDIR:-/tmp}/zindle-wine}
export WINEPREFIX=${WINEPREFIX:-$prefix_root/prefix}
export WINELOADER=/usr/lib/wine/wine64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
mkdir -p "$WINEPREFIX"
exec timeout --kill-after=10 "${ZINDLE_WINE_TIMEOUT:-600}" /usr/lib/wine/wine64 "$@"
