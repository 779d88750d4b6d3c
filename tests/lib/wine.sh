# A wine prefix of the script's own, made on the script's X server, with a persistent wineserver
# that ends with the script (part of tests/lib/common.sh). Wine's explorer, which docks tray
# icons and shows balloons, serves the display it was started on, so a prefix never outlives its
# X server. scripts/test-windows.sh sources this file alone, for the loader, the server and
# stop_wine; the other functions need common.sh's (fail, first_of).
# shellcheck shell=bash

wine=/usr/lib/wine/wine64 # the 64-bit loader itself: Debian 12 has no wine64 on the PATH
[[ -x $wine ]] || wine=$(command -v wine64 || command -v wine || echo wine)
wineserver=/usr/lib/wine/wineserver64
[[ -x $wineserver ]] || wineserver=$(command -v wineserver || echo wineserver)

# Runs a Windows program.
wine_run() {
    "$wine" "$@"
}

# Makes the prefix in the scratch folder (sets WINEPREFIX) and starts its server; wine's .NET and
# HTML engines are left out, so that nothing asks to install them.
start_wine() {
    require_tools "$wine" "$wineserver"
    export WINEPREFIX=$scratch/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    local started=$SECONDS
    wine_run wineboot --init </dev/null >"$scratch/wineboot.log" 2>&1 ||
        fail "wineboot: $(cat "$scratch/wineboot.log")"
    "$wineserver" -w
    start_process "$wineserver" -f -p </dev/null >"$scratch/wineserver.log" 2>&1
    # Wine's services and explorer outlive the programs that started them: the prefix's server
    # ends them all before the script's own processes are ended.
    at_cleanup stop_wine
    note "wine prefix made in $((SECONDS - started)) s"
}

# Wine hands no QT_ variable on to its programs, but adds the user's environment from the
# registry: Qt's messages go to standard error (a program under wine has no console, so they
# would go to a debugger), and the monitor's trace names each balloon's text there.
wine_qt_messages_to_stderr() {
    registry_set 'HKCU\Environment' QT_FORCE_STDERR_LOGGING REG_SZ 1
    registry_set 'HKCU\Environment' QT_LOGGING_RULES REG_SZ orvane.monitor.info=true
}

# registry_set KEY NAME TYPE DATA: a value in the prefix's registry, with wine's reg.
registry_set() {
    wine_run reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null || fail "reg add $1 /v $2 failed"
}

# registry_value KEY NAME: "TYPE DATA" of a value in the prefix's registry, or nothing. Reg lists
# a value as "    NAME    TYPE    DATA"; a name may hold blanks.
registry_value() {
    { wine_run reg query "$1" /v "$2" 2>/dev/null || true; } | tr -d '\r' |
        awk -F '    ' -v name="$2" '$2 == name {
            data = substr($0, 13 + length($2) + length($3)); print $3 (data == "" ? "" : " " data) }'
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
}

# Whether a process runs in this script's prefix: other scripts may run the same programs at once.
in_prefix() {
    grep -qzxF "WINEPREFIX=$WINEPREFIX" "/proc/$1/environ" 2>/dev/null
}

# The pid of wine's explorer in this prefix, which shows the tray icons and balloons of its
# programs; 0 while there is none.
explorer_pid() {
    first_of "$(pgrep -f -x 'C:\\windows\\system32\\explorer.exe /desktop')" in_prefix || echo 0
}
