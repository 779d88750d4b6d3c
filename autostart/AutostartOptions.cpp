#include "AutostartOptions.h"

#include "DeviceAddress.h"

#include <cstdio>

namespace autostart {

namespace {

AutostartOptions refusal(const std::string &reason) {
    AutostartOptions options;
    options.error = reason;
    return options;
}

AutostartOptions withAddress(AutostartAction action, const std::string &address) {
    if (!bIsDeviceAddress(address)) {
        return refusal("\"" + printable(address) +
                       "\" is not an IPv4 address in dotted-quad form such as 192.168.1.10");
    }
    AutostartOptions options;
    options.action = action;
    options.address = canonicalAddress(address);
    return options;
}

// One action with at most one address, the words already split from --all-users.
AutostartOptions parseAction(const std::vector<std::string> &words) {
    if (words.empty()) {
        return refusal("--all-users needs --enable, --disable or --list");
    }
    const std::string &action = words[0];
    if (words.size() > 2 || (words.size() == 2 && action != "--enable" && action != "--disable")) {
        return refusal("unexpected argument \"" + printable(words.back()) + "\"");
    }
    AutostartOptions options;
    if (action == "--enable" && words.size() == 2) {
        return withAddress(AutostartAction::Enable, words[1]);
    }
    if (action == "--enable") {
        return refusal("--enable needs the device's address");
    }
    if (action == "--disable") {
        options.action = AutostartAction::DisableAll;
        return words.size() == 2 ? withAddress(AutostartAction::Disable, words[1]) : options;
    }
    if (action == "--list") {
        options.action = AutostartAction::List;
        return options;
    }
    return refusal("unknown option \"" + printable(action) + "\"");
}

} // namespace

std::string canonicalAddress(const std::string &address) {
    const std::uint32_t dwAddress = dwDottedQuadToIPv4(address.c_str());
    return std::to_string(dwAddress >> 24) + "." + std::to_string(dwAddress >> 16 & 0xFF) + "." +
           std::to_string(dwAddress >> 8 & 0xFF) + "." + std::to_string(dwAddress & 0xFF);
}

std::string printable(const std::string &text) {
    std::string line;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            line += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned>(byte));
            line += escaped;
        }
    }
    return line;
}

AutostartOptions parseAutostartOptions(const std::vector<std::string> &args) {
    AutostartOptions options;
    if (args.empty()) {
        options.action = AutostartAction::StartMonitor;
        return options;
    }
    if (args.size() == 1 && (args[0] == "-h" || args[0] == "--help")) {
        options.action = AutostartAction::ShowHelp;
        return options;
    }
    if (args.size() == 1 && (args[0] == "-V" || args[0] == "--version")) {
        options.action = AutostartAction::ShowVersion;
        return options;
    }
    std::vector<std::string> words;
    bool allUsers = false;
    for (const std::string &arg : args) {
        if (arg == "--all-users") {
            allUsers = true;
        } else {
            words.push_back(arg);
        }
    }
    options = parseAction(words);
    options.allUsers = allUsers;
    return options;
}

} // namespace autostart
