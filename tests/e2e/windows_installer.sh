#!/usr/bin/env bash
# The Windows installer and zip as a user gets them, under wine on an X server: the installer
# installs silently into Program Files with a Start menu entry, an entry in Add/Remove Programs
# and the starts at login for all users of /ADDRESSES=; the installed program answers -v; the
# installer run again shows those devices on its page, and a device taken out there no longer
# starts; the uninstaller removes the files, both entries and every start at login that names
# the installed monitor. The zip holds the same files as the installation.
#
# usage: windows_installer.sh PACKAGES STAGE
#   PACKAGES  the folder cpack wrote orvane-monitor-VERSION-win64.exe and .zip into
#   STAGE     the installed Windows build (cmake --install --prefix STAGE), for the list of files
source "$(dirname "$0")/lib.sh"

readonly usage="usage: windows_installer.sh PACKAGES STAGE SIMDEVICE"
packages=${1:?$usage}
stage=${2:?$usage}
simdevice=${3:?$usage}
readonly version=1.0.13503
readonly installer=$packages/orvane-monitor-$version-win64.exe
readonly zip=$packages/orvane-monitor-$version-win64.zip
readonly uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane Monitor'
readonly run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
readonly switch_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run'
readonly monitor_exe='C:\Program Files\Orvane Monitor\bin\orvane-monitor.exe'
# The devices to start at login for every user; the last one is no address. Then one added on the
# installer's page.
readonly devices=(127.0.2.60 127.0.2.61) refused=not.an.address added=127.0.2.62
readonly device_name="captureORVANE installed"
# Another program's start at login, which the installer and the uninstaller leave alone.
readonly foreign="Other Program|C:\other.exe"

# run_values: the values of the Run key for all users, "NAME|DATA" a line, sorted.
run_values() {
    wine_run reg query "$run_key" 2>/dev/null | tr -d '\r' |
        sed -n 's/^ \{4\}\(.*\) \{4\}REG_SZ \{4\}\(.*\)$/\1|\2/p' | sort
}

# starts_are ADDRESS...: whether the Run key for all users holds the other program's value and
# the installed monitor's for these devices, and nothing else. expect_starts: that it does.
starts_are() {
    local device expected=$foreign
    for device; do
        expected+=$'\n'"Orvane Monitor $device|\"$monitor_exe\" $device"
    done
    [[ $(run_values) == "$(sort <<<"$expected")" ]]
}
expect_starts() {
    starts_are "$@" || fail "the Run values for all users are not the ones of $*: $(run_values)"
}

# finish_page_shown: whether the installer shows its last page. Of the pages after the devices
# page, only that one has the wizard's picture at its left, mostly navy; a key pressed while the
# installing page before it shows is lost, as that page's buttons are off.
finish_page_shown() {
    local x y
    read -r x y _ < <(geometry_of "$setup")
    screenshot_area $((x + 20)) $((y + 150)) 100 100 "$scratch/installer_left.png" &&
        [[ $(main_colour "$scratch/installer_left.png") == "#000080" ]]
}

require_tools Xvfb jwm xdotool unzip
require_magick_tools import convert
[[ -f $installer && -f $zip ]] || fail "no installer or zip in $packages: $(ls "$packages")"

files_of_stage() {
    (cd "$stage" && find . -type f | sed 's|^\./||' | sort)
}

# The zip unpacks into one folder of its own name, with the files below as installed.
zip_files=$(unzip -Z1 "$zip" | grep -v '/$' | sed "s|^orvane-monitor-$version-win64/||" | sort)
[[ $zip_files == "$(files_of_stage)" ]] ||
    fail "the zip differs from the installation: $(diff <(echo "$zip_files") <(files_of_stage))"
note "zip: the $(wc -l <<<"$zip_files") installed files"

start_x_desktop
start_wine
wine_qt_messages_to_stderr
drive_c=$WINEPREFIX/drive_c
installed=$drive_c/Program\ Files/Orvane\ Monitor
start_menu=$drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Orvane\ Monitor

registry_set "$run_key" "Other Program" REG_SZ 'C:\other.exe'
status=0
wine_run "$installer" /S "/ADDRESSES=${devices[0]},${devices[1]},$refused" </dev/null \
    >"$scratch/install.log" 2>&1 || status=$?
# An address that is none is refused, and a silent install says so by its exit code.
((status == 2)) || fail "the installer ended with $status, not 2: $(cat "$scratch/install.log")"
installed_files=$(cd "$installed" && find . -type f | sed 's|^\./||' | grep -vx Uninstall.exe | sort)
[[ $installed_files == "$(files_of_stage)" ]] ||
    fail "installed files: $(diff <(echo "$installed_files") <(files_of_stage))"
[[ -f $installed/Uninstall.exe ]] || fail "no uninstaller"
[[ -f "$start_menu/Orvane Monitor.lnk" ]] || fail "no Start menu entry: $(ls -R "$start_menu" 2>&1)"
uninstall_command=$(registry_value "$uninstall_key" UninstallString)
[[ $uninstall_command == 'REG_SZ '*'Orvane Monitor\Uninstall.exe'* ]] ||
    fail "no entry in Add/Remove Programs: '$uninstall_command'"
note "installed: $(wc -l <<<"$installed_files") files, Start menu entry, uninstall entry"

expect_starts "${devices[@]}"
note "start at login for all users: ${devices[*]}, not $refused; the other program's value kept"

# A value's command line, started as Windows starts it at login, brings up the monitor of its
# device.
start_device "$simdevice" "${devices[0]}" "$device_name"
command_line=$(run_values | sed -n "s/^Orvane Monitor ${devices[0]}|//p")
[[ $command_line =~ ^\"([^\"]+)\"\ (.+)$ ]] || fail "not a command line: $command_line"
launch_monitor "from '$command_line'" "$wine" "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}"
key_ends "$main_window" Escape "$monitor_pid" 0 "Escape in the monitor started at login"
note "the login's command line '$command_line' brought up the monitor of its device"

# -v shows the version in a box; closing it ends the program with 0.
start_monitor "$wine" "$installed/bin/orvane-monitor.exe" -v
answer_box 30 $! Version 0 "orvane-monitor.exe -v"
note "the installed program shows its version and ends with 0"

# The installer again, as a user runs it: on to its page of devices, which shows both; the second
# goes, another comes.
start_process "$wine" "$installer" >"$scratch/reinstall.log" 2>&1
installer_pid=$!
setup=$(wait_for 30 visible_window "$installer_pid" "Orvane Monitor Setup") ||
    fail "no installer window: $(describe_windows "$installer_pid")"
press_key_in "$setup" Return # the welcome page; then the folder, the Start menu and the devices
xdotool key --delay 500 Return Return End && xdotool key --repeat 12 BackSpace
xdotool type --delay 50 ", $added" && xdotool key Return
wait_until 60 starts_are "${devices[0]}" "$added" || expect_starts "${devices[0]}" "$added"
wait_until 30 finish_page_shown || fail "the installer shows no last page after installing"
press_key_in "$setup" Return
expect_exit "$installer_pid" 30 0 "the installer run again" "$scratch/reinstall.log"
note "the installer's page showed ${devices[*]}: ${devices[1]} taken out no longer starts, $added does"

# A start for all users of the installed monitor that no installer wrote, switched off in the
# startup settings: the uninstaller removes it and the note of the switch as well.
registry_set "$run_key" "Lab display" REG_SZ "\"$monitor_exe\" 127.0.2.63"
registry_set "$switch_key" "Lab display" REG_BINARY 030000000000000000000000
# The uninstaller copies itself away and goes on from there: the test waits for its work.
wine_run "$installed/Uninstall.exe" /S </dev/null >"$scratch/uninstall.log" 2>&1 ||
    fail "the uninstaller failed: $(cat "$scratch/uninstall.log")"
uninstalled() {
    [[ ! -e $installed && ! -e $start_menu ]] &&
        ! wine_run reg query "$uninstall_key" >/dev/null 2>&1
}
wait_until 60 uninstalled ||
    fail "left after uninstalling: $(find "$installed" "$start_menu" 2>/dev/null | head)" \
        "$(wine_run reg query "$uninstall_key" 2>/dev/null | tr -d '\r' | head -n 3)"
expect_starts
[[ -z $(registry_value "$switch_key" "Lab display") ]] ||
    fail "the uninstaller left the note of the switch: $(registry_value "$switch_key" "Lab display")"
note "uninstalled: files, Start menu entry, uninstall entry and the starts at login of the" \
    "monitor are gone, the other program's value stays"
