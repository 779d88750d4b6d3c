#!/usr/bin/env bash
# The Windows programs as installed, read with objdump and windres: every DLL that they and the
# Qt plugins import is beside them unless Windows brings it itself, and nothing is there that
# none of them loads (what windeployqt would put there); the monitor is a GUI program with the
# application icon and the version resource, the other three are console programs.
#
# usage: windows_files.sh STAGE WINEPREFIX
#   STAGE       the installed Windows build (cmake --install --prefix STAGE)
#   WINEPREFIX  a wine prefix, whose system32 folder stands for the DLLs Windows brings
source "$(dirname "$0")/lib.sh"

stage=${1:?usage: windows_files.sh STAGE WINEPREFIX}
system32=${2:?usage: windows_files.sh STAGE WINEPREFIX}/drive_c/windows/system32
readonly bin=$stage/bin
readonly objdump=x86_64-w64-mingw32-objdump windres=x86_64-w64-mingw32-windres
readonly plugins=(platforms/qwindows.dll styles/qwindowsvistastyle.dll)
readonly runtime=(Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll Qt6Network.dll
    libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)

require_tools "$objdump" "$windres"
[[ -d $system32 ]] || fail "no wine prefix with a system32 folder at $system32"

# The file of that name in a folder, whatever the case of its letters, as Windows finds it.
find_file() {
    find "$1" -maxdepth 1 -iname "$2" -print -quit
}

imports_of() {
    "$objdump" -p "$1" | awk '/DLL Name:/ {print $3}'
}

for file in orvane-monitor.exe orvane-monitor-autostart.exe orvane-check.exe \
    orvane-simdevice.exe "${plugins[@]}" "${runtime[@]}"; do
    [[ -f $bin/$file ]] || fail "$file is not installed"
done

# What loads what, from the programs and plugins on.
declare -A loaded=()
pending=("$bin"/*.exe "${plugins[@]/#/$bin/}")
while ((${#pending[@]})); do
    file=${pending[0]}
    pending=("${pending[@]:1}")
    for dll in $(imports_of "$file"); do
        beside=$(find_file "$bin" "$dll")
        if [[ -n $beside ]]; then
            [[ -n ${loaded[$beside]-} ]] || pending+=("$beside")
            loaded[$beside]=1
        # api-ms-* and ext-ms-*: API sets, which the Windows loader maps onto its own DLLs.
        elif [[ ! ${dll,,} =~ ^(api|ext)-ms- && -z $(find_file "$system32" "$dll") ]]; then
            fail "$(basename "$file") imports $dll, which is neither installed nor part of Windows"
        fi
    done
done
for dll in "$bin"/*.dll; do
    [[ -n ${loaded[$dll]-} ]] || fail "$(basename "$dll") is installed, but nothing loads it"
done
unexpected=$(cd "$stage" && find . -type f | grep -Ev '^\./bin/([^/]+\.(exe|dll)|(platforms|styles)/[^/]+\.dll)$' || true)
[[ -z $unexpected ]] || fail "files besides the programs and what they load: $unexpected"
note "$(find "$stage" -type f | wc -l) files; every import is installed or Windows' own: $(
    cd "$bin" && ls ./*.dll | tr '\n' ' ')"

subsystem() {
    "$objdump" -p "$1" | awk '/^Subsystem/ {$1 = $2 = ""; print substr($0, 3)}'
}
[[ $(subsystem "$bin/orvane-monitor.exe") == "(Windows GUI)" ]] ||
    fail "orvane-monitor.exe is no GUI program: $(subsystem "$bin/orvane-monitor.exe")"
for program in orvane-monitor-autostart.exe orvane-check.exe orvane-simdevice.exe; do
    [[ $(subsystem "$bin/$program") == "(Windows CUI)" ]] ||
        fail "$program is no console program: $(subsystem "$bin/$program")"
done

"$windres" -i "$bin/orvane-monitor.exe" -O rc -o "$scratch/resources.rc" 2>"$scratch/windres.log" ||
    fail "windres cannot read the monitor's resources: $(cat "$scratch/windres.log")"
grep -qF '"IDI_ICON1" 14 /* RT_GROUP_ICON */' "$scratch/resources.rc" ||
    fail "the monitor has no application icon"
for value in '"CompanyName", "Halvorn GmbH"' '"ProductName", "Orvane Monitor"' \
    '"FileVersion", "1.0.13503"' '"ProductVersion", "1.0.13503"'; do
    grep -qF "VALUE $value" "$scratch/resources.rc" ||
        fail "the version resource lacks $value: $(grep VALUE "$scratch/resources.rc")"
done
note "orvane-monitor.exe: GUI program with its icon, $(grep -F '"FileVersion"' "$scratch/resources.rc" | xargs)"
