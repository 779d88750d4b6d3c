#include "DeviceOptions.h"

#include "NetworkText.h"

namespace simdevice {

namespace {

bool isDottedQuad(const std::string &text) {
    std::uint32_t address = 0;
    return parseIPv4(text, &address);
}

// Applies one option with its value; false with a reason when the value is bad.
bool applyOption(const std::string &option, const std::string &value, DeviceOptions *options,
                 std::string *error) {
    if (option == "--address") {
        options->address = value;
        if (!isDottedQuad(value)) {
            *error = "--address needs a dotted-quad IPv4 address, not '" + value + "'";
            return false;
        }
    } else if (option == "--port") {
        if (!parsePort(value, &options->port)) {
            *error = "--port needs a number from 1 to 65535, not '" + value + "'";
            return false;
        }
    } else if (option == "--name") {
        options->name = value;
    } else {
        options->user = value;
    }
    return true;
}

bool takesValue(const std::string &option) {
    return option == "--address" || option == "--port" || option == "--name" || option == "--user";
}

} // namespace

bool parseDeviceOptions(const std::vector<std::string> &arguments, DeviceOptions *options,
                        std::string *error) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string option = arguments[i];
        if (option == "-h" || option == "--help") {
            options->help = true;
            continue;
        }
        if (option == "--allow-non-loopback") {
            options->allowNonLoopback = true;
            continue;
        }
        std::string value;
        const std::size_t equals = option.find('=');
        if (equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
        } else if (takesValue(option)) {
            if (i + 1 >= arguments.size()) {
                *error = option + " needs a value";
                return false;
            }
            value = arguments[++i];
        }
        if (!takesValue(option)) {
            *error = "unknown argument '" + arguments[i] + "'";
            return false;
        }
        if (!applyOption(option, value, options, error)) {
            return false;
        }
    }
    return true;
}

// The manual page is made from this text by help2man: the synopsis stays on the "Usage:" line,
// the options are indented, and a title with a colon above an indented block is a subsection.
std::string deviceUsage(const std::string &program) {
    return "Usage: " + program +
           " [--address A] [--port P] [--name NAME] [--user ADDR] [--allow-non-loopback]"
           " [-h|--help]\n"
           "Plays an Orvane device: answers every \"state\" request on UDP port P of address A\n"
           "with NAME#ADDR. Reads commands from standard input (type \"help\"); ends at end of\n"
           "input, on SIGINT or SIGTERM.\n"
           "\n"
           "Options:\n"
           "  --address A           listen on IPv4 address A (default 127.0.0.1); only loopback\n"
           "                        addresses (127.0.0.0/8) unless --allow-non-loopback is given\n"
           "  --port P              listen on UDP port P (default " +
           std::to_string(orvane::kQueryPort) +
           ")\n"
           "  --name NAME           the device name in the answer (default \"captureORVANE\")\n"
           "  --user ADDR           the address of the PC that holds the device, in the answer\n"
           "                        (default \"0.0.0.0\": the device is free)\n"
           "  --allow-non-loopback  let --address be outside 127.0.0.0/8\n"
           "  -h, --help            print this help\n"
           "\n"
           "Exit status:\n"
           "  0  end of input, SIGINT or SIGTERM, or after --help\n"
           "  1  the device could not listen on the address and port\n"
           "  2  a wrong command line, or an address outside 127.0.0.0/8 without\n"
           "     --allow-non-loopback\n";
}

} // namespace simdevice
