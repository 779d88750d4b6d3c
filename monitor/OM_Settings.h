#pragma once

#include <QList>
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
struct GroupStore {
    GroupStore();

    QSettings oSettings;
};

// The address in its one spelling, for keys and names that stand for the device.
QString canonicalAddress(const QString &sIPAddress);

// The balloon switch; on when never saved.
bool readShowStatusMessages();
void writeShowStatusMessages(bool bShowStatusMessages);

// The saved window places that concern a device. A value that is no point reads as (0, 0).
struct Places {
    std::optional<QPoint> oOwn; // the device's own ("pos-ADDRESS", under any spelling)
    std::optional<QPoint> oAny; // the one saved for any device ("pos")
    QList<QPoint> oOthers;      // the own places of the other devices
};
Places readPlaces(const QString &sIPAddress);

// Makes the place the device's own.
void writeOwnPlace(const QString &sIPAddress, const QPoint &oPlace);

// Writes the position, when there is one to keep, for the device and as the one for any; and
// the balloon switch when the user switched it in this monitor.
void writeOnExit(const QString &sIPAddress, const std::optional<QPoint> &oPosition,
                 const std::optional<bool> &oShowStatusMessages);

} // namespace OM_Settings
