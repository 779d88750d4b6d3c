# Shared by the end-to-end scripts of the Windows build (source it after lib.sh): a wine prefix of
# the script's own, made on the script's X server, and a persistent wineserver for it that ends
# with the script. Wine's explorer, which docks tray icons and shows balloons, serves the display
# it was started on, so a prefix never outlives its X server.

wine=/usr/lib/wine/wine64 # the 64-bit loader itself: Debian 12 has no wine64 on the PATH
[[ -x $wine ]] || wine=$(command -v wine64 || command -v wine || echo wine)
wineserver=/usr/lib/wine/wineserver64
[[ -x $wineserver ]] || wineserver=$(command -v wineserver || echo wineserver)
require_tools "$wine" "$wineserver"

# Runs a Windows program; none of the script's own descriptors (device fifo 7, lock 8) go along.
wine_run() {
    "$wine" "$@" 7>&- 8>&-
}

start_wine() {
    export WINEPREFIX=$e2e_tmp/wineprefix WINEDEBUG=-all
    # No installer dialogs for wine's .NET and HTML engines, which nothing here needs.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    local started=$SECONDS
    wine_run wineboot --init </dev/null >"$e2e_tmp/wineboot.log" 2>&1 ||
        fail "wineboot: $(cat "$e2e_tmp/wineboot.log")"
    "$wineserver" -w
    "$wineserver" -f -p </dev/null >"$e2e_tmp/wineserver.log" 2>&1 7>&- 8>&- &
    remember_pid $!
    # Wine hands no QT_ variable on to its programs, but adds the user's environment from the
    # registry: Qt's messages go to standard error (a program under wine has no console, so they
    # would go to a debugger), and the monitor's trace names each balloon's text there.
    wine_run reg add 'HKCU\Environment' /v QT_FORCE_STDERR_LOGGING /d 1 /f >/dev/null
    wine_run reg add 'HKCU\Environment' /v QT_LOGGING_RULES /d orvane.monitor.info=true /f \
        >/dev/null
    note "wine prefix made in $((SECONDS - started)) s"
    # Wine's services and explorer outlive the programs that started them: the prefix's server
    # ends them all before the script's own processes are ended.
    trap 'stop_wine "$?"' EXIT
}

# The prefix's server ends its programs; any that lost their server (it was ended from outside)
# are wine's processes with the prefix in their environment.
stop_wine() {
    "$wineserver" -k </dev/null >/dev/null 2>&1 || true
    local process
    for process in /proc/[0-9]*; do
        if [[ $(readlink "$process/exe" 2>/dev/null) == /usr/lib/wine/* ]] &&
            in_prefix "${process#/proc/}"; then
            kill -9 "${process#/proc/}" 2>/dev/null || true
        fi
    done
    cleanup "$1"
}

# Whether a process runs in this script's prefix: other scripts may run the same programs at once.
in_prefix() {
    grep -qzxF "WINEPREFIX=$WINEPREFIX" "/proc/$1/environ" 2>/dev/null
}
