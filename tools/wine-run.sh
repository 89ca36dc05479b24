#!/usr/bin/env bash
# Runs a 64-bit Windows program under Wine with a private prefix inside the
# build tree, quietly, with a time limit (a hung Wine program must not hang CI).
# With ZINDLE_WINE_DESKTOP=WxH the prefix shows every window on a Wine
# virtual desktop of that size: Wine then manages and decorates windows
# itself, as Windows does, instead of leaving that to an X window manager
# (which a private Xvfb display does not have).
set -u
prefix_root=${ZINDLE_WINE_ROOT:-${TMPDIR:-/tmp}/zindle-wine}
export WINEPREFIX=${WINEPREFIX:-$prefix_root/prefix}
export WINELOADER=/usr/lib/wine/wine64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
mkdir -p "$WINEPREFIX"

if [[ -n "${ZINDLE_WINE_DESKTOP:-}" && ! -e "$WINEPREFIX/.desktop-$ZINDLE_WINE_DESKTOP" ]]; then
    explorer='HKCU\Software\Wine\Explorer'
    timeout 120 /usr/lib/wine/wine64 reg add "$explorer" /v Desktop /d Default /f >/dev/null
    timeout 120 /usr/lib/wine/wine64 reg add "$explorer\\Desktops" /v Default \
        /d "$ZINDLE_WINE_DESKTOP" /f >/dev/null
    # The desktop process started so far has not seen the setting.
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    rm -f "$WINEPREFIX"/.desktop-*
    touch "$WINEPREFIX/.desktop-$ZINDLE_WINE_DESKTOP"
fi

exec timeout --kill-after=10 "${ZINDLE_WINE_TIMEOUT:-600}" /usr/lib/wine/wine64 "$@"
