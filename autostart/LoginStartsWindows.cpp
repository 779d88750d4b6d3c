// Login starts on Windows: one value per device in the Run key, which Windows runs at login,
// named "Orvane Monitor ADDRESS" and holding the monitor's quoted full path and the address.
// This user's key is under HKEY_CURRENT_USER, the one for all users under HKEY_LOCAL_MACHINE
// (administrators only may write it). Values of other names are never touched.
//
// Task Manager's and Settings' startup pages keep a Run value when they switch it off, and note
// the switch in a REG_BINARY value of the same name under Explorer\StartupApproved\Run: first
// byte 02 on, 03 off (an odd one off). A Run value without such a note is on, so switching on
// removes the note. (QSettings reads REG_BINARY as the text of its UTF-16 units, whose first has
// the first byte as its low byte; it would write a QByteArray as "@ByteArray(...)" text, which
// Windows cannot read.)
#include "LoginStarts.h"

#include "DeviceAddress.h"
#include "OrvaneIdentity.h"

#include <QProcess>
#include <QSettings>

namespace autostart {

const QList<LoginScope> kLoginScopes = {LoginScope::ThisUser, LoginScope::AllUsers};

namespace {

const QString kRunKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const QString kApprovedKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// The key below the scope's root: HKEY_LOCAL_MACHINE for all users, HKEY_CURRENT_USER otherwise.
QString keyOf(LoginScope scope, const QString &key) {
    return (scope == LoginScope::AllUsers ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER") + key;
}

QString valueNameFor(const QString &address) {
    return QString(orvane::kProductName) + " " + address;
}

// Sets the value of that name in the scope's key to the command, or without one removes it.
// QSettings tells no more of a failure than that access was denied.
void change(LoginScope scope, const QString &key, const QString &name, const QString &command) {
    QSettings values(keyOf(scope, key), QSettings::NativeFormat);
    if (command.isEmpty()) {
        values.remove(name);
    } else {
        values.setValue(name, command);
    }
    values.sync();
    if (values.status() != QSettings::NoError) {
        throw LoginStartError{
            "cannot change " + keyOf(scope, key) + ": access denied" +
            (scope == LoginScope::AllUsers ? " (for all users, run it as administrator)" : "")};
    }
}

// Sets the Run value of that name to the command, or without one removes it; either way the note
// that Windows' startup settings keep of it goes, so that a value written is on.
void setRunValue(LoginScope scope, const QString &name, const QString &command = {}) {
    change(scope, kRunKey, name, command);
    if (QSettings(keyOf(scope, kApprovedKey), QSettings::NativeFormat).contains(name)) {
        change(scope, kApprovedKey, name, {});
    }
}

} // namespace

QList<LoginStart> foundStarts(LoginScope scope) {
    const QSettings run(keyOf(scope, kRunKey), QSettings::NativeFormat);
    const QSettings approved(keyOf(scope, kApprovedKey), QSettings::NativeFormat);
    const QString prefix = valueNameFor("");
    QList<LoginStart> starts;
    for (const QString &name : run.childKeys()) {
        // Value names are compared without regard to case, as Windows does.
        const QString address =
            name.startsWith(prefix, Qt::CaseInsensitive) ? name.sliced(prefix.size()) : QString();
        const QVariant command = run.value(name);
        if (bIsDeviceAddress(address.toStdString()) && command.typeId() == QMetaType::QString) {
            const QString note = approved.value(name).toString();
            const bool off = !note.isEmpty() && (note.front().unicode() & 0x01) != 0;
            starts.append({name, address, command.toString(),
                           QProcess::splitCommand(command.toString()).value(0), off});
        }
    }
    return starts;
}

QString contentFor(const QString &address) {
    return "\"" + monitorProgram() + "\" " + address;
}

void putStart(LoginScope scope, const QString &address) {
    setRunValue(scope, valueNameFor(address), contentFor(address));
}

void removeStart(LoginScope scope, const LoginStart &start) {
    setRunValue(scope, start.name);
}

QString placeOf(LoginScope scope, const QString &address) {
    return keyOf(scope, kRunKey) + ", value \"" + valueNameFor(address) + "\"";
}

std::optional<QString> earlierSavedAddress() {
    return std::nullopt; // earlier versions had no login start on Windows
}

} // namespace autostart
