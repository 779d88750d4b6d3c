#!/usr/bin/env bash
# The installed monitor on a desktop whose tray and balloons go over D-Bus, as most panels have
# them: a StatusNotifierWatcher and host (status-notifier-watcher, gtk-sni-tray-standalone), the
# dunst notification daemon and the AT-SPI accessibility bus, on a session bus of the test's own.
# Checked from outside: the item in the watcher and in the host's pixels, its icon, tooltip and
# dbusmenu, activation, one notification per state change, none with balloons switched off, and
# the state as a screen reader reads it from the window. The tooltip names the holder, by its host
# name where the resolver knows one, and the time of each change: the whole session runs with a
# resolver of its own that knows 198.51.100.7 and whose name server never answers, so that a
# lookup of any other holder waits while the monitor goes on.
#
# usage: sni_session.sh STAGE OUTPUT
source "$(dirname "$0")/lib.sh"
printf '%s\n' '127.0.0.1 localhost' "$other_pc labpc-07" >"$scratch/hosts"
script_with_own_resolver "$scratch/hosts" silent "$0" "$@"

set_up_scenario orvane-monitor "$@"
readonly device_address=127.0.0.220
readonly device_name="captureORVANE SNI"

require_tools Xvfb jwm xdotool xprop xwininfo dbus-daemon dbus-send dbus-monitor \
    status-notifier-watcher gtk-sni-tray-standalone dunst
[[ -x /usr/libexec/at-spi-bus-launcher ]] || require_tools at-spi-bus-launcher
/usr/bin/python3 -c 'import gi, pyatspi' 2>/dev/null || require_tools python3-pyatspi
require_magick_tools import convert
# No settings daemon on this bus: the GTK host keeps its settings in memory.
export GSETTINGS_BACKEND=memory

# --- what the desktop shows ----------------------------------------------------------------

# The host's bar, a dock window along the bottom of the screen.
host_bar() {
    first_of "$(xdotool search --onlyvisible --name '^gtk-sni-tray-standalone$' 2>/dev/null)" \
        spans_the_screen
}

spans_the_screen() {
    local width
    read -r _ _ width _ < <(geometry_of "$1")
    ((width == screen_width))
}

# host_shows COLOUR: the host draws the item's icon, scaled to its bar, with the state colour
# around the black silhouette (the bar's own background is neither).
host_shows() {
    local bar
    bar=$(host_bar) && screenshot_window "$bar" "$scratch/host.png" 2>/dev/null || return 1
    host_colour=$(count_colour "$scratch/host.png" "$1")
    host_black=$(count_colour "$scratch/host.png" 000000)
    ((host_colour >= 150 && host_black >= 150))
}

# check_state NAME COLOUR TOOLTIP: host pixels, the icon the item offers, its tooltip, and the
# label's words for a screen reader all tell the state; TOOLTIP is a pattern.
check_state() {
    local name=$1 colour=$2 text=$3 sizes
    wait_until 25 host_shows "$colour" ||
        fail "$name: the host never showed $colour ($host_colour pixels, $host_black black)"
    cp "$scratch/host.png" "$output/sni-host-$name.png"
    sizes=$(probe sni-icon "$item" "$scratch/icon.pam")
    # A picture for every slot size a panel may have, drawn for it rather than scaled.
    [[ $sizes == "16x16 20x20 22x22 24x24 28x28 32x32 33x33 36x36 40x40 44x44 48x48 56x56 64x64" ]] ||
        fail "$name: IconPixmap in the sizes $sizes"
    shows_icon "$scratch/icon.pam" "$colour" ||
        fail "$name: IconPixmap has $around pixels of $colour and $silhouette black ones"
    # While a balloon is up (5 s), Qt's item asks for attention and its tooltip tells the
    # balloon's title and text instead; the state text comes back after it.
    wait_until 10 first_line_matches "$text" probe sni-tooltip "$item" ||
        fail "$name: tooltip $(probe sni-tooltip "$item")"
    wait_until 5 prints "$text" probe a11y-description "$monitor_pid" ||
        fail "$name: a screen reader reads '$(probe a11y-description "$monitor_pid")'"
    note "$name: $colour in the host ($host_colour pixels) and the icon, '$text' in tooltip and" \
        "for screen readers"
}

# first_line_matches PATTERN COMMAND...: the first line that COMMAND prints matches PATTERN;
# prints PATTERN COMMAND...: all that it prints does.
first_line_matches() {
    local pattern=$1 printed
    shift
    printed=$("$@" 2>/dev/null)
    # shellcheck disable=SC2053 # a pattern
    [[ ${printed%%$'\n'*} == $pattern ]]
}
prints() {
    local pattern=$1
    shift
    # shellcheck disable=SC2053 # a pattern
    [[ $("$@" 2>/dev/null) == $pattern ]]
}

# menu_reads SHOW HIDE: the dbusmenu's entries in order, Show and Hide enabled as given.
menu_reads() {
    local expected
    expected=$(printf '%s\n' "Show|$1" "Hide|$2" - "Change IP address|True" - \
        "Show Status Messages|True" - "Open Web interface|True" - "About|True" "Help|True" - \
        "Quit|True")
    [[ $(probe sni-menu "$item") == "$expected" ]]
}

check_menu() {
    menu_reads "$1" "$2" ||
        fail "menu with the window $(window_state): $(probe sni-menu "$item" | tr '\n' ' ')"
}

window_state() {
    if window_shown; then echo shown; else echo hidden; fi
}

notifications() {
    probe notifications "$scratch/notifications.log"
}

# more_notifications_than PATTERN COUNT: whether more than COUNT lines of the notifications match,
# counted anew on every try of a wait.
more_notifications_than() {
    (($(notifications | grep -c "$1") > $2))
}

# change_state NAME COMMAND COLOUR TOOLTIP TEXT: within one poll the new state shows, and dunst
# gets exactly one notification with the balloon's title and text that it closes after 5 s (or,
# for an empty TEXT, none at all).
change_state() {
    local name=$1 command=$2 colour=$3 tooltip=$4 text=$5 before
    before=$(notifications | grep -c '^notify|' || true)
    device_command "$device_address" "$command"
    check_state "$name" "$colour" "$tooltip"
    if [[ -z $text ]]; then
        # The refresh that recoloured would have sent it; give the bus time to carry it.
        sleep 2
        [[ $(notifications | grep -c '^notify|') == "$before" ]] ||
            fail "$name: a notification although balloons are off: $(notifications | tail -n 1)"
        note "$name: no notification with balloons off"
        return
    fi
    wait_until 5 more_notifications_than '^notify|' "$before" ||
        fail "$name: no notification reached dunst"
    # Closed by the daemon as expired (reason 1), five seconds after it came.
    wait_until 10 more_notifications_than '^closed|1|' "$before" ||
        fail "$name: the notification did not expire: $(notifications | tr '\n' ' ')"
    local sent closed seconds
    sent=$(notifications | grep '^notify|' | tail -n +$((before + 1)))
    [[ $sent == "notify|$device_name|$text|5000" ]] || fail "$name: notifications: $sent"
    closed=$(notifications | grep '^closed|' | tail -n 1)
    seconds=${closed##*|}
    ((${seconds%.*} >= 4 && ${seconds%.*} <= 6)) || fail "$name: expired after $seconds s"
    note "$name: one notification '$device_name' / '$text', expired after $seconds s"
}

# --- the session ---------------------------------------------------------------------------

start_x_desktop
start_session_bus
# The accessibility bus that screen readers read (AT-SPI); the program finds it on the session
# bus. The launcher starts the bus and its registry and ends them when it ends.
start_on_bus org.a11y.Bus /usr/libexec/at-spi-bus-launcher
start_on_bus org.kde.StatusNotifierWatcher status-notifier-watcher
start_on_bus org.freedesktop.Notifications dunst
start_process gtk-sni-tray-standalone --bottom --end --color "#4A6B8A" \
    2>"$scratch/host.log"
wait_until 15 host_bar >/dev/null || fail "the host did not start: $(cat "$scratch/host.log")"
start_process dbus-monitor --session "interface='org.freedesktop.Notifications'" \
    >"$scratch/notifications.log" 2>&1
start_device "$stage/bin/orvane-simdevice" "$device_address" "$device_name"

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 launch_monitor "" "$stage/bin/orvane-monitor" "$device_address"
item=$(wait_for 15 probe sni-item "$monitor_pid") || fail "the item never registered with the watcher"
note "item $item registered with the watcher"
(($(notifications | grep -c '^notify|') == 0)) || fail "a notification at start, before any change"
device_text="$device_name ($device_address)" # how the tooltip names the device
check_state available "#00FF00" "$device_text available"

check_menu False True
probe sni-activate "$item"
wait_until 5 window_hidden || fail "activating the item did not hide the window"
check_menu True False
probe sni-activate "$item"
wait_until 5 window_shown || fail "activating the item again did not show the window"
check_menu False True
# Minimised by the window manager, the window is off the screen: "Show" brings it back.
xdotool windowminimize --sync "$main_window"
wait_until 5 menu_reads True False || check_menu True False
probe sni-click "$item" "Show"
wait_until 5 window_shown || fail "Show did not bring the minimised window back"
check_menu False True
note "menu: the entries in order, Show/Hide as the window is; activation hides and shows it," \
    "Show brings a minimised window back"

# Each change of state, and of holder, with the time this monitor saw it: the time of day, with
# the date in front only for a change before today.
since=' since [0-2][0-9]:[0-5][0-9]*'
change_state used-by-other "held $other_pc" "#FFFF00" \
    "$device_text used by another PC: labpc-07 ($other_pc)$since" \
    "captureORVANE is now used by another PC."
# A holder the resolver does not know: its address, at once; the lookup waits at the name server
# meanwhile, and neither the polls nor the window wait for it.
another_pc=${other_pc%.*}.8
change_state other-holder "held $another_pc" "#FFFF00" \
    "$device_text used by another PC: $another_pc$since" ""
wait_until 5 eval '[[ -s $OWN_RESOLVER_QUESTIONS ]]' ||
    fail "the lookup of $another_pc never reached the name server"
polls=$(requests_seen "$device_address")
probe sni-activate "$item"
wait_until 3 window_hidden || fail "the window did not answer while a lookup waited"
probe sni-activate "$item"
wait_until 3 window_shown || fail "the window did not come back while a lookup waited"
wait_until 12 eval '(($(requests_seen "$device_address") > polls))' ||
    fail "no poll while the lookup of $another_pc waited"
note "a lookup that waits at the name server ($(wc -l <"$OWN_RESOLVER_QUESTIONS") questions)" \
    "held up neither the window nor the polls"
change_state available-again free "#00FF00" "$device_text available$since" \
    "captureORVANE is now available."
change_state used-by-this "held 127.0.0.1" "#00FFFF" "$device_text used by this PC$since" \
    "captureORVANE is now used by this PC."
probe sni-click "$item" "Show Status Messages"
change_state no-connection silent "#FF0000" "Cannot connect to $device_text$since" ""

probe sni-click "$item" Quit
expect_exit "$monitor_pid" 15 0 "Quit from the item's menu" "$monitor_trace"
grep -q '^StateChangedMessage=false$' "$(monitor_settings)" ||
    fail "the switched-off balloons were not saved"
echo "StatusNotifierItem session: all checks passed; pictures in $output"
