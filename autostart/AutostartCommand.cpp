#include "AutostartCommand.h"

#include "AutostartUsage.h"
#include "DeviceAddress.h"
#include "LoginStarts.h"

#include <algorithm>
#include <utility>

namespace autostart {

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// The monitor's login starts of one scope, with the lines that tell what was done to them.
struct Session {
    LoginScope scope;
    const LoginStarts &starts;
    std::ostream &out;
    std::ostream &err;

    void note(const std::string &text) const { out << kProgram << ": " << text << "\n"; }
    void problem(const std::string &text) const { err << kProgram << ": " << text << "\n"; }
};

const char *whose(LoginScope scope) {
    return scope == LoginScope::AllUsers ? "for all users" : "for this user";
}

// "127.0.0.9" and "127.0.0.09" are one device.
bool sameDevice(const std::string &address, const std::string &other) {
    return dwDottedQuadToIPv4(address.c_str()) == dwDottedQuadToIPv4(other.c_str());
}

std::vector<LoginStart> startsOf(const LoginStarts &starts, const std::string &address) {
    std::vector<LoginStart> matches = starts.found();
    std::erase_if(matches,
                  [&](const LoginStart &start) { return !sameDevice(start.address, address); });
    return matches;
}

// The entry of earlier versions becomes a login start of this kind, unless the command is to
// stop that very device, and then goes.
void takeOverEarlierSetup(const Session &session, const AutostartOptions &options) {
    const EarlierSetup earlier = session.starts.earlierSetup();
    if (!earlier.found) {
        return;
    }
    const bool stopped = options.action == AutostartAction::DisableAll ||
                         (earlier.address && options.action == AutostartAction::Disable &&
                          sameDevice(*earlier.address, options.address));
    if (earlier.address && !stopped) {
        const std::string address = canonicalAddress(*earlier.address);
        // Written before the old entry goes: an interruption may leave both, never neither.
        session.starts.put(address);
        session.note(address + ": taken over from the login entry of earlier versions (" +
                     session.starts.placeOf(address) + ")");
    }
    session.starts.removeEarlierSetup();
    if (!earlier.address) {
        session.note("removed the login entry of earlier versions, which started no device");
    }
}

// A device that starts for every user must not get a second monitor from this user's own start.
int enableBesideMachineWide(const Session &session, const std::string &address) {
    if (session.scope != LoginScope::ThisUser || !LoginStarts::hasScope(LoginScope::AllUsers)) {
        return -1;
    }
    const LoginStarts machine(LoginScope::AllUsers);
    if (startsOf(machine, address).empty()) {
        return -1;
    }
    session.note(address + ": the monitor starts at login " + whose(LoginScope::AllUsers) +
                 " already (" + machine.placeOf(address) + "); not enabled for this user as well");
    return kExitDone;
}

// Once a device starts for every user, this user's own start of it would be a second monitor.
void dropOwnStartOf(const Session &session, const std::string &address) {
    if (session.scope != LoginScope::AllUsers) {
        return;
    }
    const LoginStarts own(LoginScope::ThisUser);
    for (const LoginStart &start : startsOf(own, address)) {
        own.remove(start);
        session.note(address + ": removed this user's own login start, which the one for all "
                               "users replaces");
    }
}

// Whether the device's one login start is the one put() would make.
bool upToDate(const LoginStarts &starts, const std::vector<LoginStart> &existing,
              const std::string &address) {
    return existing.size() == 1 && existing[0].address == address &&
           existing[0].content == starts.contentFor(address);
}

int enable(const Session &session, const std::string &address) {
    if (const int done = enableBesideMachineWide(session, address); done >= 0) {
        return done;
    }
    const std::vector<LoginStart> existing = startsOf(session.starts, address);
    const std::string started = address + ": the monitor starts at login " + whose(session.scope);
    const std::string place = " (" + session.starts.placeOf(address) + ")";
    if (upToDate(session.starts, existing, address)) {
        session.note(started + " already" + place);
    } else {
        session.starts.put(address);
        for (const LoginStart &start : existing) {
            if (start.address != address) {
                session.starts.remove(start); // the same device under another spelling
            }
        }
        session.note(started + place + (existing.empty() ? "" : ", its login start renewed"));
    }
    dropOwnStartOf(session, address);
    return kExitDone;
}

// After a user's --disable: what the installer set up for every user still starts.
int stillMachineWide(const Session &session, const std::optional<std::string> &address) {
    if (session.scope != LoginScope::ThisUser || !LoginStarts::hasScope(LoginScope::AllUsers)) {
        return kExitDone;
    }
    const LoginStarts machine(LoginScope::AllUsers);
    int status = kExitDone;
    for (const LoginStart &start : machine.found()) {
        if (!address || sameDevice(start.address, *address)) {
            session.problem(start.address + ": the monitor still starts at login " +
                            whose(LoginScope::AllUsers) + " (" + machine.placeOf(start.address) +
                            "); as administrator: " + kProgram + " --all-users --disable " +
                            start.address);
            status = kExitFailed;
        }
    }
    return status;
}

int disable(const Session &session, const std::optional<std::string> &address) {
    std::vector<LoginStart> removed =
        address ? startsOf(session.starts, *address) : session.starts.found();
    for (const LoginStart &start : removed) {
        session.starts.remove(start);
        session.note(start.address + ": the monitor no longer starts at login " +
                     whose(session.scope));
    }
    if (removed.empty()) {
        session.note((address ? *address + ": the monitor did not start" : "no monitor started") +
                     std::string(" at login ") + whose(session.scope));
    }
    return stillMachineWide(session, address);
}

std::vector<std::pair<std::uint32_t, std::string>> listedDevices(const LoginStarts &starts,
                                                                 LoginScope scope) {
    std::vector<std::string> addresses;
    for (const LoginStart &start : starts.found()) {
        addresses.push_back(start.address);
    }
    if (const EarlierSetup earlier = starts.earlierSetup(); earlier.address) {
        addresses.push_back(*earlier.address);
    }
    const std::string mark = scope == LoginScope::AllUsers ? " (all users)" : "";
    std::vector<std::pair<std::uint32_t, std::string>> devices;
    for (const std::string &address : addresses) {
        devices.emplace_back(dwDottedQuadToIPv4(address.c_str()), canonicalAddress(address) + mark);
    }
    return devices;
}

// One line per device and scope, by address, this user's before those of every user.
int list(std::ostream &out) {
    std::vector<std::pair<std::uint32_t, std::string>> lines;
    for (const LoginScope scope : {LoginScope::ThisUser, LoginScope::AllUsers}) {
        if (LoginStarts::hasScope(scope)) {
            const auto devices = listedDevices(LoginStarts(scope), scope);
            lines.insert(lines.end(), devices.begin(), devices.end());
        }
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    for (const auto &line : lines) {
        out << line.second << "\n";
    }
    return kExitDone;
}

int change(const AutostartOptions &options, std::ostream &out, std::ostream &err) {
    const LoginScope scope = options.allUsers ? LoginScope::AllUsers : LoginScope::ThisUser;
    const LoginStarts starts(scope);
    const Session session{scope, starts, out, err};
    takeOverEarlierSetup(session, options);
    switch (options.action) {
    case AutostartAction::Enable:
        return enable(session, options.address);
    case AutostartAction::Disable:
        return disable(session, options.address);
    default:
        return disable(session, std::nullopt);
    }
}

} // namespace

int runLoginStartCommand(const AutostartOptions &options, std::ostream &out, std::ostream &err) {
    if (options.allUsers && !LoginStarts::hasScope(LoginScope::AllUsers)) {
        err << kProgram << ": --all-users is for Windows; here each user enables the devices\n";
        return kExitUsage;
    }
    try {
        if (options.action == AutostartAction::List) {
            return list(out);
        }
        return change(options, out, err);
    } catch (const std::exception &failure) {
        err << kProgram << ": " << failure.what() << "\n";
        return kExitFailed;
    }
}

} // namespace autostart
