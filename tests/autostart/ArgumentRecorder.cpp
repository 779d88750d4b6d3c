// Stands in for the monitor in the Windows test of orvane-monitor-autostart: appends the command
// line it was started with, split as Qt splits the monitor's (CommandLineToArgvW), to a file
// beside itself, NAME.exe.started: one line per start, the arguments separated by tabs. Then ends.
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

std::wstring ownPath() {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

std::string utf8(const std::wstring &text) {
    const int size = static_cast<int>(text.size());
    std::string bytes(static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, text.data(), size,
                                                                     nullptr, 0, nullptr, nullptr)),
                      '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(),
                          static_cast<int>(bytes.size()), nullptr, nullptr);
    return bytes;
}

} // namespace

int main() {
    int count = 0;
    wchar_t **arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::wstring line;
    for (int index = 0; index < count; ++index) {
        line += (index > 0 ? L"\t" : L"") + std::wstring(arguments[index]);
    }
    ::LocalFree(arguments);
    const std::string bytes = utf8(line + L"\n");
    const HANDLE file = ::CreateFileW((ownPath() + L".started").c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    const BOOL wrote =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return wrote ? 0 : 1;
}
