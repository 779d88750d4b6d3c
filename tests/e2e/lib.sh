# Shared by the end-to-end scripts: a private X desktop (Xvfb, a window manager, an XEmbed tray),
# processes that are always cleaned up, waiting with time limits, pixel checks, the simulated
# device and the monitor, and a session bus of the test's own with what runs on it.
# Source it; it sets -euo pipefail and an EXIT trap of its own.

set -euo pipefail

SKIP=77 # CTest's SKIP_RETURN_CODE for these tests
e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

started_pids=()
e2e_tmp=$(mktemp -d "${TMPDIR:-/tmp}/orvane-e2e.XXXXXX")

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

note() {
    echo "e2e: $*"
}

# Ends every process this script started, newest first, by its own id, also when a check failed.
# usage: cleanup [STATUS]   (default: the status the script is ending with)
cleanup() {
    local status=${1:-$?}
    local index pid
    for ((index = ${#started_pids[@]} - 1; index >= 0; index--)); do
        pid=${started_pids[index]}
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${started_pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$e2e_tmp"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

remember_pid() {
    started_pids+=("$1")
}

forget_pid() {
    local pid=$1 kept=() other
    for other in "${started_pids[@]}"; do
        [[ $other == "$pid" ]] || kept+=("$other")
    done
    started_pids=("${kept[@]}")
}

# Fails the test with a clear reason when a tool of the desktop package group is missing.
require_tools() {
    local tool missing=()
    for tool in "$@"; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    if ((${#missing[@]})); then
        echo "SKIP: missing ${missing[*]}; install them with scripts/install-deps.sh desktop"
        exit "$SKIP"
    fi
}

# ImageMagick's own programs, never a stand-in that an earlier PATH entry might hold.
magick_tool() {
    if [[ -x /usr/bin/$1 ]]; then echo "/usr/bin/$1"; else command -v "$1"; fi
}

# wait_until SECONDS COMMAND...: runs COMMAND every tenth of a second until it succeeds;
# false when the time runs out.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.1
    done
}

# Starts Xvfb on a display it picks itself, so that parallel runs never meet; sets DISPLAY.
# -noreset: by default the server resets when its last client leaves and drops any client that
# connects meanwhile, such as the window manager right after the readiness probe has left.
start_xvfb() {
    local display_file="$e2e_tmp/display"
    # The helpers get none of the script's own descriptors (fifo writer 7, package lock 8).
    Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" \
        2>"$e2e_tmp/xvfb.log" 7>&- 8>&- &
    remember_pid $!
    wait_until 10 test -s "$display_file" || fail "Xvfb did not start: $(cat "$e2e_tmp/xvfb.log")"
    export DISPLAY=":$(head -n 1 "$display_file")"
    wait_until 10 xprop -root _NET_NOTHING >/dev/null 2>&1 ||
        fail "display $DISPLAY does not answer"
    note "X server on $DISPLAY"
}

# A window manager without a panel of its own, so that trayer is the one system tray.
start_window_manager() {
    cat >"$e2e_tmp/jwmrc" <<'EOF'
<?xml version="1.0"?>
<JWM>
  <WindowStyle><Font>DejaVu Sans-9</Font></WindowStyle>
  <FocusModel>click</FocusModel>
  <Desktops width="1" height="1"><Background type="solid">#4a6b8a</Background></Desktops>
</JWM>
EOF
    jwm -f "$e2e_tmp/jwmrc" 2>"$e2e_tmp/jwm.log" 7>&- 8>&- &
    remember_pid $!
    wait_until 10 wm_is_running || fail "jwm did not start: $(cat "$e2e_tmp/jwm.log")"
}

wm_is_running() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# A full-width panel at the bottom that reserves its strip, as desktop panels do.
start_tray() {
    trayer --edge bottom --align right --widthtype percent --width 100 --height 24 \
        --SetDockType true --SetPartialStrut true --transparent false \
        2>"$e2e_tmp/trayer.log" 7>&- 8>&- &
    remember_pid $!
    wait_until 10 tray_is_running || fail "trayer did not start: $(cat "$e2e_tmp/trayer.log")"
    wait_until 10 work_area_is_reduced || fail "the work area never left room for the tray"
}

tray_is_running() {
    tray_panel >/dev/null
}

# The window id of trayer's panel.
tray_panel() {
    xwininfo -root -tree 2>/dev/null | awk '/\("panel" "trayer"\)/ {print $1; found=1; exit}
        END {exit !found}'
}

# find_tray_icon_of PID: the window of that process that trayer has taken into its panel, as
# tray_icon.
find_tray_icon_of() {
    local panel window
    panel=$(tray_panel) || return 1
    for window in $(xdotool search --pid "$1" 2>/dev/null); do
        if is_inside "$window" "$panel"; then
            tray_icon=$window
            return 0
        fi
    done
    return 1
}

work_area_is_reduced() {
    read -r _ _ _ height < <(work_area) && ((height < 768))
}

# x y width height of the work area, as the window manager publishes it.
work_area() {
    xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g' | awk '{print $1, $2, $3, $4}'
}

# The parent of a window.
parent_of() {
    xwininfo -children -id "$1" | awk '/Parent window id:/ {print $4}'
}

# Whether window $1 lies somewhere below window $2.
is_inside() {
    local window=$1 ancestor=$2 root
    root=$(xwininfo -root | awk '/Window id:/ {print $4}')
    while [[ -n $window && $window != "$root" && $window != 0x0 ]]; do
        window=$(parent_of "$window")
        (($(printf '%d' "$window") == $(printf '%d' "$ancestor"))) && return 0
    done
    return 1
}

# x y width height of a window on the screen (its inside, without the frame).
geometry_of() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}

# left right top bottom of the frame the window manager draws around a window.
frame_extents_of() {
    xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g'
}

# Writes the pixels of a window, as the screen shows them, to a PNG file.
screenshot_window() {
    "$(magick_tool import)" -silent -window "$1" "$2"
}

# screenshot_area X Y WIDTH HEIGHT FILE
screenshot_area() {
    "$(magick_tool import)" -silent -window root -crop "${3}x${4}+${1}+${2}" +repage "$5"
}

# The number of pixels of exactly the colour #RRGGBB in a picture.
count_colour() {
    local wanted=${2^^}
    "$(magick_tool convert)" "$1" -alpha off -depth 8 -format %c histogram:info:- |
        awk -v wanted="#$wanted" '$3 == wanted {sub(":", "", $1); count=$1} END {print count+0}'
}

# The most frequent colour of a picture, as #RRGGBB.
main_colour() {
    "$(magick_tool convert)" "$1" -alpha off -depth 8 -format %c histogram:info:- |
        sort -rn | awk 'NR == 1 {print $3}'
}

# Whether a child process has ended (gone, or a zombie waiting for its exit code to be read).
process_ended() {
    [[ ! -e /proc/$1 ]] || [[ $(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) == Z ]]
}

# wait_for_exit PID SECONDS: waits for a child to end and sets exit_code to its exit code (not
# through a command substitution: a subshell cannot wait for its parent's children).
wait_for_exit() {
    wait_until "$2" process_ended "$1" || fail "process $1 did not end within $2 s"
    exit_code=0
    wait "$1" || exit_code=$?
    forget_pid "$1"
}

# --- the simulated device, commanded through a fifo ----------------------------------------
# The scripts set stage, device_address and device_name before they use these, and
# simdevice_program where the device is not the installed one (the wine session's runs natively).

start_device() {
    mkfifo "$e2e_tmp/device.in"
    "${simdevice_program:-$stage/bin/orvane-simdevice}" --address "$device_address" --name "$device_name" \
        <"$e2e_tmp/device.in" >"$e2e_tmp/device.out" 2>&1 &
    device_pid=$!
    remember_pid "$device_pid"
    exec 7>"$e2e_tmp/device.in"
    wait_until 5 grep -q "listening on $device_address" "$e2e_tmp/device.out" ||
        fail "device did not start: $(cat "$e2e_tmp/device.out")"
}

# Sends one command and waits for the device's answer to it, which must be "ok: ...".
device_command() {
    local before
    before=$(wc -l <"$e2e_tmp/device.out")
    # Writing to the fifo of an ended device would end this script by SIGPIPE, unexplained.
    process_ended "$device_pid" || echo "$1" >&7
    if ! wait_until 5 device_has_more_lines_than "$before"; then
        device_condition
        fail "device gave no answer to '$1' ($device_state): $(tail -n 3 "$e2e_tmp/device.out")"
    fi
    device_answer=$(tail -n 1 "$e2e_tmp/device.out")
    [[ $device_answer == ok:* ]] || fail "device refused '$1': $device_answer"
}

# Whether the device has printed more than that many lines: counted anew on every try, where an
# argument to wait_until would be counted once, when the wait begins.
device_has_more_lines_than() {
    (($(wc -l <"$e2e_tmp/device.out") > $1))
}

# Sets device_state: whether the device still runs, or how it ended (not in a command
# substitution, whose subshell cannot wait for the device).
device_condition() {
    device_state="it runs"
    if process_ended "$device_pid"; then
        local status=0
        wait "$device_pid" || status=$?
        device_state="it ended with $status"
    fi
}

# How many state requests the device has seen: one per poll of the monitor.
requests_seen() {
    device_command status
    requests=$(sed -n 's/.* \([0-9][0-9]*\) requests seen$/\1/p' <<<"$device_answer")
    [[ -n $requests ]] || fail "no request count in: $device_answer"
}

# --- the monitor -----------------------------------------------------------------------------

start_monitor() {
    # Emptied here: the background job's own redirections happen whenever it gets to them, and
    # until then an earlier run's trace would still be there to be read.
    : >"$e2e_tmp/monitor.out"
    : >"$e2e_tmp/monitor.err"
    "$@" >"$e2e_tmp/monitor.out" 2>"$e2e_tmp/monitor.err" 7>&- &
    monitor_pid=$!
    remember_pid "$monitor_pid"
}

press_key_in() {
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"
    xdotool key "$2"
}

# The monitor window: the mapped window of the program that carries the device's name.
find_main_window() {
    main_window=$(xdotool search --all --onlyvisible --pid "$monitor_pid" --name "^$device_name\$" \
        2>/dev/null | head -n 1)
    [[ -n $main_window ]]
}

label_has_colour() {
    screenshot_window "$main_window" "$e2e_tmp/label.png" 2>/dev/null &&
        [[ $(main_colour "$e2e_tmp/label.png") == "$1" ]]
}


# --- the monitor beside an XEmbed tray, checked from outside -------------------------------
# Shared by the Linux and the wine session. The scripts set output, device_name, other_pc,
# main_window, tray_icon, monitor_pid, and define find_balloon and windows_of_monitor: where the tray icon
# and the balloons come from differs.

no_balloon() {
    ! find_balloon
}

# find_box TITLE: a mapped window of the program with that title.
find_box() {
    box=$(xdotool search --all --onlyvisible --pid "$monitor_pid" --name "^$1\$" 2>/dev/null |
        head -n 1)
    [[ -n $box ]]
}

# The balloon points at the tray icon but may cover the window, so a change is seen here first.
tray_has_colour() {
    screenshot_window "$tray_icon" "$e2e_tmp/tray.png" 2>/dev/null &&
        (($(count_colour "$e2e_tmp/tray.png" "${1#\#}") >= 60))
}

check_window_placement() {
    local x y w h left right top bottom ax ay aw ah
    read -r x y w h < <(geometry_of "$main_window")
    read -r left right top bottom < <(frame_extents_of "$main_window")
    read -r ax ay aw ah < <(work_area)
    frame_x=$((x - left)) frame_y=$((y - top))
    local frame_right=$((x + w - 1 + right)) frame_bottom=$((y + h - 1 + bottom))
    local area_right=$((ax + aw - 1)) area_bottom=$((ay + ah - 1))
    note "window ${w}x${h} at $x,$y, frame $frame_x,$frame_y..$frame_right,$frame_bottom," \
        "work area $ax,$ay ${aw}x${ah}"
    ((frame_x >= ax && frame_y >= ay && frame_right <= area_right && frame_bottom <= area_bottom)) ||
        fail "the window does not lie within the work area"
    # Lower right: no more room beside or below it than its own frame takes.
    ((area_right - frame_right <= left + right && area_bottom - frame_bottom <= top + bottom)) ||
        fail "the window is not at the lower right corner of the work area"
}

check_window_looks() {
    xprop -id "$main_window" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE ||
        fail "the window does not stay on top: $(xprop -id "$main_window" _NET_WM_STATE)"
    xprop -id "$main_window" _NET_WM_NAME | grep -qF "= \"$device_name\"" ||
        fail "window title: $(xprop -id "$main_window" _NET_WM_NAME)"
}

# check_colours COLOUR: the label and the tray icon show the state colour.
check_colours() {
    local colour=$1 area text
    screenshot_window "$main_window" "$e2e_tmp/label.png"
    [[ $(main_colour "$e2e_tmp/label.png") == "$colour" ]] ||
        fail "label is $(main_colour "$e2e_tmp/label.png"), not $colour"
    # The address is written on the colour.
    area=$(identify_area "$e2e_tmp/label.png")
    text=$((area - $(count_colour "$e2e_tmp/label.png" "${colour#\#}")))
    ((text >= 30)) || fail "no text on the label ($text pixels besides the colour)"

    screenshot_window "$tray_icon" "$output/tray-${colour#\#}.png"
    local around silhouette
    around=$(count_colour "$output/tray-${colour#\#}.png" "${colour#\#}")
    silhouette=$(count_colour "$output/tray-${colour#\#}.png" 000000)
    # 16x16 picture: about 80 pixels of colour around the silhouette, 102 black ones on its face.
    ((around >= 60 && silhouette >= 90)) ||
        fail "tray icon: $around pixels of $colour and $silhouette black ones"
    # Where the program paints its tray window itself (tray_fills_slot), the icon fills the slot:
    # the colour in its corners, and the face whole at the slot's whole-number scale.
    [[ -z ${tray_fills_slot:-} ]] && return
    local w h r b corners scale
    read -r w h < <("$(magick_tool convert)" "$output/tray-${colour#\#}.png" -format '%w %h\n' info:)
    r=$((w - 1)) b=$((h - 1)) scale=$(((w < h ? w : h) / 16))
    corners=$("$(magick_tool convert)" "$output/tray-${colour#\#}.png" -alpha off -depth 8 \
        -format "#%[hex:p{0,0}] #%[hex:p{$r,0}] #%[hex:p{0,$b}] #%[hex:p{$r,$b}]" info:)
    [[ $corners == "$colour $colour $colour $colour" ]] && ((silhouette == 102 * scale ** 2)) ||
        fail "tray icon ${w}x${h}: corners $corners, $silhouette black pixels, not $((102 * scale ** 2))"
}

identify_area() {
    "$(magick_tool convert)" "$1" -format '%[fx:w*h]' info:
}

# The window and the tray icon, as the user sees them at the lower right.
screenshot_corner() {
    local x=$((frame_x - 12)) y=$((frame_y - 12))
    screenshot_area "$x" "$y" $((1024 - x)) $((768 - y)) "$1"
}

# change_state NAME COMMAND COLOUR TITLE BALLOON_TEXT: the device changes, and within one poll
# the label and the tray icon show the new colour, and a balloon says what happened.
change_state() {
    local name=$1 command=$2 colour=$3 title=$4 text=$5 before
    device_command "$command"
    requests_seen
    before=$requests
    wait_until 25 tray_has_colour "$colour" || fail "$name: the tray icon never turned $colour"
    requests_seen
    ((requests - before <= 1)) || fail "$name: recoloured only after $((requests - before)) polls"
    wait_until 10 find_balloon ||
        fail "$name: no balloon; trace: $(cat "$e2e_tmp/monitor.err"); windows: $(windows_of_monitor)"
    local bx by bw bh
    read -r bx by bw bh < <(geometry_of "$balloon")
    screenshot_area $((bx - 8)) $((by - 8)) $((1024 - bx + 8)) $((768 - by + 8)) \
        "$output/balloon-$name.png"
    grep -qF "balloon: $title | $text" "$e2e_tmp/monitor.err" ||
        fail "$name: balloon text; trace: $(grep balloon "$e2e_tmp/monitor.err")"
    note "$name: $colour within one poll, balloon '$text' (${bw}x${bh} at $bx,$by)"
    # Five seconds on screen (or balloon_seconds, where the tray decides); the state picture is
    # taken without it.
    wait_until "${balloon_seconds:-10}" no_balloon || fail "$name: the balloon stays"
    # Where the balloon covered the window, the window paints that part again once it is gone.
    wait_until 5 label_has_colour "$colour" || true
    check_colours "$colour"
    xprop -id "$main_window" _NET_WM_NAME | grep -qF "= \"$title\"" ||
        fail "$name: window title $(xprop -id "$main_window" _NET_WM_NAME)"
    screenshot_corner "$output/state-$name.png"
}

# The monitor, just started against a free device and found with its tray icon: its window in
# place, then each state in turn. usage: go_through_states THIS_PC (an address of this PC's)
go_through_states() {
    check_window_looks
    check_window_placement
    wait_until 10 label_has_colour "#00FF00" || fail "the label never turned green"
    check_colours "#00FF00"
    no_balloon || fail "a balloon at start, before any change"
    screenshot_corner "$output/state-available.png"
    note "available: green, at the lower right, on top, titled '$device_name'"

    change_state used-by-other "held $other_pc" "#FFFF00" "$device_name" \
        "captureORVANE is now used by another PC."
    change_state used-by-this "held $1" "#00FFFF" "$device_name" \
        "captureORVANE is now used by this PC."
    # Without an answer there is no name: the title falls back to "Relay Host", while the
    # balloon still names the kind of device decided at the first answer.
    change_state no-connection silent "#FF0000" "Relay Host" "No connection to captureORVANE."
}

# The four state pictures of change_state and the first one side by side, twice the size, pixel
# for pixel, for the README.
montage_states() {
    local corner_width
    corner_width=$("$(magick_tool convert)" "$output/state-available.png" -format '%w' info:)
    "$(magick_tool montage)" -font DejaVu-Sans -pointsize 14 -background '#f4f4f4' -filter point \
        -geometry "$((corner_width * 2))x+10+8" -tile 2x2 \
        -label "available" "$output/state-available.png" \
        -label "used by another PC" "$output/state-used-by-other.png" \
        -label "used by this PC" "$output/state-used-by-this.png" \
        -label "no connection" "$output/state-no-connection.png" \
        "$1"
}

# --- a session bus of the test's own, and what runs on it ----------------------------------

# Starts a session bus that starts no service by itself, so that every program on it is one this
# script started (and ends); sets DBUS_SESSION_BUS_ADDRESS.
start_session_bus() {
    cat >"$e2e_tmp/bus.conf" <<EOT
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$e2e_tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOT
    dbus-daemon --config-file="$e2e_tmp/bus.conf" --nofork --print-address=3 \
        3>"$e2e_tmp/bus.address" 2>"$e2e_tmp/bus.log" 7>&- 8>&- &
    remember_pid $!
    wait_until 10 test -s "$e2e_tmp/bus.address" ||
        fail "the session bus did not start: $(cat "$e2e_tmp/bus.log")"
    export DBUS_SESSION_BUS_ADDRESS
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$e2e_tmp/bus.address")
}

# start_on_bus NAME COMMAND...: starts a program and waits until it owns NAME on the session bus.
start_on_bus() {
    local name=$1 log="$e2e_tmp/${2##*/}.log"
    shift
    "$@" >"$log" 2>&1 7>&- 8>&- &
    remember_pid $!
    wait_until 15 bus_has_name "$name" || fail "$1 did not take $name on the bus: $(cat "$log")"
}

bus_has_name() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
}

# The accessibility bus that screen readers read (AT-SPI); the program finds it on the session
# bus. The launcher starts the bus and its registry and ends them when it ends.
start_accessibility_bus() {
    start_on_bus org.a11y.Bus /usr/libexec/at-spi-bus-launcher
}

# Reads what the desktop shows of the program (tests/e2e/desktop_probe.py), with the system's
# Python, which has the D-Bus and AT-SPI bindings of the desktop package group.
probe() {
    /usr/bin/python3 "$e2e_dir/desktop_probe.py" "$@"
}
