#pragma once

#include <QPoint>
#include <QSettings>

#include <optional>

// The monitor's per-user values: the window position ("pos"), the balloon switch
// ("StateChangedMessage"), and the window position of each device ("pos-ADDRESS"), so that the
// monitors of several devices on one PC each come back at their own place. Every access opens
// the store afresh.
namespace OM_Settings {

// The store, entered at the monitor's group for as long as the object lives. On Windows this is
// the registry key; elsewhere a string that names the registry would become a file of that name
// in the current directory, so the platform's per-user store of the organisation is used.
class GroupStore {
public:
    GroupStore();
    ~GroupStore();
    GroupStore(const GroupStore &) = delete;
    GroupStore &operator=(const GroupStore &) = delete;

    QSettings oSettings;
};

// The balloon switch; on when never saved.
bool readShowStatusMessages();

// The window position saved for the device, or else the one saved for any, if there is one. A
// value that is no point reads as (0, 0).
std::optional<QPoint> readPosition(const QString &sIPAddress);

// Writes the balloon switch, and the position when there is one to keep, for the device and as
// the one for any.
void writeOnExit(const QString &sIPAddress, const std::optional<QPoint> &oPosition,
                 bool bShowStatusMessages);

} // namespace OM_Settings
