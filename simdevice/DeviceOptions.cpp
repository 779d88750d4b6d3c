#include "DeviceOptions.h"

#include "DeviceAddress.h"

#include <charconv>
#include <getopt.h>

namespace simdevice {

namespace {

// Only -h is a short option too; the other letters only tell the long options apart.
constexpr option LONG_OPTIONS[] = {
    {"address", required_argument, nullptr, 'a'},
    {"port", required_argument, nullptr, 'p'},
    {"name", required_argument, nullptr, 'n'},
    {"user", required_argument, nullptr, 'u'},
    {"allow-non-loopback", no_argument, nullptr, 'l'},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

// Applies one option that getopt_long accepted; false with a reason when its value is bad.
bool applyOption(int key, const std::string &value, DeviceOptions *options, std::string *error) {
    unsigned long port = 0;
    switch (key) {
    case 'a':
        options->address = value;
        if (!bIsDeviceAddress(value)) {
            *error = "--address needs a dotted-quad IPv4 address, not '" + value + "'";
            return false;
        }
        return true;
    case 'p':
        if (!parseNumber(value, 1, 65535, &port)) {
            *error = "--port needs a number from 1 to 65535, not '" + value + "'";
            return false;
        }
        options->port = std::uint16_t(port);
        return true;
    case 'n':
        options->name = value;
        return true;
    case 'u':
        options->user = value;
        return true;
    case 'l':
        options->allowNonLoopback = true;
        return true;
    default:
        options->help = true;
        return true;
    }
}

} // namespace

bool parseDeviceOptions(const std::vector<std::string> &arguments, DeviceOptions *options,
                        std::string *error) {
    std::vector<std::string> words = {"orvane-simdevice"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const int argc = int(words.size());
    // "+": the first argument that is no option ends them; ":": a missing value is told apart.
    opterr = 0;
    optind = 0; // from the start, also when parsed before
    for (int at = 1, key;
         (key = getopt_long(argc, argv.data(), "+:h", LONG_OPTIONS, nullptr)) != -1; at = optind) {
        const std::string argument = argv[at];
        if (key == ':') {
            *error = argument + " needs a value";
            return false;
        }
        if (key == '?') {
            *error = "unknown argument '" + argument + "'";
            return false;
        }
        if (!applyOption(key, optarg != nullptr ? optarg : "", options, error)) {
            return false;
        }
    }
    if (optind < argc) {
        *error = "unknown argument '" + words[std::size_t(optind)] + "'";
        return false;
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

bool parseNumber(const std::string &text, unsigned long minimum, unsigned long maximum,
                 unsigned long *value) {
    // No sign, no blanks, no digits beyond the number, nothing beyond unsigned long.
    const char *end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, *value);
    return failure == std::errc() && stop == end && *value >= minimum && *value <= maximum;
}

} // namespace simdevice
