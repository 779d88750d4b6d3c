# The monitor beside an XEmbed tray (trayer), checked from outside: its window's place, stacking
# and title, the colours of its label and tray icon, and a balloon for each change of state.
# Shared by the Linux session (desktop_session.sh) and the wine session (wine_session.sh); source
# it after lib.sh.
#
# go_through_states and change_state take the monitor under test as the name of an associative
# array that watch_monitor fills in (any name but the_monitor and watched, which these functions
# use for it):
#   [pid]        the monitor's process id
#   [window]     its window                     [tray_icon]  its icon's window in trayer's panel
#   [device]     the simulated device's address [name]       the device's name, the window's title
#   [output]     the folder for the screenshots
#   [tray]       whose windows the tray icon and the balloons are: "qt", the program's own (Qt
#                paints its tray window over trayer's whole slot and shows each balloon for five
#                seconds), or "wine", those of wine's explorer (it keeps a balloon 10 to 30 s,
#                whatever time the program asks for, as Windows did before Vista, and shows it 2 s
#                after it was asked for)
# shellcheck shell=bash

# tray_has_colour TRAY_ICON COLOUR. The balloon points at the tray icon but may cover the window,
# so a change is seen here first.
tray_has_colour() {
    screenshot_window "$1" "$scratch/tray.png" 2>/dev/null &&
        (($(count_colour "$scratch/tray.png" "$2") >= 60))
}

# frame_stands_at WINDOW "X Y": the window's frame is there. The monitor puts it there once the
# window manager has told the frame's size, which a busy one does only a while after the window
# shows.
frame_stands_at() {
    [[ $(frame_position_of "$1") == "$2" ]]
}

# comes_back_at WINDOW "X Y" WHAT
comes_back_at() {
    wait_until 10 frame_stands_at "$1" "$2" ||
        fail "$3 at $(frame_position_of "$1"), not at the saved $2"
}

# check_window_placement WINDOW: the window's frame lies within the work area, in its lower right
# corner.
check_window_placement() {
    local frame x y w h left right top bottom ax ay aw ah
    frame=$(wait_for 10 frame_of "$1") || fail "the window manager never told the window's frame"
    read -r x y w h <<<"$frame"
    read -r left right top bottom < <(frame_extents_of "$1")
    read -r ax ay aw ah < <(work_area)
    note "window frame ${w}x${h} at $x,$y (borders $left $right $top $bottom), work area $ax,$ay" \
        "${aw}x${ah}"
    ((x >= ax && y >= ay && x + w <= ax + aw && y + h <= ay + ah)) ||
        fail "the window does not lie within the work area"
    # Lower right: no more room beside or below it than its own frame takes.
    ((ax + aw - x - w <= left + right && ay + ah - y - h <= top + bottom)) ||
        fail "the window is not at the lower right corner of the work area"
}

# check_window_looks WINDOW TITLE [WHAT]: the window carries the title; without WHAT, at the start,
# it stays on top as well.
check_window_looks() {
    [[ -n ${3-} ]] || xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE ||
        fail "the window does not stay on top: $(xprop -id "$1" _NET_WM_STATE)"
    xprop -id "$1" _NET_WM_NAME | grep -qF "= \"$2\"" ||
        fail "${3:+$3: }window title $(xprop -id "$1" _NET_WM_NAME)"
}

# check_state_colours MONITOR COLOUR: the label and the tray icon show the state colour, and where
# the program paints its tray icon itself, the icon fills its slot; the tray icon's picture stays
# as tray-RRGGBB.png in the output folder.
check_state_colours() {
    local -n the_monitor=$1
    local colour=$2 tray_picture=${the_monitor[output]}/tray-${2#\#}.png label=$scratch/label.png
    local area text
    screenshot_window "${the_monitor[window]}" "$label"
    [[ $(main_colour "$label") == "$colour" ]] || fail "label is $(main_colour "$label"), not $colour"
    # The address is written on the colour.
    area=$("$(magick_tool convert)" "$label" -format '%[fx:w*h]' info:)
    text=$((area - $(count_colour "$label" "$colour")))
    ((text >= 30)) || fail "no text on the label ($text pixels besides the colour)"

    screenshot_window "${the_monitor[tray_icon]}" "$tray_picture"
    shows_icon "$tray_picture" "$colour" ||
        fail "tray icon: $around pixels of $colour and $silhouette black ones"
    [[ ${the_monitor[tray]} != qt ]] || check_tray_fills_slot "$tray_picture" "$colour"
}

# check_tray_fills_slot PICTURE COLOUR: a tray icon that the program paints itself fills trayer's
# slot: the colour in its corners, and the face whole at the slot's whole-number scale.
check_tray_fills_slot() {
    local picture=$1 colour=$2 width height scale corners silhouette
    read -r width height < <(picture_size "$picture")
    scale=$(((width < height ? width : height) / 16))
    corners=$(corner_colours "$picture")
    silhouette=$(count_colour "$picture" 000000)
    if [[ $corners != "$colour $colour $colour $colour" ]] || ((silhouette != 102 * scale ** 2)); then
        fail "tray icon ${width}x${height}: corners $corners, $silhouette black pixels," \
            "not $((102 * scale ** 2))"
    fi
}

# screenshot_corner WINDOW FILE: the window and the tray icon, as the user sees them at the lower
# right.
screenshot_corner() {
    local x y
    read -r x y < <(frame_position_of "$1")
    x=$((x - 12)) y=$((y - 12))
    screenshot_area "$x" "$y" $((screen_width - x)) $((screen_height - y)) "$2"
}

# watch_monitor MONITOR TRAY: fills in the monitor under test from monitor_pid and main_window
# (launch_monitor), device_address, device_name, output and the TRAY ("qt" or "wine"), and waits
# for its tray icon, which it also sets as tray_icon; position is where the window's frame first
# stands.
watch_monitor() {
    declare -gA "$1"
    local -n watched=$1
    watched=([pid]=$monitor_pid [window]=$main_window [device]=$device_address
        [name]=$device_name [output]=$output [tray]=$2)
    tray_icon=$(wait_for 10 tray_icon_of_monitor "$1") ||
        fail "the tray icon was not docked in the tray: $(balloon_candidates "$1")"
    watched+=([tray_icon]=$tray_icon)
    position=$(wait_for 10 frame_position_of "$main_window") ||
        fail "the window manager never told the window's frame"
    note "monitor window $main_window, tray icon $tray_icon ($2)"
}

# tray_owner MONITOR: the process whose windows the tray icon and the balloons are.
tray_owner() {
    local -n the_monitor=$1
    if [[ ${the_monitor[tray]} == wine ]]; then explorer_pid; else echo "${the_monitor[pid]}"; fi
}

# The owner is asked again on each try: wine's explorer may still be starting.
tray_icon_of_monitor() {
    tray_icon_of "$(tray_owner "$1")"
}

# balloon_of MONITOR: the window of the balloon that is up for the monitor; fails while none is.
balloon_of() {
    local -n the_monitor=$1
    local panel
    # Qt's own balloon without a notification service: a tooltip-type window of the program.
    if [[ ${the_monitor[tray]} == qt ]]; then
        tooltip_window_of "${the_monitor[pid]}"
        return
    fi
    # Wine's explorer shows it for the program, beside the tray and outside it.
    panel=$(tray_panel) && first_of "$(visible_windows_of "$(explorer_pid)")" is_outside "$panel"
}

# is_outside ANCESTOR WINDOW
is_outside() {
    ! is_inside "$@"
}

no_balloon() {
    ! balloon_of "$1" >/dev/null
}

# How long a balloon may stay up, in seconds.
balloon_seconds() {
    local -n the_monitor=$1
    if [[ ${the_monitor[tray]} == wine ]]; then echo 15; else echo 10; fi
}

# The windows that could be the monitor's tray icon or balloon, for a failure message.
balloon_candidates() {
    local -n the_monitor=$1
    describe_windows "$(tray_owner "$1")"
    [[ ${the_monitor[tray]} == qt ]] || describe_windows "${the_monitor[pid]}"
}

# change_state MONITOR NAME COMMAND COLOUR TITLE BALLOON_TEXT: the device changes, and within one
# poll the label and the tray icon show the new colour, and a balloon says what happened. A
# silence is shown once the device has been asked again, a second after the poll.
change_state() {
    local -n the_monitor=$1
    local name=$2 command=$3 colour=$4 title=$5 text=$6
    local window=${the_monitor[window]} icon=${the_monitor[tray_icon]} output=${the_monitor[output]}
    local before after balloon asks=1
    [[ $command != silent ]] || asks=2
    device_command "${the_monitor[device]}" "$command"
    before=$(requests_seen "${the_monitor[device]}")
    wait_until 25 tray_has_colour "$icon" "$colour" || fail "$name: the tray icon never turned $colour"
    after=$(requests_seen "${the_monitor[device]}")
    ((after - before <= asks)) || fail "$name: recoloured only after $((after - before)) requests"
    balloon=$(wait_for 10 balloon_of "$1") ||
        fail "$name: no balloon; trace: $(cat "$monitor_trace"); windows: $(balloon_candidates "$1")"
    local bx by bw bh
    read -r bx by bw bh < <(geometry_of "$balloon")
    screenshot_area $((bx - 8)) $((by - 8)) $((screen_width - bx + 8)) $((screen_height - by + 8)) \
        "$output/balloon-$name.png"
    grep -qF "balloon: $title | $text" "$monitor_trace" ||
        fail "$name: balloon text; trace: $(grep balloon "$monitor_trace")"
    note "$name: $colour within one poll, balloon '$text' (${bw}x${bh} at $bx,$by)"
    # The state picture is taken without the balloon.
    wait_until "$(balloon_seconds "$1")" no_balloon "$1" || fail "$name: the balloon stays"
    # Where the balloon covered the window, the window paints that part again once it is gone.
    wait_until 5 label_has_colour "$window" "$colour" || true
    check_state_colours "$1" "$colour"
    check_window_looks "$window" "$title" "$name"
    screenshot_corner "$window" "$output/state-$name.png"
}

# go_through_states MONITOR THIS_PC: the monitor, just started against a free device and found
# with its tray icon: its window in place, then each state in turn. THIS_PC is an address that
# the monitor counts as this PC's.
go_through_states() {
    local -n the_monitor=$1
    local window=${the_monitor[window]} name=${the_monitor[name]}
    check_window_looks "$window" "$name"
    check_window_placement "$window"
    wait_until 10 label_has_colour "$window" "#00FF00" || fail "the label never turned green"
    check_state_colours "$1" "#00FF00"
    no_balloon "$1" || fail "a balloon at start, before any change"
    screenshot_corner "$window" "${the_monitor[output]}/state-available.png"
    note "available: green, at the lower right, on top, titled '$name'"

    change_state "$1" used-by-other "held $other_pc" "#FFFF00" "$name" \
        "captureORVANE is now used by another PC."
    change_state "$1" used-by-this "held $2" "#00FFFF" "$name" \
        "captureORVANE is now used by this PC."
    lose_one_request "$1" "#00FFFF"
    # A device that stops answering keeps its name, so that the balloon says which one it is.
    change_state "$1" no-connection silent "#FF0000" "$name" "No connection to captureORVANE."
}

# requests_past DEVICE COUNT: the device has seen more than COUNT requests.
requests_past() {
    (($(requests_seen "$1") > $2))
}

# trace_count KIND: the monitor's trace lines of that kind (state, balloon) so far.
trace_count() {
    grep -c "^orvane.monitor: $1:" "$monitor_trace" || true
}

# lose_one_request MONITOR COLOUR: the device loses one request; the monitor asks again a second
# later and shows neither red nor a balloon.
lose_one_request() {
    local -n the_monitor=$1
    local device=${the_monitor[device]} before balloons
    balloons=$(trace_count balloon)
    device_command "$device" "lose 1"
    before=$(requests_seen "$device")
    # The lost request and the ask a second later; a monitor that showed the silence at once
    # would have shown it before it asked again, at the next poll.
    wait_until 25 requests_past "$device" $((before + 1)) || fail "lost request: no poll after it"
    ! grep -q '^orvane.monitor: state: 0 ' "$monitor_trace" || fail "a lost request showed red"
    (($(trace_count balloon) == balloons)) ||
        fail "a balloon for a lost request: $(grep balloon "$monitor_trace" | tail -n 1)"
    check_state_colours "$1" "$2"
    note "one lost request: asked again a second later, no red and no balloon"
}

# montage_states OUTPUT FILE: the four state pictures of go_through_states side by side, twice the
# size, pixel for pixel, for the README.
montage_states() {
    local corner_width
    read -r corner_width _ < <(picture_size "$1/state-available.png")
    "$(magick_tool montage)" -font DejaVu-Sans -pointsize 14 -background '#f4f4f4' -filter point \
        -geometry "$((corner_width * 2))x+10+8" -tile 2x2 \
        -label "available" "$1/state-available.png" \
        -label "used by another PC" "$1/state-used-by-other.png" \
        -label "used by this PC" "$1/state-used-by-this.png" \
        -label "no connection" "$1/state-no-connection.png" \
        "$2"
}
