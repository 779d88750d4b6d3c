#!/usr/bin/env python3
"""Reads what the desktop shows of a program, from outside it, for the end-to-end tests.

usage: desktop_probe.py COMMAND ARGUMENTS...
  sni-item PID               the bus name of the program's StatusNotifierItem that the watcher
                             lists, or exit code 1 while there is none
  sni-tooltip NAME           the item's tooltip: title and text on one line each
  sni-icon NAME FILE         writes the largest of the item's IconPixmap pictures to FILE as a
                             PAM picture; prints the sizes of them all: "16x16 22x22 ..."
  sni-menu NAME              the item's dbusmenu, one line per entry: "label|enabled" or "-"
  sni-click NAME LABEL       sends "clicked" to the menu entry with that label
  sni-activate NAME          activates the item, as a left click in the host does
  notifications LOG          from a dbus-monitor log of org.freedesktop.Notifications: one line
                             "notify|TITLE|TEXT|TIMEOUT" per Notify call and
                             "closed|REASON|SECONDS" per NotificationClosed (seconds since its
                             Notify)
  a11y-description PID       the accessible description of the program's label
  desktop-exec FILE          the command line that a desktop entry starts, one argument a line,
                             as GLib reads the entry and splits its Exec (what GNOME's session
                             does with autostart entries); exit code 1 when GLib refuses the
                             entry, as for a TryExec that is not there

The session bus is the one DBUS_SESSION_BUS_ADDRESS names; the accessibility bus is found on it.
"""
import re
import sys

from gi.repository import Gio, GLib

WATCHER = ("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
           "org.kde.StatusNotifierWatcher")
ITEM_PATH = "/StatusNotifierItem"
ITEM_INTERFACE = "org.kde.StatusNotifierItem"
MENU_INTERFACE = "com.canonical.dbusmenu"


def call(name, path, interface, method, arguments=None, reply=None):
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    result = bus.call_sync(name, path, interface, method, arguments,
                           GLib.VariantType(reply) if reply else None,
                           Gio.DBusCallFlags.NONE, 5000, None)
    return result.unpack() if result else None


def get_property(name, path, interface, prop):
    return call(name, path, "org.freedesktop.DBus.Properties", "Get",
                GLib.Variant("(ss)", (interface, prop)), "(v)")[0]


def process_of(name):
    return call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                "GetConnectionUnixProcessID", GLib.Variant("(s)", (name,)), "(u)")[0]


def sni_item(pid):
    try:
        entries = get_property(*WATCHER, "RegisteredStatusNotifierItems")
    except GLib.Error:
        return 1
    for entry in entries:
        # "NAME" or "NAME/PATH", as watchers differ in what they list
        name = entry.split("/", 1)[0]
        if process_of(name) == int(pid):
            print(name)
            return 0
    return 1


def item_property(name, prop):
    return get_property(name, ITEM_PATH, ITEM_INTERFACE, prop)


def sni_tooltip(name):
    _icon, _pixmaps, title, text = item_property(name, "ToolTip")
    print(title, text, sep="\n")


def sni_icon(name, file):
    pixmaps = item_property(name, "IconPixmap")
    print(" ".join("%dx%d" % (pixmap[0], pixmap[1]) for pixmap in pixmaps))
    width, height, argb = max(pixmaps, key=lambda pixmap: pixmap[0] * pixmap[1])
    rgba = bytearray()
    for index in range(0, len(argb), 4):  # ARGB32 in network byte order
        alpha, red, green, blue = argb[index:index + 4]
        rgba += bytes((red, green, blue, alpha))
    with open(file, "wb") as out:
        out.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
                  % (width, height))
        out.write(bytes(rgba))


def menu_entries(name):
    _revision, (_id, _props, children) = call(name, item_property(name, "Menu"), MENU_INTERFACE,
                                              "GetLayout",
                                              GLib.Variant("(iias)", (0, -1, [])),
                                              "(u(ia{sv}av))")
    return [(entry_id, props) for entry_id, props, _children in children]


def sni_menu(name):
    for _entry_id, props in menu_entries(name):
        if props.get("type") == "separator":
            print("-")
        else:
            print("%s|%s" % (props.get("label", ""), props.get("enabled", True)))


def sni_click(name, label):
    for entry_id, props in menu_entries(name):
        if props.get("label") == label:
            call(name, item_property(name, "Menu"), MENU_INTERFACE, "Event",
                 GLib.Variant("(isvu)", (entry_id, "clicked", GLib.Variant("i", 0), 0)))
            return 0
    print("no menu entry " + label, file=sys.stderr)
    return 1


def sni_activate(name):
    call(name, ITEM_PATH, ITEM_INTERFACE, "Activate", GLib.Variant("(ii)", (0, 0)))


def notifications(log):
    """dbus-monitor writes a header line with the time, then one line per argument."""
    messages = []
    for line in open(log, encoding="utf-8", errors="replace"):
        header = re.match(r"(method call|signal) time=([0-9.]+) .*member=(\w+)", line)
        if header:
            messages.append([header.group(3), float(header.group(2)), []])
        elif messages:
            argument = re.match(r'\s+(string|int32|uint32) "?(.*?)"?$', line)
            if argument:
                messages[-1][2].append(argument.group(2))
    sent = {}
    for member, time, arguments in messages:
        if member == "Notify":
            # app, replaces id, icon, title, text, (actions), (hints), timeout
            print("notify|%s|%s|%s" % (arguments[3], arguments[4], arguments[-1]))
            sent["last"] = time
        elif member == "NotificationClosed" and "last" in sent:
            print("closed|%s|%.1f" % (arguments[1], time - sent["last"]))


# The first label of the program's accessible tree. The accessibility bindings are loaded only
# here: the other commands run without them.
def a11y_description(pid):
    import pyatspi
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == int(pid):
            labels = pyatspi.utils.findAllDescendants(
                app, lambda each: each.getRole() == pyatspi.ROLE_LABEL)
            if labels:
                print(labels[0].description)
                return 0
    return 1


def desktop_exec(path):
    info = Gio.DesktopAppInfo.new_from_filename(path)
    if info is None:
        return 1
    # GLib's field codes, with no file to open: %% is a percent sign, the file and URL codes
    # leave nothing. An entry of ours has no other.
    codes = {"%": "%", "f": "", "F": "", "u": "", "U": ""}
    command = re.sub(r"%(.)", lambda code: codes[code.group(1)], info.get_commandline())
    _, arguments = GLib.shell_parse_argv(command)
    print("\n".join(arguments))


COMMANDS = {command.__name__.replace("_", "-"): command for command in (
    sni_item, sni_tooltip, sni_icon, sni_menu, sni_click, sni_activate, notifications,
    a11y_description, desktop_exec)}

if __name__ == "__main__":
    if len(sys.argv) < 2 or sys.argv[1] not in COMMANDS:
        sys.exit(__doc__)
    # A command returns 1 where it finds nothing, and nothing otherwise.
    sys.exit(COMMANDS[sys.argv[1]](*sys.argv[2:]))
