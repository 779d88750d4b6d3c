#include "DeviceConsole.h"

#include "ByteText.h"

#include <algorithm>

namespace simdevice {

namespace {

constexpr std::size_t OVERSIZED_REPLY_LENGTH = 200; // the query's buffer holds 128 bytes
constexpr unsigned LONGEST_DELAY_MS = 60000;

// "300" -> 300; plain digits up to a minute.
bool parseDelay(const std::string &text, unsigned *milliseconds) {
    if (text.empty() || text.size() > 5 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    *milliseconds = unsigned(std::stoul(text));
    return *milliseconds <= LONGEST_DELAY_MS;
}

// Splits "command argument" at the first blank; the argument keeps any further blanks.
void splitCommand(const std::string &line, std::string *command, std::string *argument) {
    const std::size_t blank = line.find(' ');
    *command = line.substr(0, blank);
    *argument = blank == std::string::npos ? "" : line.substr(blank + 1);
}

std::string withoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.pop_back();
    }
    return line;
}

} // namespace

DeviceConsole::DeviceConsole(SimulatedDevice &device, const std::string &name,
                             const std::string &user)
    : device(device), name(name), user(user) {
    device.answerWith(name, user);
}

std::string DeviceConsole::execute(const std::string &rawLine) {
    std::string command;
    std::string argument;
    splitCommand(withoutLineEnd(rawLine), &command, &argument);
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
        if (!decodeByteText(argument, &bytes, &error)) {
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
        unsigned milliseconds = 0;
        if (!parseDelay(argument, &milliseconds)) {
            return "error: delay needs milliseconds from 0 to " + std::to_string(LONGEST_DELAY_MS);
        }
        device.answerAfter(milliseconds);
        return "ok: " + describeAnswer();
    }
    if (command == "status") {
        return "ok: " + describeAnswer() + ", " + std::to_string(device.requestsSeen()) +
               " requests seen";
    }
    if (command == "help") {
        return help();
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
    return "answering \"" + encodeByteText(reply) + "\" (" + std::to_string(reply.size()) +
           " bytes)" + (delay > 0 ? " after " + std::to_string(delay) + " ms" : "");
}

std::string DeviceConsole::help() {
    return "ok: commands: free | held ADDR | name [NAME] | silent | raw TEXT (escapes \\xNN \\0 "
           "\\n \\r \\t \\\\) | oversized | nohash | delay MS | status | help; end of input "
           "quits";
}

} // namespace simdevice
