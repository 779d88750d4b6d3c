#!/usr/bin/env bash
# The tray icon as trayer shows it at display scales of 100 %, 150 % and 200 %, for the README:
# the installed monitor with QT_SCALE_FACTOR on a private X server, beside a free simulated
# device, in a trayer panel as high as the scale asks (24, 36, 48 pixels). Each picture is the
# panel's end with the icon, enlarged four times pixel for pixel: tray-100.png, tray-150.png and
# tray-200.png.
#
# usage: scripts/tray-screenshots.sh [STAGE [OUTPUT]]
#   STAGE   an installed tree, by default build/tests/e2e/stage (ctest -R e2e.stage makes it)
#   OUTPUT  default docs/screenshots
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
stage=${1:-$root/build/tests/e2e/stage}
output=${2:-$root/docs/screenshots}

# panel_shows_green TRAY_ICON PICTURE: the panel as the screen shows it, with the whole icon in
# it, as PICTURE: green yet? trayer takes the icon into a panel 2 pixels wide and grows it around
# the icon afterwards; a picture from before holds only a strip of the icon.
panel_shows_green() {
    local x y w h icon_x icon_y icon_w icon_h
    read -r x y w h < <(geometry_of "$(tray_panel)")
    read -r icon_x icon_y icon_w icon_h < <(geometry_of "$1")
    ((icon_x >= x && icon_y >= y && icon_x + icon_w <= x + w && icon_y + icon_h <= y + h)) &&
        screenshot_area "$x" "$y" "$w" "$h" "$2" 2>/dev/null &&
        (($(count_colour "$2" 00FF00) > 0))
}

# One scale: a desktop of its own, which lib.sh takes down again when this process ends.
if [[ ${1:-} == --scale ]]; then
    scale=$2 height=$3 stage=$4 picture=$5
    # shellcheck source=../tests/e2e/lib.sh
    source "$root/tests/e2e/lib.sh"
    readonly device_address=127.0.0.151 device_name="captureORVANE"
    use_private_home
    unset DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM WAYLAND_DISPLAY
    # The window away from the lower right corner, where it would cover the panel's end: trayer
    # grows the panel around the icon only after the monitor has placed its window.
    mkdir -p "$XDG_CONFIG_HOME"
    printf '[Orvane%%20Monitor]\npos=@Point(100 100)\n' >"$(monitor_settings)"
    start_xvfb
    start_window_manager
    start_trayer --widthtype request --height "$height"
    start_device "$stage/bin/orvane-simdevice" "$device_address" "$device_name"
    QT_SCALE_FACTOR=$scale start_monitor "$stage/bin/orvane-monitor" "$device_address"
    monitor_pid=$!
    tray_icon=$(wait_for 15 tray_icon_of "$monitor_pid") ||
        fail "the tray icon was not embedded: $(cat "$monitor_trace")"
    wait_until 10 panel_shows_green "$tray_icon" "$scratch/panel.png" ||
        fail "the tray icon never turned green"
    read -r _ _ icon_width icon_height < <(geometry_of "$tray_icon")
    # The face of the silhouette whole at the whole-number scale of the icon's window: not blurred.
    factor=$(((icon_width < icon_height ? icon_width : icon_height) / 16))
    black=$(count_colour "$scratch/panel.png" 000000)
    ((black == 102 * factor ** 2)) ||
        fail "$scale: $black black pixels in the tray, not those of the face at ${factor}x"
    "$(magick_tool convert)" "$scratch/panel.png" -filter point -resize 400% "$picture"
    note "$scale: tray icon ${icon_width}x${icon_height} in a panel of" \
        "$(picture_size "$scratch/panel.png" | tr ' ' x) pixels: $picture"
    exit 0
fi

[[ -x $stage/bin/orvane-monitor ]] || {
    echo "no installed program in $stage (run ctest --test-dir build -R e2e.stage)" >&2
    exit 1
}
mkdir -p "$output"
for setting in "1 24 100" "1.5 36 150" "2 48 200"; do
    read -r scale height percent <<<"$setting"
    "$0" --scale "$scale" "$height" "$stage" "$output/tray-$percent.png"
done
