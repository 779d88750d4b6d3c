#!/usr/bin/env bash
# orvane-monitor-autostart.exe under wine, installed into Program Files of a wine prefix of the
# test's own beside a stand-in for the monitor: the Run values it writes for this user (HKCU) and
# for all users (HKLM), read back with wine's reg; other programs' values in both keys left as
# they were; a device that starts for all users is not enabled for a user as well; what is no
# address writes nothing; a start switched off in Windows' startup settings is listed so and
# switched on again by --enable. Then wine's own login processing (wineboot runs both Run keys, as
# Windows does at login) starts each value's command line as it stands, and the stand-in notes
# how it was started: every device once, with the monitor's full path and the address.
# (The installer test starts the real monitor from such a value; tests/e2e/windows_installer.sh.)
#
# usage: wine_autostart.sh HELPER RECORDER
#   HELPER    orvane-monitor-autostart.exe of the build
#   RECORDER  orvane-argument-recorder.exe, the stand-in for the monitor
source "$(dirname "$0")/../lib/common.sh" autostart windows

helper_program=${1:?usage: wine_autostart.sh HELPER RECORDER}
recorder_program=${2:?usage: wine_autostart.sh HELPER RECORDER}
# Only text in the registry (tests/LOOPBACK.md); nothing is sent.
readonly first=127.0.3.20 second=127.0.3.21 machine_wide=127.0.3.22
readonly run_key='Software\Microsoft\Windows\CurrentVersion\Run'
readonly user_key="HKCU\\$run_key" machine_key="HKLM\\$run_key"
readonly bin_windows='C:\Program Files\Orvane Monitor\bin'
readonly monitor_windows="$bin_windows\\orvane-monitor.exe"

# What `reg query` shows of a key: one "NAME|TYPE|DATA" line per value, sorted.
run_values() {
    wine_run reg query "$1" </dev/null 2>/dev/null | tr -d '\r' |
        sed -n 's/^    \(.*\)    \(REG_[A-Z_]*\)    \(.*\)$/\1|\2|\3/p' | sort
}

# expect_values KEY LINE...: the key holds exactly these values.
expect_values() {
    local key=$1 expected actual
    shift
    expected=$(printf '%s\n' "$@" | sort)
    actual=$(run_values "$key")
    [[ $actual == "$expected" ]] || fail "$key holds"$'\n'"$actual"$'\n'"instead of"$'\n'"$expected"
}

# The Run value that the helper makes for a device.
ours() {
    echo "Orvane Monitor $1|REG_SZ|\"$monitor_windows\" $1"
}

# helper EXPECTED_STATUS ARGUMENT...: runs the installed helper; its output is in helper_output.
helper() {
    local expected=$1 status=0
    shift
    wine_run "$bin/orvane-monitor-autostart.exe" "$@" </dev/null >"$scratch/helper.out" 2>&1 ||
        status=$?
    helper_output=$(tr -d '\r' <"$scratch/helper.out")
    ((status == expected)) || fail "helper $* ended with $status, not $expected: $helper_output"
}

start_wine
bin="$WINEPREFIX/drive_c/Program Files/Orvane Monitor/bin"
mkdir -p "$bin"
cp "$helper_program" "$bin/orvane-monitor-autostart.exe"
cp "$recorder_program" "$bin/orvane-monitor.exe"
readonly other_user='Other Tool|REG_SZ|"C:\Other Tool\other.exe" --tray'
readonly other_machine='Other Service|REG_SZ|C:\Other\service.exe'
wine_run reg add "$user_key" /v 'Other Tool' /d '"C:\Other Tool\other.exe" --tray' /f >/dev/null
wine_run reg add "$machine_key" /v 'Other Service' /d 'C:\Other\service.exe' /f >/dev/null

helper 0 --enable "$first"
helper 0 --enable "$second"
helper 0 --enable "$first"
[[ $helper_output == *already* ]] || fail "a second --enable did not say so: $helper_output"
helper 2 --enable 127.0.3.256
helper 2 --disable '..\127.0.3.20'
helper 0 --all-users --enable "$machine_wide"
helper 0 --enable "$machine_wide"
[[ $helper_output == *"all users already"* ]] ||
    fail "--enable of a device that starts for all users: $helper_output"
expect_values "$user_key" "$other_user" "$(ours "$first")" "$(ours "$second")"
expect_values "$machine_key" "$other_machine" "$(ours "$machine_wide")"
helper 0 --list
[[ $helper_output == "$first"$'\n'"$second"$'\n'"$machine_wide (all users)" ]] ||
    fail "--list: $helper_output"
note "Run values for this user and for all users in place, the others kept; --list tells them apart"

# Switched off on the Startup page of Task Manager or Settings, which keeps the Run value and
# notes 03 beside it: --list says so, and --enable switches it on again, the note gone.
readonly switch_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run'
wine_run reg add "$switch_key" /v "Orvane Monitor $first" /t REG_BINARY /d 030000000000000000000000 \
    /f >/dev/null
helper 0 --list
[[ $helper_output == "$first (switched off in the startup settings)"$'\n'"$second"* ]] ||
    fail "--list of a start switched off: $helper_output"
helper 0 --enable "$first"
[[ $helper_output == *"switched on again" && -z $(run_values "$switch_key") ]] ||
    fail "--enable of a start switched off: $helper_output; $(run_values "$switch_key")"
note "a start switched off in the startup settings is listed so, and --enable switches it on again"

# Wine's login processing starts every Run value: each device's monitor once.
wine_run wineboot </dev/null >"$scratch/wineboot.log" 2>&1 || fail "wineboot: $(cat "$scratch/wineboot.log")"
# Each start of the stand-in notes its command line in a file of its own.
starts() {
    cat "$bin"/orvane-monitor.exe.started.* 2>/dev/null | sort
}
three_started() {
    (($(starts | wc -l) >= 3))
}
wait_until 30 three_started || fail "started at login: $(starts)"
sleep 2
expected_starts=$(printf '%s\t%s\n' "$monitor_windows" "$first" "$monitor_windows" "$second" \
    "$monitor_windows" "$machine_wide")
[[ $(starts) == "$expected_starts" ]] ||
    fail "the login started"$'\n'"$(starts)"$'\n'"instead of"$'\n'"$expected_starts"
note "wineboot started the monitor once for each device, from its full path with the address"

helper 0 --disable "$first"
helper 1 --disable "$machine_wide"
[[ $helper_output == *"--all-users --disable $machine_wide"* ]] ||
    fail "--disable of a device that starts for all users: $helper_output"
# For all users, a device that this user starts already: this user's own start goes.
helper 0 --all-users --enable "$second"
expect_values "$user_key" "$other_user"
expect_values "$machine_key" "$other_machine" "$(ours "$machine_wide")" "$(ours "$second")"
helper 0 --all-users --disable
helper 0 --disable
expect_values "$user_key" "$other_user"
expect_values "$machine_key" "$other_machine"
note "--disable for one device, for all users and for this user; the other programs' values stay"
echo "wine autostart: all checks passed"
