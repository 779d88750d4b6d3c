# The desktop around the programs on the X server: a window manager and an XEmbed system tray,
# trayer, along the bottom edge (part of tests/lib/common.sh).
# shellcheck shell=bash

# A window manager without a panel of its own, so that trayer is the one system tray.
start_window_manager() {
    cat >"$scratch/jwmrc" <<'JWM'
<?xml version="1.0"?>
<JWM>
  <WindowStyle><Font>DejaVu Sans-9</Font></WindowStyle>
  <FocusModel>click</FocusModel>
  <Desktops width="1" height="1"><Background type="solid">#4a6b8a</Background></Desktops>
</JWM>
JWM
    start_process jwm -f "$scratch/jwmrc" 2>"$scratch/jwm.log"
    wait_until 10 window_manager_runs || fail "jwm did not start: $(cat "$scratch/jwm.log")"
}

# The X server and the window manager, with the pointer in the upper left corner, away from the
# programs' windows, whose tooltips would cover them.
start_x_desktop() {
    start_xvfb
    start_window_manager
    xdotool mousemove 0 0
}

window_manager_runs() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# A full-width panel at the bottom that reserves its strip, as desktop panels do; its pid is
# newest_process afterwards.
start_tray() {
    start_trayer --widthtype percent --width 100 --height 24
    wait_until 10 work_area_is_reduced || fail "the work area never left room for the tray"
}

# start_trayer OPTION...: trayer at the bottom right, with these options for its size.
start_trayer() {
    start_process trayer --edge bottom --align right "$@" --SetDockType true \
        --SetPartialStrut true --transparent false 2>"$scratch/trayer.log"
    wait_until 10 tray_panel >/dev/null || fail "trayer did not start: $(cat "$scratch/trayer.log")"
}

# The window id of trayer's panel.
tray_panel() {
    xwininfo -root -tree 2>/dev/null | awk '/\("panel" "trayer"\)/ {print $1; found=1; exit}
        END {exit !found}'
}

# tray_icon_of PID: the window of that process that trayer has taken into its panel.
tray_icon_of() {
    local panel
    panel=$(tray_panel) && first_of "$(all_windows_of "$1")" is_inside "$panel"
}

# x y width height of the work area, as the window manager publishes it.
work_area() {
    xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g' | awk '{print $1, $2, $3, $4}'
}

work_area_is_reduced() {
    local height
    read -r _ _ _ height < <(work_area) && ((height < screen_height))
}
