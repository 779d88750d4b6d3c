// Login starts on Linux: one desktop entry per device in the user's autostart folder, which the
// desktops run at login (XDG autostart), named orvane-monitor-ADDRESS.desktop and made from the
// installed template, which alone holds the keys that make desktops wait for the panel with the
// tray. Earlier versions kept one entry, orvane-monitor.desktop, that ran this program without
// options, and the address in orvane-monitor/address of the configuration folder.
#include "LoginStarts.h"

#include "DeviceAddress.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace autostart {

const QList<LoginScope> kLoginScopes = {LoginScope::ThisUser};

namespace {

const QString kEntryPrefix = "orvane-monitor-";
const QString kEntrySuffix = ".desktop";
const QString kEarlierEntry = "orvane-monitor.desktop";
const QString kEarlierAddressFile = "/orvane-monitor/address"; // in the configuration folder
// More than any entry of ours or address file; a longer file is none of ours as it stands.
constexpr qint64 kReadLimit = 64 * 1024;

// The desktops ignore a relative XDG_CONFIG_HOME, which Qt takes as it stands.
QString configFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir::isAbsolutePath(folder) ? folder : QDir::homePath() + "/.config";
}

QString autostartFolder() {
    return configFolder() + "/autostart";
}

// At most limit bytes of a regular file, or nothing: a fifo in its place, on which a read would
// wait, is no file.
std::optional<QString> readFile(const QString &path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return QString::fromUtf8(file.read(kReadLimit));
}

void removeFile(const QString &path) {
    QFile file(path);
    if (!file.remove() && QFileInfo::exists(path)) {
        throw LoginStartError{"cannot remove " + path + ": " + file.errorString()};
    }
}

// The value of the entry's first line KEY=VALUE; empty without one.
QString valueOf(const QString &entry, const QString &key) {
    const QString line = "^" + QRegularExpression::escape(key) + "=(.*)$";
    return QRegularExpression(line, QRegularExpression::MultilineOption).match(entry).captured(1);
}

// Whether a desktop has been told not to start the entry (Hidden=true, or GNOME's
// X-GNOME-Autostart-enabled=false).
bool isSwitchedOff(const QString &entry) {
    return valueOf(entry, "Hidden") == "true" ||
           valueOf(entry, "X-GNOME-Autostart-enabled") == "false";
}

// Backslashes doubled: what a string value of an entry turns back into the text.
QString asStringValue(QString text) {
    return text.replace('\\', "\\\\");
}

// One argument of Exec as the desktop entry rules want it: in double quotes, inside which a
// backslash goes before each of " ` $ and \ itself; then escaped as a string value. A % would be
// doubled, as the rules want, but GLib (GNOME) looks for the program under the doubled name and
// skips the entry; a line end has no place in a value.
QString execArgument(const QString &argument) {
    if (argument.contains(QRegularExpression("[%\\x00-\\x1f\\x7f]"))) {
        throw LoginStartError{"the monitor's path " + printable(argument) +
                              " cannot be written in a login entry: a control character or "
                              "% in it"};
    }
    const QRegularExpression special(R"((["`$\\]))");
    return asStringValue('"' + QString(argument).replace(special, R"(\\1)") + '"');
}

} // namespace

QList<LoginStart> foundStarts(LoginScope) {
    const QDir folder(autostartFolder());
    if (folder.exists() && !folder.isReadable()) {
        throw LoginStartError{"cannot read " + autostartFolder()};
    }
    QList<LoginStart> starts;
    const auto names =
        folder.entryList({kEntryPrefix + "*" + kEntrySuffix}, QDir::Files | QDir::CaseSensitive);
    for (const QString &name : names) {
        const QString address = name.sliced(kEntryPrefix.size()).chopped(kEntrySuffix.size());
        const std::optional<QString> entry = readFile(folder.filePath(name));
        if (bIsDeviceAddress(address.toStdString()) && entry) {
            starts.append({name, address, *entry, valueOf(*entry, "TryExec").replace("\\\\", "\\"),
                           isSwitchedOff(*entry)});
        }
    }
    if (const std::optional<QString> entry = readFile(folder.filePath(kEarlierEntry))) {
        starts.append({kEarlierEntry, earlierSavedAddress().value_or(""), *entry, QString(),
                       isSwitchedOff(*entry), true});
    }
    return starts;
}

// The template from its first group on, with Exec and TryExec starting the monitor for the device
// and Name and Comment naming the device.
QString contentFor(const QString &address) {
    const QString templateFile =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + "/" + ORVANE_AUTOSTART_TEMPLATE);
    const std::optional<QString> templateText = readFile(templateFile);
    if (!templateText) {
        throw LoginStartError{"the login entry template " + templateFile + " is missing"};
    }
    QStringList lines = templateText->split('\n');
    lines.erase(lines.begin(), std::find_if(lines.begin(), lines.end(), [](const QString &line) {
                    return line.startsWith('['); // the template's own notes go
                }));
    for (QString &line : lines) {
        if (line.startsWith("Exec=")) {
            line = "Exec=" + execArgument(monitorProgram()) + " " + address;
        } else if (line.startsWith("TryExec=")) {
            line = "TryExec=" + asStringValue(monitorProgram());
        } else if (line.startsWith("Name=")) {
            line += " " + address;
        } else if (line.startsWith("Comment=")) {
            line = "Comment=Watches the instrument at " + address;
        }
    }
    const QString entry = lines.join('\n');
    if (valueOf(entry, "Exec").isEmpty()) {
        throw LoginStartError{"the login entry template has no Exec key"};
    }
    return entry;
}

// Written to a temporary file beside the entry and renamed over it, so that the entry holds
// either its old content or all of the new one, also after a crash.
void putStart(LoginScope scope, const QString &address) {
    const QString content = contentFor(address);
    if (!QDir().mkpath(autostartFolder())) {
        throw LoginStartError{"cannot make the folder " + autostartFolder()};
    }
    QSaveFile entry(placeOf(scope, address));
    if (!entry.open(QIODevice::WriteOnly) || entry.write(content.toUtf8()) < 0 || !entry.commit()) {
        throw LoginStartError{"cannot write " + entry.fileName() + ": " + entry.errorString()};
    }
}

void removeStart(LoginScope, const LoginStart &start) {
    removeFile(autostartFolder() + "/" + start.name);
    if (start.earlier) {
        removeFile(configFolder() + kEarlierAddressFile);
    }
}

QString placeOf(LoginScope, const QString &address) {
    return autostartFolder() + "/" + kEntryPrefix + address + kEntrySuffix;
}

std::optional<QString> earlierSavedAddress() {
    const std::optional<QString> text = readFile(configFolder() + kEarlierAddressFile);
    const QString address = text ? text->section('\n', 0, 0).trimmed() : "";
    return bIsDeviceAddress(address.toStdString()) ? std::optional(address) : std::nullopt;
}

} // namespace autostart
