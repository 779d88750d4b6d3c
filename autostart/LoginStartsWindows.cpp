// Login starts on Windows: one value per device in the Run key, which Windows runs at login,
// named "Orvane Monitor ADDRESS" and holding the monitor's quoted full path and the address.
// This user's key is under HKEY_CURRENT_USER, the one for all users under HKEY_LOCAL_MACHINE
// (administrators only may write it); both in the 64-bit view of the registry. Values of other
// names are never touched.
#include "LoginStarts.h"

#include "DeviceAddress.h"
#include "MonitorProgram.h"
#include "OrvaneIdentity.h"
#include "WideText.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace autostart {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

HKEY rootOf(LoginScope scope) {
    return scope == LoginScope::AllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

std::string rootName(LoginScope scope) {
    return scope == LoginScope::AllUsers ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::string valueNameFor(const std::string &address) {
    return std::string(orvane::kProductName) + " " + address;
}

// The device of a value name of ours. Value names are compared without regard to case, as
// Windows does; the address rule decides on the rest.
std::optional<std::string> addressInName(const std::wstring &name) {
    const std::wstring prefix = widened(valueNameFor(""));
    if (name.size() <= prefix.size() || ::_wcsnicmp(name.c_str(), prefix.c_str(), prefix.size())) {
        return std::nullopt;
    }
    const std::string address = narrowed(name.substr(prefix.size()));
    return bIsDeviceAddress(address) ? std::optional(address) : std::nullopt;
}

// The Run key of a scope, opened for what the caller does with it and closed at the end.
class RunKey {
public:
    RunKey(LoginScope scope, REGSAM access, bool create) : where(rootName(scope)) {
        const REGSAM rights = access | KEY_WOW64_64KEY;
        opened = create ? ::RegCreateKeyExW(rootOf(scope), kRunKey, 0, nullptr, 0, rights, nullptr,
                                            &key, nullptr)
                        : ::RegOpenKeyExW(rootOf(scope), kRunKey, 0, rights, &key);
        if (opened != ERROR_SUCCESS && opened != ERROR_FILE_NOT_FOUND) {
            fail("open", opened);
        }
    }
    RunKey(const RunKey &) = delete;
    RunKey &operator=(const RunKey &) = delete;
    ~RunKey() {
        if (opened == ERROR_SUCCESS) {
            ::RegCloseKey(key);
        }
    }

    bool exists() const { return opened == ERROR_SUCCESS; }
    HKEY get() const { return key; }

    [[noreturn]] void fail(const std::string &what, LONG code) const {
        const bool machineWide = where == rootName(LoginScope::AllUsers);
        throw LoginStartError("cannot " + what + " " + where + "\\" + narrowed(kRunKey) + ": " +
                              systemMessage(static_cast<unsigned long>(code)) +
                              (code == ERROR_ACCESS_DENIED && machineWide
                                   ? " (for all users, run it as administrator)"
                                   : ""));
    }

private:
    std::string where;
    HKEY key = nullptr;
    LONG opened = ERROR_FILE_NOT_FOUND;
};

// Text of a string value without the terminating zeros that its size may include.
std::string textOf(const std::vector<BYTE> &data, DWORD size) {
    std::wstring text(reinterpret_cast<const wchar_t *>(data.data()), size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') {
        text.pop_back();
    }
    return narrowed(text);
}

// Each value of the key in turn, with buffers that grow when a value does not fit.
template <typename Visit> void forEachValue(const RunKey &key, Visit visit) {
    std::vector<wchar_t> name(256);
    std::vector<BYTE> data(1024);
    for (DWORD index = 0;;) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG result = ::RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr,
                                            &type, data.data(), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS) {
            return;
        }
        if (result == ERROR_MORE_DATA) {
            name.resize(name.size() * 2);
            data.resize(std::max<std::size_t>(data.size() * 2, dataSize));
            continue;
        }
        if (result != ERROR_SUCCESS) {
            key.fail("read", result);
        }
        visit(std::wstring(name.data(), nameLength), type, data, dataSize);
        ++index;
    }
}

} // namespace

LoginStarts::LoginStarts(LoginScope loginScope) : scope(loginScope) {
    place = rootName(scope) + "\\" + narrowed(kRunKey);
    monitorProgram = monitorProgramPath();
}

bool LoginStarts::hasScope(LoginScope) {
    return true;
}

std::vector<LoginStart> LoginStarts::found() const {
    std::vector<LoginStart> starts;
    const RunKey key(scope, KEY_QUERY_VALUE, false);
    if (!key.exists()) {
        return starts;
    }
    forEachValue(
        key, [&](const std::wstring &name, DWORD type, const std::vector<BYTE> &data, DWORD size) {
            const std::optional<std::string> address = addressInName(name);
            if (address && (type == REG_SZ || type == REG_EXPAND_SZ)) {
                starts.push_back({narrowed(name), *address, textOf(data, size)});
            }
        });
    return starts;
}

std::string LoginStarts::contentFor(const std::string &address) const {
    return "\"" + monitorProgram + "\" " + address;
}

void LoginStarts::put(const std::string &address) const {
    const RunKey key(scope, KEY_SET_VALUE, true);
    const std::wstring data = widened(contentFor(address));
    const LONG result = ::RegSetValueExW(key.get(), widened(valueNameFor(address)).c_str(), 0,
                                         REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()),
                                         static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    if (result != ERROR_SUCCESS) {
        key.fail("write", result);
    }
}

void LoginStarts::remove(const LoginStart &start) const {
    const RunKey key(scope, KEY_SET_VALUE, false);
    if (!key.exists()) {
        return;
    }
    const LONG result = ::RegDeleteValueW(key.get(), widened(start.name).c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
        key.fail("change", result);
    }
}

std::string LoginStarts::placeOf(const std::string &address) const {
    return place + ", value \"" + valueNameFor(address) + "\"";
}

EarlierSetup LoginStarts::earlierSetup() const {
    return {}; // earlier versions had no login start on Windows
}

void LoginStarts::removeEarlierSetup() const {}

std::optional<std::string> earlierSavedAddress() {
    return std::nullopt;
}

} // namespace autostart
