#include "AutostartCommand.h"

#include "ByteText.h"
#include "DeviceAddress.h"
#include "LoginStarts.h"

#include <QCoreApplication>
#include <QDir>
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

// "ADDRESS: the monitor STARTS at login for ...", as the messages say what a device does.
QString atLogin(const QString &address, const QString &starts, LoginScope scope) {
    return address + ": the monitor " + starts + " at login " + whose(scope);
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
QList<LoginStart> startsOf(LoginScope scope, const QString &device, bool working = false) {
    QList<LoginStart> matches = foundStarts(scope);
    matches.removeIf([&](const LoginStart &start) {
        return (!device.isEmpty() && numberOf(start.address) != numberOf(device)) ||
               (working && !hindrance(start).isEmpty());
    });
    return matches;
}

// What starts the device's monitor for every user beside this user's own starts (Windows).
QList<LoginStart> workingForAllUsers(LoginScope scope, const QString &device) {
    if (scope != LoginScope::ThisUser || !kLoginScopes.contains(LoginScope::AllUsers)) {
        return {};
    }
    return startsOf(LoginScope::AllUsers, device, true);
}

// The entry of earlier versions becomes a login start of today's kind, unless the command is to
// stop that very device, and then goes.
void takeOverEarlierSetup(LoginScope scope, const QString &action, const QString &device) {
    for (const LoginStart &start : foundStarts(scope)) {
        const bool started = !start.address.isEmpty() && !start.switchedOff;
        const bool stopped = action == "disable" &&
                             (device.isEmpty() || numberOf(start.address) == numberOf(device));
        if (!start.earlier || (started && stopped)) {
            continue; // what --disable removes as it stands
        }
        const QString address = canonicalAddress(start.address);
        if (started) {
            // Written before the old entry goes: an interruption may leave both, never neither.
            putStart(scope, address);
            note(address + ": taken over from the login entry of earlier versions (" +
                 placeOf(scope, address) + ")");
        }
        removeStart(scope, start);
        if (!started) {
            note("removed the login entry of earlier versions, which started no device");
        }
    }
}

int enable(LoginScope scope, const QString &address) {
    // A device that starts for every user must not get a second monitor from this user's start.
    if (!workingForAllUsers(scope, address).isEmpty()) {
        note(atLogin(address, "starts", LoginScope::AllUsers) + " already (" +
             placeOf(LoginScope::AllUsers, address) + "); not enabled for this user as well");
        return kExitDone;
    }
    if (QStandardPaths::findExecutable(monitorProgram()).isEmpty()) {
        throw LoginStartError{"the monitor " + printable(monitorProgram()) + " is missing"};
    }
    const QList<LoginStart> existing = startsOf(scope, address);
    const QString place = " (" + placeOf(scope, address) + ")";
    if (existing.size() == 1 && existing[0].address == address &&
        existing[0].content == contentFor(address) && hindrance(existing[0]).isEmpty()) {
        note(atLogin(address, "starts", scope) + " already" + place);
    } else {
        putStart(scope, address);
        QString renewal = existing.isEmpty() ? "" : ", its login start renewed";
        for (const LoginStart &start : existing) {
            if (start.address != address) {
                removeStart(scope, start); // the same device under another spelling
            }
            if (const QString why = hindrance(start); !why.isEmpty()) {
                renewal = start.switchedOff ? ", switched on again" : renewal + " (" + why + ")";
            }
        }
        note(atLogin(address, "starts", scope) + place + renewal);
    }
    // Once a device starts for every user, this user's own start of it would be a second monitor.
    if (scope == LoginScope::AllUsers) {
        for (const LoginStart &start : startsOf(LoginScope::ThisUser, address)) {
            removeStart(LoginScope::ThisUser, start);
            note(address + ": removed this user's own login start, which the one for all users "
                           "replaces");
        }
    }
    return kExitDone;
}

int disable(LoginScope scope, const QString &device) {
    const QList<LoginStart> removed = startsOf(scope, device);
    for (const LoginStart &start : removed) {
        removeStart(scope, start);
        note(atLogin(start.address, "no longer starts", scope));
    }
    if (removed.isEmpty()) {
        note(device.isEmpty() ? "no monitor started at login " + whose(scope)
                              : atLogin(device, "did not start", scope));
    }
    // What the installer set up for every user still starts.
    const QList<LoginStart> machineWide = workingForAllUsers(scope, device);
    for (const LoginStart &start : machineWide) {
        note(atLogin(start.address, "still starts", LoginScope::AllUsers) + " (" +
                 placeOf(LoginScope::AllUsers, start.address) + "); as administrator: " + kProgram +
                 " --all-users --disable " + start.address,
             stderr);
    }
    return machineWide.isEmpty() ? kExitDone : kExitFailed;
}

// One line per device and scope, by address, this user's before those of every user; a start
// that does not start the monitor says why.
int list() {
    std::set<std::pair<std::uint32_t, QString>> lines; // by address, each once
    for (const LoginScope scope : kLoginScopes) {
        for (const LoginStart &start : foundStarts(scope)) {
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

void note(const QString &text, std::FILE *stream) {
    std::fputs((QString(kProgram) + ": " + text + "\n").toUtf8().constData(), stream);
}

QString canonicalAddress(const QString &address) {
    return QString::fromStdString(sCanonicalAddress(address.toStdString()));
}

// A backslash stays one: paths on Windows are full of them.
QString printable(const QString &text) {
    return QString::fromStdString(
        orvane::escapeBytes(text.toUtf8().toStdString(), "", orvane::Backslash::Kept));
}

QString monitorProgram() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + "/" +
                                    ORVANE_MONITOR_FILE);
}

int runLoginStartCommand(const QString &action, const QString &address, LoginScope scope) {
    if (!kLoginScopes.contains(scope)) {
        note("--all-users is for Windows; here each user enables the devices", stderr);
        return kExitUsage;
    }
    try {
        if (action == "list") {
            return list();
        }
        takeOverEarlierSetup(scope, action, address);
        return action == "enable" ? enable(scope, address) : disable(scope, address);
    } catch (const LoginStartError &failure) {
        note(failure.reason, stderr);
        return kExitFailed;
    }
}

} // namespace autostart
