// The console on Windows. A blocking read of standard input cannot be woken portably, so a stop
// request ends the process from the handler's thread, with the exit code of a normal end; the
// system closes the device's socket with the process.
#include "ConsoleInput.h"

#include <windows.h>

#include <iostream>

namespace simdevice {

namespace {

BOOL WINAPI endOnStopRequest(DWORD) {
    ::ExitProcess(0);
}

} // namespace

ConsoleInput::ConsoleInput() {
    ::SetConsoleCtrlHandler(endOnStopRequest, TRUE);
}

void ConsoleInput::run(const std::function<void(const std::string &)> &handleLine) {
    std::string line;
    while (std::getline(std::cin, line)) {
        handleLine(line);
    }
}

} // namespace simdevice
