// Login starts on Linux: one desktop entry per device in the user's autostart folder, which the
// desktops run at login (XDG autostart), named orvane-monitor-ADDRESS.desktop. Earlier versions
// kept one entry, orvane-monitor.desktop, that ran this program without options, and the
// address in orvane-monitor/address of the configuration folder.
#include "LoginStarts.h"

#include "DesktopEntry.h"
#include "DeviceAddress.h"
#include "MonitorProgram.h"
#include "UserFiles.h"

#include <cstring>

namespace autostart {

namespace {

namespace fs = std::filesystem;

constexpr char kEntryPrefix[] = "orvane-monitor-";
constexpr char kEntryExtension[] = ".desktop";
constexpr char kEarlierEntry[] = "orvane-monitor.desktop";
// More than any entry of ours; a longer file is no entry of ours as it stands.
constexpr std::size_t kEntryLimit = 64 * 1024;
// The address file holds one address a line; only the first counts.
constexpr std::size_t kAddressFileLimit = 256;

fs::path autostartFolder() {
    return userConfigFolder() / "autostart";
}

fs::path earlierAddressFile() {
    return userConfigFolder() / "orvane-monitor" / "address";
}

std::string entryNameFor(const std::string &address) {
    return kEntryPrefix + address + kEntryExtension;
}

// The device of an entry name of ours; the address rule decides, before the name is used.
std::optional<std::string> addressInName(const std::string &name) {
    const std::size_t prefix = std::strlen(kEntryPrefix);
    const std::size_t extension = std::strlen(kEntryExtension);
    if (name.size() <= prefix + extension || name.compare(0, prefix, kEntryPrefix) != 0 ||
        name.compare(name.size() - extension, extension, kEntryExtension) != 0) {
        return std::nullopt;
    }
    const std::string address = name.substr(prefix, name.size() - prefix - extension);
    return bIsDeviceAddress(address) ? std::optional(address) : std::nullopt;
}

std::string firstLineTrimmed(const std::string &text) {
    const std::string line = text.substr(0, text.find('\n'));
    const std::size_t start = line.find_first_not_of(" \t\r\v\f");
    if (start == std::string::npos) {
        return "";
    }
    return line.substr(start, line.find_last_not_of(" \t\r\v\f") - start + 1);
}

} // namespace

LoginStarts::LoginStarts(LoginScope loginScope) : scope(loginScope) {
    if (scope != LoginScope::ThisUser) {
        throw LoginStartError("login starts for all users are for Windows only");
    }
    place = autostartFolder().string();
    monitorProgram = monitorProgramPath();
}

bool LoginStarts::hasScope(LoginScope loginScope) {
    return loginScope == LoginScope::ThisUser;
}

std::vector<LoginStart> LoginStarts::found() const {
    std::vector<LoginStart> starts;
    std::error_code error;
    fs::directory_iterator entries(place, error);
    if (error == std::errc::no_such_file_or_directory) {
        return starts;
    }
    if (error) {
        throw LoginStartError("cannot read " + place + ": " + error.message());
    }
    for (const fs::directory_entry &entry : entries) {
        const std::string name = entry.path().filename().string();
        const std::optional<std::string> address = addressInName(name);
        const std::optional<std::string> content =
            address ? readRegularFile(entry.path(), kEntryLimit) : std::nullopt;
        if (content) {
            starts.push_back({name, *address, *content});
        }
    }
    return starts;
}

std::string LoginStarts::contentFor(const std::string &address) const {
    const fs::path templateFile =
        fs::path(monitorProgram).parent_path() / ORVANE_AUTOSTART_TEMPLATE;
    const std::optional<std::string> templateText = readRegularFile(templateFile, kEntryLimit);
    if (!templateText) {
        throw LoginStartError("the login entry template " +
                              templateFile.lexically_normal().string() + " is missing");
    }
    return loginEntryText(*templateText, monitorProgram, address);
}

void LoginStarts::put(const std::string &address) const {
    const std::string content = contentFor(address);
    std::error_code error;
    fs::create_directories(place, error);
    if (error) {
        throw LoginStartError("cannot make the folder " + place + ": " + error.message());
    }
    writeAtomically(fs::path(place) / entryNameFor(address), content);
}

void LoginStarts::remove(const LoginStart &start) const {
    removeFile(fs::path(place) / start.name);
}

std::string LoginStarts::placeOf(const std::string &address) const {
    return (fs::path(place) / entryNameFor(address)).string();
}

EarlierSetup LoginStarts::earlierSetup() const {
    const std::optional<std::string> entry =
        readRegularFile(fs::path(place) / kEarlierEntry, kEntryLimit);
    EarlierSetup earlier;
    earlier.found = entry.has_value();
    if (entry && !isSwitchedOff(*entry)) {
        earlier.address = earlierSavedAddress();
    }
    return earlier;
}

void LoginStarts::removeEarlierSetup() const {
    removeFile(fs::path(place) / kEarlierEntry);
    removeFile(earlierAddressFile());
}

std::optional<std::string> earlierSavedAddress() {
    try {
        const std::optional<std::string> text =
            readRegularFile(earlierAddressFile(), kAddressFileLimit);
        const std::string address = text ? firstLineTrimmed(*text) : "";
        return bIsDeviceAddress(address) ? std::optional(address) : std::nullopt;
    } catch (const LoginStartError &) {
        return std::nullopt; // then the monitor asks for the address
    }
}

} // namespace autostart
