#include "AutostartCommand.h"

#include "ByteText.h"
#include "DeviceAddress.h"
#include "LoginStarts.h"

#include <QStandardPaths>

#include <cstdio>
#include <set>
#include <utility>

namespace autostart {

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

QString whose(LoginScope scope) {
    return scope == LoginScope::AllUsers ? "for all users" : "for this user";
}

std::uint32_t numberOf(const QString &address) {
    return dwDottedQuadToIPv4(address.toStdString().c_str());
}

// What keeps a login start from starting the monitor, as --list marks it; empty when it starts.
QString hindrance(const LoginStart &start) {
    if (start.switchedOff) {
        return "switched off in the startup settings";
    }
    if (!start.program.isEmpty() && QStandardPaths::findExecutable(start.program).isEmpty()) {
        return "program missing: " + printable(start.program);
    }
    return {};
}

// The login starts of the device ("127.0.0.9" and "127.0.0.09" are one), or of every device
// without one; only those that start the monitor when working.
QList<LoginStart> startsOf(const LoginStarts &starts, const QString &device, bool working = false) {
    QList<LoginStart> matches = starts.found();
    matches.removeIf([&](const LoginStart &start) {
        return (!device.isEmpty() && numberOf(start.address) != numberOf(device)) ||
               (working && !hindrance(start).isEmpty());
    });
    return matches;
}

// What starts the device's monitor for every user beside this user's own starts (Windows).
QList<LoginStart> workingForAllUsers(LoginScope scope, const QString &device) {
    if (scope != LoginScope::ThisUser || !LoginStarts::hasScope(LoginScope::AllUsers)) {
        return {};
    }
    return startsOf(LoginStarts(LoginScope::AllUsers), device, true);
}

QString machinePlaceOf(const QString &address) {
    return LoginStarts(LoginScope::AllUsers).placeOf(address);
}

// The entry of earlier versions becomes a login start of today's kind, unless the command is to
// stop that very device, and then goes.
void takeOverEarlierSetup(const LoginStarts &starts, const QString &action, const QString &device) {
    for (const LoginStart &start : starts.found()) {
        const bool started = !start.address.isEmpty() && !start.switchedOff;
        const bool stopped = action == "disable" &&
                             (device.isEmpty() || numberOf(start.address) == numberOf(device));
        if (!start.earlier || (started && stopped)) {
            continue; // what --disable removes as it stands
        }
        const QString address = canonicalAddress(start.address);
        if (started) {
            // Written before the old entry goes: an interruption may leave both, never neither.
            starts.put(address);
            note(address + ": taken over from the login entry of earlier versions (" +
                 starts.placeOf(address) + ")");
        }
        starts.remove(start);
        if (!started) {
            note("removed the login entry of earlier versions, which started no device");
        }
    }
}

int enable(const LoginStarts &starts, LoginScope scope, const QString &address) {
    // A device that starts for every user must not get a second monitor from this user's start.
    if (!workingForAllUsers(scope, address).isEmpty()) {
        note(address + ": the monitor starts at login " + whose(LoginScope::AllUsers) +
             " already (" + machinePlaceOf(address) + "); not enabled for this user as well");
        return kExitDone;
    }
    if (QStandardPaths::findExecutable(monitorProgram()).isEmpty()) {
        throw LoginStartError{"the monitor " + printable(monitorProgram()) + " is missing"};
    }
    const QList<LoginStart> existing = startsOf(starts, address);
    const QString started = address + ": the monitor starts at login " + whose(scope);
    const QString place = " (" + starts.placeOf(address) + ")";
    if (existing.size() == 1 && existing[0].address == address &&
        existing[0].content == starts.contentFor(address) && hindrance(existing[0]).isEmpty()) {
        note(started + " already" + place);
    } else {
        starts.put(address);
        QString renewal = existing.isEmpty() ? "" : ", its login start renewed";
        for (const LoginStart &start : existing) {
            if (start.address != address) {
                starts.remove(start); // the same device under another spelling
            }
            if (const QString why = hindrance(start); !why.isEmpty()) {
                renewal = start.switchedOff ? ", switched on again" : renewal + " (" + why + ")";
            }
        }
        note(started + place + renewal);
    }
    // Once a device starts for every user, this user's own start of it would be a second monitor.
    if (scope == LoginScope::AllUsers) {
        const LoginStarts own(LoginScope::ThisUser);
        for (const LoginStart &start : startsOf(own, address)) {
            own.remove(start);
            note(address + ": removed this user's own login start, which the one for all users "
                           "replaces");
        }
    }
    return kExitDone;
}

int disable(const LoginStarts &starts, LoginScope scope, const QString &device) {
    const QList<LoginStart> removed = startsOf(starts, device);
    for (const LoginStart &start : removed) {
        starts.remove(start);
        note(start.address + ": the monitor no longer starts at login " + whose(scope));
    }
    if (removed.isEmpty()) {
        note((device.isEmpty() ? "no monitor started" : device + ": the monitor did not start") +
             " at login " + whose(scope));
    }
    // What the installer set up for every user still starts.
    const QList<LoginStart> machineWide = workingForAllUsers(scope, device);
    for (const LoginStart &start : machineWide) {
        problem(start.address + ": the monitor still starts at login " +
                whose(LoginScope::AllUsers) + " (" + machinePlaceOf(start.address) +
                "); as administrator: " + kProgram + " --all-users --disable " + start.address);
    }
    return machineWide.isEmpty() ? kExitDone : kExitFailed;
}

// One line per device and scope, by address, this user's before those of every user; a start
// that does not start the monitor says why.
int list() {
    std::set<std::pair<std::uint32_t, QString>> lines; // by address, each once
    for (const LoginScope scope : {LoginScope::ThisUser, LoginScope::AllUsers}) {
        if (!LoginStarts::hasScope(scope)) {
            continue;
        }
        for (const LoginStart &start : LoginStarts(scope).found()) {
            if (start.address.isEmpty()) {
                continue; // an entry of earlier versions without an address starts no device
            }
            QStringList marks = {scope == LoginScope::AllUsers ? "all users" : "",
                                 hindrance(start)};
            marks.removeAll("");
            const QString mark = marks.isEmpty() ? "" : " (" + marks.join(", ") + ")";
            lines.insert({numberOf(start.address), canonicalAddress(start.address) + mark});
        }
    }
    for (const auto &line : lines) {
        std::fputs((line.second + "\n").toUtf8().constData(), stdout);
    }
    return kExitDone;
}

} // namespace

void note(const QString &text) {
    std::fputs((QString(kProgram) + ": " + text + "\n").toUtf8().constData(), stdout);
}

void problem(const QString &text) {
    std::fputs((QString(kProgram) + ": " + text + "\n").toUtf8().constData(), stderr);
}

QString canonicalAddress(const QString &address) {
    return QString::fromStdString(sCanonicalAddress(address.toStdString()));
}

// A backslash stays one: paths on Windows are full of them.
QString printable(const QString &text) {
    return QString::fromStdString(
        orvane::escapeBytes(text.toUtf8().toStdString(), "", orvane::Backslash::Kept));
}

int runLoginStartCommand(const QString &action, const QString &address, bool allUsers) {
    if (allUsers && !LoginStarts::hasScope(LoginScope::AllUsers)) {
        problem("--all-users is for Windows; here each user enables the devices");
        return kExitUsage;
    }
    const LoginScope scope = allUsers ? LoginScope::AllUsers : LoginScope::ThisUser;
    try {
        if (action == "list") {
            return list();
        }
        const LoginStarts starts(scope);
        takeOverEarlierSetup(starts, action, address);
        return action == "enable" ? enable(starts, scope, address)
                                  : disable(starts, scope, address);
    } catch (const LoginStartError &failure) {
        problem(failure.reason);
        return kExitFailed;
    }
}

} // namespace autostart
