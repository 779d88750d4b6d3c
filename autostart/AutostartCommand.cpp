// orvane-monitor-autostart: starts Orvane Monitor at login for the devices a user, or the
// installer for all users, enables; without options, what the login entry of earlier versions
// runs. The command line and --enable, --disable and --list done on the system's login starts
// (LoginStarts.h): the part of the program that is the same on every system.
#include "ByteText.h"
#include "DeviceAddress.h"
#include "LoginStarts.h"
#include "OrvaneIdentity.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>
#include <set>
#include <utility>

namespace autostart {

namespace {

constexpr char kProgram[] = "orvane-monitor-autostart";
enum ExitStatus { kExitDone = 0, kExitFailed = 1, kExitUsage = 2 };

// One line of the program, "orvane-monitor-autostart: TEXT", to standard output or the stream.
void note(const QString &text, std::FILE *stream = stdout) {
    std::fputs((QString(kProgram) + ": " + text + "\n").toUtf8().constData(), stream);
}

// The address as the device's four numbers, without leading zeros ("10.01.1.09" -> "10.1.1.9"),
// so that one device has one name; empty for text that does not pass bIsDeviceAddress.
QString canonicalAddress(const QString &address) {
    return QString::fromStdString(sCanonicalAddress(address.toStdString()));
}

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
// without one; only those that start the monitor when working. An entry of earlier versions
// without an address starts no device.
QList<LoginStart> startsOf(LoginScope scope, const QString &device, bool working = false) {
    QList<LoginStart> matches = foundStarts(scope);
    matches.removeIf([&](const LoginStart &start) {
        return start.address.isEmpty() ||
               (!device.isEmpty() && numberOf(start.address) != numberOf(device)) ||
               (working && !hindrance(start).isEmpty());
    });
    return matches;
}

// What starts the device's monitor for every user beside this user's own starts (Windows).
QList<LoginStart> workingForAllUsers(LoginScope scope, const QString &device) {
    const bool beside =
        scope == LoginScope::ThisUser && kLoginScopes.contains(LoginScope::AllUsers);
    return beside ? startsOf(LoginScope::AllUsers, device, true) : QList<LoginStart>();
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
    const bool already = existing.size() == 1 && existing[0].address == address &&
                         existing[0].content == contentFor(address) &&
                         hindrance(existing[0]).isEmpty();
    if (!already) {
        putStart(scope, address);
    }
    QString renewal = existing.isEmpty() || already ? "" : ", its login start renewed";
    for (const LoginStart &start : existing) {
        if (start.address != address) {
            removeStart(scope, start); // the same device under another spelling
        }
        if (const QString why = hindrance(start); !why.isEmpty()) {
            renewal = start.switchedOff ? ", switched on again" : renewal + " (" + why + ")";
        }
    }
    note(atLogin(address, "starts", scope) + (already ? " already (" : " (") +
         placeOf(scope, address) + ")" + renewal);
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
        for (const LoginStart &start : startsOf(scope, {})) {
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

// Does what the option --enable, --disable or --list (action: its name) asks, for the device at
// the address, which has passed the address rule, or for every device without one (--disable),
// in a scope that the system has. What was done goes to standard output, one line each; a failure
// to standard error, as one line. Returns the exit status.
int runLoginStartCommand(const QString &action, const QString &address, LoginScope scope) {
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

// The help, whose text lies beside this file (help.txt) with %1 for this program's name and %2
// for the product's.
QString helpText() {
    QFile help(":/autostart/help.txt");
    return help.open(QIODevice::ReadOnly)
               ? QString::fromUtf8(help.readAll()).arg(kProgram, orvane::kProductName)
               : QString();
}

// Runs the monitor beside this program, for the address or with its address dialog, and hands
// on its exit status.
int runMonitor(const std::optional<QString> &address) {
    QProcess monitor;
    monitor.setProcessChannelMode(QProcess::ForwardedChannels);
    monitor.setInputChannelMode(QProcess::ForwardedInputChannel);
    monitor.start(monitorProgram(), address ? QStringList{*address} : QStringList());
    if (!monitor.waitForFinished(-1) && monitor.error() == QProcess::FailedToStart) {
        note("cannot start " + monitorProgram() + ": " + monitor.errorString(), stderr);
        return 1;
    }
    return monitor.exitStatus() == QProcess::NormalExit ? monitor.exitCode() : 1;
}

int refuse(const QString &reason) {
    note(reason, stderr);
    return kExitUsage;
}

QString written(const QStringList &arguments, const QString &name) {
    return arguments.contains("-" + name) ? "-" + name : "--" + name;
}

// The options of the command line, each on its own; the one action among them with its address.
int runOptions(const QStringList &arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({{"enable", ""}, {"disable", ""}, {"list", ""}, {"all-users", ""}});
    parser.addOptions({{{"h", "help"}, ""}, {{"V", "version"}, ""}});
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        return refuse(unknown.isEmpty()
                          ? parser.errorText()
                          : "unknown option \"" + printable(written(arguments, unknown[0])) + "\"");
    }
    QStringList actions = parser.optionNames();
    actions.removeAll("all-users");
    const QStringList rest = parser.positionalArguments();
    const QString action = actions.value(0);
    if (actions.isEmpty()) {
        return refuse(rest.isEmpty() ? "--all-users needs --enable, --disable or --list"
                                     : "unknown option \"" + printable(rest[0]) + "\"");
    }
    if (actions.size() > 1) {
        return refuse("unexpected argument \"" + written(arguments, actions[1]) + "\"");
    }
    if (rest.size() > (action == "enable" || action == "disable" ? 1 : 0)) {
        return refuse("unexpected argument \"" + printable(rest.last()) + "\"");
    }
    if (action == "enable" && rest.isEmpty()) {
        return refuse("--enable needs the device's address");
    }
    if (parser.isSet("help") || parser.isSet("version")) {
        const QString text =
            parser.isSet("help") ? helpText() : QString("%1 %2\n").arg(kProgram, orvane::kVersion);
        std::fputs(text.toUtf8().constData(), stdout);
        return kExitDone;
    }
    const QString address = rest.value(0);
    if (!rest.isEmpty() && !bIsDeviceAddress(address.toStdString())) {
        return refuse("\"" + printable(address) +
                      "\" is not an IPv4 address in dotted-quad form such as 192.168.1.10");
    }
    const LoginScope scope =
        parser.isSet("all-users") ? LoginScope::AllUsers : LoginScope::ThisUser;
    if (!kLoginScopes.contains(scope)) {
        return refuse("--all-users is for Windows; here each user enables the devices");
    }
    return runLoginStartCommand(action, canonicalAddress(address), scope);
}

} // namespace

// A backslash stays one: paths on Windows are full of them.
QString printable(const QString &text) {
    return QString::fromStdString(
        orvane::escapeBytes(text.toUtf8().toStdString(), "", orvane::Backslash::Kept));
}

QString monitorProgram() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + "/" +
                                    ORVANE_MONITOR_FILE);
}

} // namespace autostart

int main(int argc, char **argv) {
    const QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    return arguments.size() > 1 ? autostart::runOptions(arguments)
                                : autostart::runMonitor(autostart::earlierSavedAddress());
}
