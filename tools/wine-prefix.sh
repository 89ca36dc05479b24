#!/usr/bin/env bash
# Makes a Wine prefix ready before programs run in it, and stops its server
# afterwards. Wine creates a prefix on the first start in it, and a program
# that finds no server starts one; two programs doing either at once race, and
# so does a program that starts while a lingering server shuts down (one of
# them then fails with "chdir to .../server-...: No such file or directory").
# So a prefix is created here by one wineboot before any suite starts, and
# either its server is kept alive until "down" (--keep-server: suites share
# the prefix and start at the same time) or it is stopped, so the one suite
# that uses the prefix starts a fresh server of its own. Any server left in
# the prefix by an earlier run is stopped first.
#   tools/wine-prefix.sh up [--keep-server] [--desktop WxH] PREFIX
#   tools/wine-prefix.sh down PREFIX
# --desktop shows every window of the prefix on a Wine virtual desktop of that
# size: Wine then manages and decorates windows itself, as Windows does,
# instead of leaving that to an X window manager (which a private Xvfb
# display does not have).
set -euo pipefail

# The first start in a fresh prefix takes 10-15 s; far more means a hang.
readonly BootTimeoutSeconds=300

action=$1
shift
keep_server=""
desktop=""
while [[ $# -gt 1 ]]; do
    case $1 in
        --keep-server) keep_server=1 ;;
        --desktop) desktop=$2; shift ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift
done
export WINEPREFIX=$1
export WINELOADER=/usr/lib/wine/wine64
export WINEDEBUG=-all
export WINEDLLOVERRIDES=mscoree,mshtml=

stop_server() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
}

if [[ $action == down ]]; then
    stop_server
    exit 0
fi

stop_server
mkdir -p "$WINEPREFIX"
# Wine's own processes outlive the commands below; they must not hold the
# caller's output open (CTest waits for it to close), so they write to a log.
log=$WINEPREFIX/zindle-setup.log
: >"$log"
if [[ -n $keep_server ]]; then
    wineserver -p </dev/null >>"$log" 2>&1
fi
if ! timeout "$BootTimeoutSeconds" "$WINELOADER" wineboot --init </dev/null >>"$log" 2>&1; then
    echo "wineboot failed in $WINEPREFIX:" >&2
    cat "$log" >&2
    exit 1
fi
if [[ -n $desktop ]]; then
    explorer='HKCU\Software\Wine\Explorer'
    timeout 120 "$WINELOADER" reg add "$explorer" /v Desktop /d Default /f </dev/null >>"$log" 2>&1
    timeout 120 "$WINELOADER" reg add "$explorer\\Desktops" /v Default /d "$desktop" /f \
        </dev/null >>"$log" 2>&1
fi
if [[ -z $keep_server ]]; then
    # The desktop process started so far has not seen the setting, and the
    # next program should find no server that might be on its way out.
    stop_server
fi
echo "Wine prefix ready: $WINEPREFIX${keep_server:+ (server kept)}${desktop:+ (desktop $desktop)}"
