// The monitor beside this program on Linux, found through /proc, and started in this process's
// place, so that its exit status is this program's.
#include "MonitorProgram.h"

#include "AutostartUsage.h"
#include "LoginStarts.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace autostart {

namespace {

constexpr char kMonitorProgram[] = "orvane-monitor";

} // namespace

std::string monitorProgramPath() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        throw LoginStartError("cannot tell where this program lies: " + error.message());
    }
    return (self.parent_path() / kMonitorProgram).string();
}

int runMonitor(const std::optional<std::string> &address) {
    std::string program;
    try {
        program = monitorProgramPath();
    } catch (const LoginStartError &failure) {
        std::fprintf(stderr, "%s: %s\n", kProgram, failure.what());
        return 1;
    }
    std::string argument = address.value_or("");
    std::vector<char *> arguments = {program.data()};
    if (address) {
        arguments.push_back(argument.data());
    }
    arguments.push_back(nullptr);
    ::execv(program.c_str(), arguments.data());
    std::fprintf(stderr, "%s: cannot start %s: %s\n", kProgram, program.c_str(),
                 std::strerror(errno));
    return 1;
}

} // namespace autostart
