#!/usr/bin/env bash
# The Windows installer and zip as a user gets them, under wine on an X server: the installer
# installs silently into Program Files with a Start menu entry and an entry in Add/Remove
# Programs, the installed program answers -v, and the uninstaller removes the files and both
# entries again. The zip holds the same files as the installation.
#
# usage: windows_installer.sh PACKAGES STAGE
#   PACKAGES  the folder cpack wrote orvane-monitor-VERSION-win64.exe and .zip into
#   STAGE     the installed Windows build (cmake --install --prefix STAGE), for the list of files
source "$(dirname "$0")/lib.sh"

packages=${1:?usage: windows_installer.sh PACKAGES STAGE}
stage=${2:?usage: windows_installer.sh PACKAGES STAGE}
readonly version=1.0.13503
readonly installer=$packages/orvane-monitor-$version-win64.exe
readonly zip=$packages/orvane-monitor-$version-win64.zip
readonly uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane Monitor'

require_tools Xvfb jwm xdotool unzip
[[ -f $installer && -f $zip ]] || fail "no installer or zip in $packages: $(ls "$packages")"

files_of_stage() {
    (cd "$stage" && find . -type f | sed 's|^\./||' | sort)
}

# The zip unpacks into one folder of its own name, with the files below as installed.
zip_files=$(unzip -Z1 "$zip" | grep -v '/$' | sed "s|^orvane-monitor-$version-win64/||" | sort)
[[ $zip_files == "$(files_of_stage)" ]] ||
    fail "the zip differs from the installation: $(diff <(echo "$zip_files") <(files_of_stage))"
note "zip: the $(wc -l <<<"$zip_files") installed files"

start_xvfb
start_window_manager
start_wine
wine_qt_messages_to_stderr
drive_c=$WINEPREFIX/drive_c
installed=$drive_c/Program\ Files/Orvane\ Monitor
start_menu=$drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Orvane\ Monitor

wine_run "$installer" /S </dev/null >"$scratch/install.log" 2>&1 ||
    fail "the installer failed: $(cat "$scratch/install.log")"
installed_files=$(cd "$installed" && find . -type f | sed 's|^\./||' | grep -vx Uninstall.exe | sort)
[[ $installed_files == "$(files_of_stage)" ]] ||
    fail "installed files: $(diff <(echo "$installed_files") <(files_of_stage))"
[[ -f $installed/Uninstall.exe ]] || fail "no uninstaller"
[[ -f "$start_menu/Orvane Monitor.lnk" ]] || fail "no Start menu entry: $(ls -R "$start_menu" 2>&1)"
uninstall_command=$(wine_run reg query "$uninstall_key" /v UninstallString 2>/dev/null | tr -d '\r' |
    awk '$1 == "UninstallString" {$1 = $2 = ""; sub(/^ +/, ""); print}')
[[ $uninstall_command == *'Orvane Monitor\Uninstall.exe'* ]] ||
    fail "no entry in Add/Remove Programs: '$uninstall_command'"
note "installed: $(wc -l <<<"$installed_files") files, Start menu entry, uninstall entry"

# -v shows the version in a box; closing it ends the program with 0.
start_monitor "$wine" "$installed/bin/orvane-monitor.exe" -v
monitor_pid=$!
box=$(wait_for 30 visible_window "$monitor_pid" Version) || fail "no version box: $(cat "$monitor_trace")"
press_key_in "$box" Return
expect_exit "$monitor_pid" 15 0 "orvane-monitor.exe -v"
note "the installed program shows its version and ends with 0"

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
note "uninstalled: files, Start menu entry and uninstall entry are gone"
