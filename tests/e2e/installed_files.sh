#!/usr/bin/env bash
# What cmake --install puts down: the programs, the menu entry, the login entry template and the
# entries the helper makes of it, the icons and the metainfo, each in its place and valid for the
# desktop tools.
# usage: installed_files.sh STAGE
source "$(dirname "$0")/lib.sh"

stage=${1:?usage: installed_files.sh STAGE}
require_tools desktop-file-validate appstreamcli gio

for program in orvane-monitor orvane-monitor-autostart orvane-simdevice orvane-check; do
    [[ -x $stage/bin/$program ]] || fail "bin/$program is not installed"
done
desktop_file=$stage/share/applications/$app_id.desktop
autostart_template=$stage/share/orvane-monitor/orvane-monitor-autostart.desktop
metainfo=$stage/share/metainfo/$app_id.metainfo.xml
for file in "$desktop_file" "$autostart_template" "$metainfo" \
    "$stage/share/doc/orvane-monitor/README.md"; do
    [[ -f $file ]] || fail "${file#"$stage"/} is not installed"
done

# Every icon size, each a PNG of its nominal size.
for size in "${icon_sizes[@]}"; do
    icon=$stage/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    [[ -f $icon ]] || fail "no ${size}x${size} icon"
    read -r width height < <(od -An -tu1 -j16 -N8 "$icon" |
        awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [[ $width == "$size" && $height == "$size" ]] || fail "icon $size is ${width}x${height}"
done

desktop-file-validate "$desktop_file" || fail "desktop-file-validate rejects the menu entry"
desktop-file-validate "$autostart_template" || fail "desktop-file-validate rejects the autostart entry"
grep -qx "Icon=$app_id" "$desktop_file" || fail "menu entry names another icon"
grep -Eq '^Categories=.*(Network|Utility);' "$desktop_file" || fail "menu entry category"
# The keys with which desktops hold the entry back until the panel with the tray is up.
for key in X-GNOME-Autostart-Delay X-KDE-autostart-after=panel X-LXQt-Need-Tray=true; do
    grep -q "^$key" "$autostart_template" || fail "autostart entry lacks $key"
done
appstreamcli validate --no-net --explain "$metainfo" || fail "appstreamcli rejects the metainfo"
grep -q "<release version=\"$("$stage/bin/orvane-check" -V | awk '{print $2}')\"" "$metainfo" ||
    fail "the metainfo's release is not the programs' version"

# The login entries of orvane-monitor-autostart, from a copy of the helper and the template in a
# folder whose name needs every kind of quoting in Exec, with a stand-in monitor that notes how it
# was started: the entry is valid, and the desktop's own launch (gio launch, GLib as GNOME's
# session uses it) starts the monitor beside the helper for the device. It never touches the
# user's real configuration here.
export XDG_CONFIG_HOME=$scratch/config
readonly address=127.0.3.25 # only text in the entry
odd=$(realpath "$scratch")/'odd $HOME `x` "q" \ folder'
mkdir -p "$odd/bin" "$odd/share/orvane-monitor"
cp "$stage/bin/orvane-monitor-autostart" "$odd/bin/"
cp "$autostart_template" "$odd/share/orvane-monitor/"
cat >"$odd/bin/orvane-monitor" <<'EOF'
#!/bin/sh
printf '%s\n' "$0" "$@" >"$0.started"
EOF
chmod +x "$odd/bin/orvane-monitor"
"$odd/bin/orvane-monitor-autostart" --enable "$address" >/dev/null
entry=$XDG_CONFIG_HOME/autostart/orvane-monitor-$address.desktop
desktop-file-validate "$entry" || fail "the login entry is not valid: $(cat "$entry")"
gio launch "$entry" >"$scratch/launch.log" 2>&1 || fail "gio launch: $(cat "$scratch/launch.log")"
wait_until 10 test -s "$odd/bin/orvane-monitor.started" ||
    fail "the login entry started nothing: $(grep ^Exec= "$entry")"
[[ $(cat "$odd/bin/orvane-monitor.started") == "$odd/bin/orvane-monitor"$'\n'"$address" ]] ||
    fail "the login entry started $(cat "$odd/bin/orvane-monitor.started")"
"$odd/bin/orvane-monitor-autostart" --disable "$address" >/dev/null
[[ ! -e $entry ]] || fail "--disable left the entry"
echo "installed files: all checks passed"
