#include "DesktopEntry.h"

#include "AutostartOptions.h"
#include "LoginStarts.h"

#include <algorithm>
#include <sstream>

namespace autostart {

namespace {

// Backslashes doubled: what a string value turns back into the text.
std::string asStringValue(const std::string &text) {
    std::string value;
    for (const char c : text) {
        value += c == '\\' ? "\\\\" : std::string(1, c);
    }
    return value;
}

// A line end has no place in a key's value. A % would be doubled in Exec, as the desktop entry
// rules want, but GLib (GNOME) looks for the program under the doubled name and skips the entry.
void requireWritable(const std::string &path) {
    const bool unwritable = std::any_of(path.begin(), path.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '%';
    });
    if (path.empty() || unwritable) {
        throw LoginStartError("the monitor's path " + printable(path) +
                              " cannot be written in a login entry: a control character or % in "
                              "it");
    }
}

bool hasKey(const std::string &line, const std::string &key) {
    return line.compare(0, key.size() + 1, key + "=") == 0;
}

std::string valueOf(const std::string &line) {
    const std::size_t equals = line.find('=');
    return equals == std::string::npos ? std::string() : line.substr(equals + 1);
}

} // namespace

std::string execArgument(const std::string &argument) {
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return asStringValue(quoted + "\"");
}

std::string loginEntryText(const std::string &templateText, const std::string &monitorPath,
                           const std::string &address) {
    requireWritable(monitorPath);
    std::istringstream lines(templateText);
    std::string entry;
    bool exec = false;
    bool inGroup = false;
    for (std::string line; std::getline(lines, line);) {
        inGroup = inGroup || line.compare(0, 1, "[") == 0;
        if (!inGroup) {
            continue; // the template's own notes, above its group
        }
        if (hasKey(line, "Exec")) {
            line = "Exec=" + execArgument(monitorPath) + " " + address;
            exec = true;
        } else if (hasKey(line, "TryExec")) {
            line = "TryExec=" + asStringValue(monitorPath);
        } else if (hasKey(line, "Name")) {
            line += " " + address;
        } else if (hasKey(line, "Comment")) {
            line = "Comment=Watches the instrument at " + address;
        }
        entry += line + "\n";
    }
    if (!exec) {
        throw LoginStartError("the login entry template has no Exec key");
    }
    return entry;
}

bool isSwitchedOff(const std::string &entryText) {
    std::istringstream lines(entryText);
    for (std::string line; std::getline(lines, line);) {
        if ((hasKey(line, "Hidden") && valueOf(line) == "true") ||
            (hasKey(line, "X-GNOME-Autostart-enabled") && valueOf(line) == "false")) {
            return true;
        }
    }
    return false;
}

} // namespace autostart
