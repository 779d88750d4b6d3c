#include "DeviceConsole.h"

#include "ByteText.h"
#include "DeviceOptions.h"

#include <algorithm>

namespace simdevice {

namespace {

constexpr std::size_t OVERSIZED_REPLY_LENGTH = 200; // the query's buffer holds 128 bytes
constexpr unsigned LONGEST_DELAY_MS = 60000;
constexpr unsigned LONGEST_LOSS = 1000;

// Bytes as the console shows them: "TEXT" (N bytes), every byte visible.
std::string quoted(const std::string &bytes) {
    // Appended rather than added to a literal in front: g++ 12 warns of that for no reason
    // (-Wrestrict, GCC bug 105329).
    return std::string("\"").append(orvane::escapeBytes(bytes)) + "\" (" +
           std::to_string(bytes.size()) + " bytes)";
}

} // namespace

std::pair<std::string, std::string> splitAtBlank(const std::string &text) {
    const std::size_t blank = text.find(' ');
    if (blank == std::string::npos) {
        return {text, ""};
    }
    return {text.substr(0, blank), text.substr(blank + 1)};
}

DeviceConsole::DeviceConsole(SimulatedDevice &device, const std::string &name,
                             const std::string &user)
    : device(device), name(name), user(user) {
    device.answerWith(name, user);
}

std::string DeviceConsole::execute(std::string line) {
    line.erase(line.find_last_not_of("\r\n") + 1); // the CR of a line ended by CR LF
    const auto [command, argument] = splitAtBlank(line);
    if (command == "free") {
        user = "0.0.0.0";
        return answerNameAndUser();
    }
    if (command == "held") {
        if (argument.empty()) {
            return "error: held needs the address of the PC that holds the device";
        }
        user = argument;
        return answerNameAndUser();
    }
    if (command == "name") {
        name = argument;
        return answerNameAndUser();
    }
    if (command == "silent") {
        device.beSilent();
        return "ok: silent, requests get no answer";
    }
    if (command == "raw") {
        std::string bytes;
        std::string error;
        if (!orvane::unescapeBytes(argument, &bytes, &error)) {
            return "error: raw: " + error;
        }
        return answerRaw(bytes, "raw");
    }
    if (command == "oversized") {
        std::string bytes = name + "#" + user;
        bytes.resize(std::max(bytes.size(), OVERSIZED_REPLY_LENGTH), ' ');
        return answerRaw(bytes, "oversized");
    }
    if (command == "nohash") {
        return answerRaw(name, "nohash");
    }
    if (command == "delay") {
        unsigned long milliseconds = 0;
        if (!parseNumber(argument, 0, LONGEST_DELAY_MS, &milliseconds)) {
            return "error: delay needs milliseconds from 0 to " + std::to_string(LONGEST_DELAY_MS);
        }
        device.answerAfter(unsigned(milliseconds));
        return "ok: " + describeAnswer();
    }
    if (command == "lose") {
        unsigned long count = 0;
        if (!parseNumber(argument, 0, LONGEST_LOSS, &count)) {
            return "error: lose needs a number of requests from 0 to " +
                   std::to_string(LONGEST_LOSS);
        }
        device.loseRequests(unsigned(count));
        return "ok: the next " + std::to_string(count) + " requests get no answer, then " +
               describeAnswer();
    }
    if (command == "foreign") {
        const auto [address, portText] = splitAtBlank(argument);
        unsigned long port = 0;
        std::string error = "foreign needs ADDRESS PORT (PORT 0: any)";
        if (!parseNumber(portText, 0, 65535, &port) ||
            !device.sendForeignFirst(address, std::uint16_t(port), &error)) {
            return "error: " + error;
        }
        return "ok: every request draws " + quoted(SimulatedDevice::kForeignDatagram) + " from " +
               address + " first";
    }
    if (command == "status") {
        return "ok: " + describeAnswer() + ", " + std::to_string(device.requestsSeen()) +
               " requests seen";
    }
    if (command == "last") {
        return "ok: last request " + quoted(device.lastRequest());
    }
    if (command == "help") {
        return "ok: commands: free | held ADDR | name [NAME] | silent | raw TEXT (escapes \\xNN "
               "\\0 \\n \\r \\t \\\\) | oversized | nohash | delay MS | lose N | foreign ADDR PORT "
               "| "
               "status | last | help; "
               "end of input quits";
    }
    if (command.empty()) {
        return "error: empty command (type help)";
    }
    return "error: unknown command '" + command + "' (type help)";
}

std::string DeviceConsole::answerNameAndUser() {
    device.answerWith(name, user);
    return "ok: " + describeAnswer();
}

std::string DeviceConsole::answerRaw(const std::string &bytes, const std::string &what) {
    device.answerRaw(bytes);
    return "ok: " + what + ", " + describeAnswer();
}

std::string DeviceConsole::describeAnswer() const {
    if (device.isSilent()) {
        return "silent";
    }
    const std::string reply = device.answer();
    const unsigned delay = device.answerDelayMs();
    return "answering " + quoted(reply) +
           (delay > 0 ? " after " + std::to_string(delay) + " ms" : "");
}

} // namespace simdevice
