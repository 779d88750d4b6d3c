// Where the system keeps what starts when a user logs in, as far as the monitor goes: one login
// start per device, for this user or, on Windows, for all users of the PC. One implementation per
// system (LoginStartsLinux.cpp: desktop entries in the user's autostart folder;
// LoginStartsWindows.cpp: values of the registry's Run keys). Everything else of the command is
// shared. Failures throw LoginStartError with a one-line reason.
#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace autostart {

enum class LoginScope { ThisUser, AllUsers };

// The scopes the system keeps login starts for: this user's, and on Windows all users'.
extern const QList<LoginScope> kLoginScopes;

struct LoginStart {
    QString name;             // of the file or the value, as found
    QString address;          // of the device, as the name has it; passed the address rule
    QString content;          // the entry's text, or the value's command line
    QString program;          // what it starts; empty when it does not say
    bool switchedOff = false; // in the desktop's or Windows' own startup settings
    // The one login entry of earlier versions (Linux), which started the monitor for the address
    // saved beside it; the address is empty when none passes the address rule.
    bool earlier = false;
};

struct LoginStartError {
    QString reason;
};

// The monitor's login starts in the scope, in no particular order; nothing else that starts at
// login.
QList<LoginStart> foundStarts(LoginScope scope);
// What putStart() keeps for the device: it starts the monitor beside this program.
QString contentFor(const QString &address);
// Replaces any login start of that name at once, never leaving half of one, switched on.
void putStart(LoginScope scope, const QString &address);
void removeStart(LoginScope scope, const LoginStart &start);
// Where the login start of the device is, as the messages name it.
QString placeOf(LoginScope scope, const QString &address);

// The address that earlier versions saved for the start without options, when it passes the
// address rule; on Windows there never was one.
std::optional<QString> earlierSavedAddress();

// Shared by both systems (AutostartCommand.cpp).
// The full path of the monitor beside this program, as the login starts name it.
QString monitorProgram();
// Printable ASCII as it is, each byte of any other character as \xNN: a text from outside fit
// for a message line.
QString printable(const QString &text);

} // namespace autostart
