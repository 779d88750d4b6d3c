#include "ProcessMetrics.h"

#include "Exposition.h"

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace orvaneexporter {

namespace {

// The fields of /proc/self/stat after the program's name (which may hold blanks and
// parentheses): the process state first, so that field N of proc(5) is fields[N - 3].
std::vector<std::string> statFields() {
    std::ifstream file("/proc/self/stat");
    const std::string line((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    std::istringstream rest(line.substr(line.rfind(')') + 1));
    std::vector<std::string> fields;
    for (std::string field; rest >> field;) {
        fields.push_back(field);
    }
    return fields;
}

double seconds(const timespec &time) {
    return double(time.tv_sec) + double(time.tv_nsec) / 1e9;
}

// The start, in clock ticks after boot, as Unix time: the clock since boot (suspend included, as
// the kernel counts the start) tells how long ago that was.
double startTime(double startTicks, double ticksPerSecond) {
    timespec now{};
    timespec sinceBoot{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    ::clock_gettime(CLOCK_BOOTTIME, &sinceBoot);
    return seconds(now) - (seconds(sinceBoot) - startTicks / ticksPerSecond);
}

std::string sample(const char *name, const char *type, const char *help, double value) {
    return metricHeader(name, type, help) + name + " " + sampleValue(value) + "\n";
}

} // namespace

std::string processExposition() {
    const std::vector<std::string> fields = statFields();
    std::string text;
    if (fields.size() > 21) {
        const double ticks = double(::sysconf(_SC_CLK_TCK));
        const double pageBytes = double(::sysconf(_SC_PAGESIZE));
        text += sample("process_cpu_seconds_total", "counter",
                       "User and system CPU time spent in seconds.",
                       (std::stod(fields[11]) + std::stod(fields[12])) / ticks);
        text += sample("process_start_time_seconds", "gauge",
                       "Start time of the process since unix epoch in seconds.",
                       startTime(std::stod(fields[19]), ticks));
        text += sample("process_virtual_memory_bytes", "gauge", "Virtual memory size in bytes.",
                       std::stod(fields[20]));
        text += sample("process_resident_memory_bytes", "gauge", "Resident memory size in bytes.",
                       std::stod(fields[21]) * pageBytes);
    }
    std::error_code error;
    const auto descriptors = std::filesystem::directory_iterator("/proc/self/fd", error);
    if (!error) {
        // Less the one that lists them.
        text += sample("process_open_fds", "gauge", "Number of open file descriptors.",
                       double(std::distance(begin(descriptors), end(descriptors)) - 1));
    }
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        text += sample("process_max_fds", "gauge", "Maximum number of open file descriptors.",
                       double(limit.rlim_cur));
    }
    return text;
}

} // namespace orvaneexporter
