# Windows on the X server, read from outside with xdotool, xprop and xwininfo: a process's
# windows, their place and frame, their parents, and keys sent to them (part of
# tests/lib/common.sh). Window ids are printed; a function that finds nothing fails, so that
# wait_for can wait for it.
# shellcheck shell=bash

# visible_window PID TITLE: the first mapped window of that process with exactly that title.
visible_window() {
    local window
    window=$(xdotool search --all --onlyvisible --pid "$1" --name "^$2\$" 2>/dev/null |
        head -n 1) || true
    [[ -n $window ]] && echo "$window"
}

# visible_windows_of PID: the process's mapped windows, one id a line (none: fails).
visible_windows_of() {
    xdotool search --onlyvisible --pid "$1" 2>/dev/null
}

# all_windows_of PID: the process's windows, mapped or not, one id a line (none: fails).
all_windows_of() {
    xdotool search --pid "$1" 2>/dev/null
}

# describe_windows PID...: id, name and map state of every window of these processes, for a
# failure message.
describe_windows() {
    local pid window
    for pid in "$@"; do
        for window in $(all_windows_of "$pid"); do
            xwininfo -id "$window" |
                awk '/Window id:/ {$1=$2=""; printf "%s", $0} /Map State/ {print "", $3}'
        done
    done
}

# is_inside ANCESTOR WINDOW: whether WINDOW lies somewhere below ANCESTOR, parent by parent.
is_inside() {
    local ancestor=$1 window=$2 root
    root=$(xwininfo -root | awk '/Window id:/ {print $4}')
    while [[ -n $window && $window != "$root" && $window != 0x0 ]]; do
        window=$(xwininfo -children -id "$window" | awk '/Parent window id:/ {print $4}')
        (($(printf '%d' "$window") == $(printf '%d' "$ancestor"))) && return 0
    done
    return 1
}

# x y width height of a window on the screen (its inside, without the frame).
geometry_of() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}

# left right top bottom of the frame the window manager draws around a window; an empty line
# until it has told them, or without a window manager.
frame_extents_of() {
    xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g; /not found/s/.*//'
}

# frame_of WINDOW: x y width height of the window's frame; fails until the window system tells.
frame_of() {
    local x y w h left right top bottom
    read -r x y w h < <(geometry_of "$1")
    read -r left right top bottom < <(frame_extents_of "$1")
    [[ -n $bottom && ${w:-0} -gt 0 ]] || return 1
    echo "$((x - left)) $((y - top)) $((w + left + right)) $((h + top + bottom))"
}

# x y of a window's frame on the screen: where the user sees the window, and where the monitor
# keeps it in its settings; fails until the window system tells the frame.
frame_position_of() {
    local frame
    frame=$(frame_of "$1") || return 1
    echo "${frame% * *}"
}

# tooltip_window_of PID: the process's mapped window of the tooltip type: a tooltip, or the balloon
# that Qt draws itself where there is no notification service.
tooltip_window_of() {
    first_of "$(visible_windows_of "$1")" is_tooltip
}

is_tooltip() {
    xprop -id "$1" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q TOOLTIP
}

# press_key_in WINDOW KEY: the window gets the focus, then the key.
press_key_in() {
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"
    xdotool key "$2"
}
