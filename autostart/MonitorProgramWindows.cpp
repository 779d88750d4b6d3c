// The monitor beside this program on Windows, found through the module's own file name, and
// started as a process of its own whose exit status this program waits for and hands on.
#include "MonitorProgram.h"

#include "AutostartUsage.h"
#include "LoginStarts.h"
#include "WideText.h"

#include <windows.h>

#include <cstdio>

namespace autostart {

namespace {

constexpr wchar_t kMonitorProgram[] = L"orvane-monitor.exe";

// The full path of this program, however long.
std::wstring ownPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), size);
        if (length == 0) {
            throw LoginStartError("cannot tell where this program lies: " +
                                  systemMessage(::GetLastError()));
        }
        if (length < size) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring monitorPathWide() {
    const std::wstring self = ownPath();
    return self.substr(0, self.find_last_of(L'\\') + 1) + kMonitorProgram;
}

int failure(const std::string &reason) {
    std::fprintf(stderr, "%s: %s\n", kProgram, reason.c_str());
    return 1;
}

} // namespace

std::string monitorProgramPath() {
    return narrowed(monitorPathWide());
}

int runMonitor(const std::optional<std::string> &address) {
    std::wstring program;
    try {
        program = monitorPathWide();
    } catch (const LoginStartError &error) {
        return failure(error.what());
    }
    std::wstring commandLine = L"\"" + program + L"\"";
    if (address) {
        commandLine += L" " + widened(*address);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process)) {
        return failure("cannot start " + narrowed(program) + ": " +
                       systemMessage(::GetLastError()));
    }
    ::CloseHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}

} // namespace autostart
