// orvane-monitor-autostart: starts Orvane Monitor at login for the devices a user, or the
// installer for all users, enables; without options, what the login entry of earlier versions
// runs.
#include "AutostartCommand.h"
#include "DeviceAddress.h"
#include "OrvaneIdentity.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>

using namespace autostart;

namespace {

constexpr int kExitUsage = 2;

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
    parser.addOptions({{"enable", ""},
                       {"disable", ""},
                       {"list", ""},
                       {"all-users", ""},
                       {{"h", "help"}, ""},
                       {{"V", "version"}, ""}});
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
        return 0;
    }
    const QString address = rest.value(0);
    if (!rest.isEmpty() && !bIsDeviceAddress(address.toStdString())) {
        return refuse("\"" + printable(address) +
                      "\" is not an IPv4 address in dotted-quad form such as 192.168.1.10");
    }
    return runLoginStartCommand(action, rest.isEmpty() ? QString() : canonicalAddress(address),
                                parser.isSet("all-users") ? LoginScope::AllUsers
                                                          : LoginScope::ThisUser);
}

} // namespace

int main(int argc, char **argv) {
    const QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    return arguments.size() > 1 ? runOptions(arguments) : runMonitor(earlierSavedAddress());
}
