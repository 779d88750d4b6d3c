// Standard input as the console of orvane-simdevice: read line by line until its end or until
// someone asks the program to stop (SIGINT or SIGTERM on Linux; Ctrl+C, Ctrl+Break or the console
// closing on Windows). One implementation per system (ConsoleInputPosix.cpp,
// ConsoleInputWindows.cpp; CMake picks one).
#pragma once

#include <functional>
#include <string>

namespace simdevice {

class ConsoleInput {
public:
    // Takes over the stop requests; made before any thread starts, which on Linux inherits the
    // signal mask.
    ConsoleInput();
    ConsoleInput(const ConsoleInput &) = delete;
    ConsoleInput &operator=(const ConsoleInput &) = delete;

    // Hands each line, without its line end, to handleLine; a last line without one as well.
    // Returns at the end of input or on a stop request.
    void run(const std::function<void(const std::string &)> &handleLine);

private:
    int stopRequests = -1; // the descriptor that reports stop signals, where there is one
};

} // namespace simdevice
