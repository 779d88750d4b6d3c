#include "OM_Settings.h"

#include "DeviceAddress.h"
#include "OrvaneIdentity.h"

#include <QStringList>

#include <QVariant>

namespace OM_Settings {

namespace {

const char *const kKeyPosition = "pos";
const char *const kKeyShowStatusMessages = "StateChangedMessage";
const QLatin1String kDevicePositionPrefix("pos-");

// The device whose place a key holds ("pos-192.168.1.10"), in the address's one spelling; empty
// for any other key.
QString deviceOfKey(const QString &sKey) {
    if (!sKey.startsWith(kDevicePositionPrefix))
        return QString();
    return canonicalAddress(sKey.mid(kDevicePositionPrefix.size()));
}

QString devicePositionKey(const QString &sIPAddress) {
    return kDevicePositionPrefix + canonicalAddress(sIPAddress);
}

} // namespace

QString canonicalAddress(const QString &sIPAddress) {
    return QString::fromStdString(sCanonicalAddress(sIPAddress.toStdString()));
}

// The two systems name the store in two forms of the constructor itself, so the choice stays here.
GroupStore::GroupStore()
#ifdef Q_OS_WIN
    : oSettings(QStringLiteral("HKEY_CURRENT_USER\\Software\\") +
                    QString::fromLatin1(orvane::kOrganizationName),
                QSettings::NativeFormat)
#else
    : oSettings(QSettings::NativeFormat, QSettings::UserScope,
                QString::fromLatin1(orvane::kOrganizationName))
#endif
{
    // The group is named after the program.
    oSettings.beginGroup(QString::fromLatin1(orvane::kProductName));
}

bool readShowStatusMessages() {
    return GroupStore().oSettings.value(QLatin1String(kKeyShowStatusMessages), true).toBool();
}

void writeShowStatusMessages(bool bShowStatusMessages) {
    GroupStore().oSettings.setValue(QLatin1String(kKeyShowStatusMessages), bShowStatusMessages);
}

// The device's place is read under its one spelling first, then under any other spelling that
// earlier versions wrote as the address was typed.
Places readPlaces(const QString &sIPAddress) {
    GroupStore oStore;
    const QString sDevice = canonicalAddress(sIPAddress);
    const QString sOwnKey = devicePositionKey(sIPAddress);
    Places oPlaces;
    if (oStore.oSettings.contains(QLatin1String(kKeyPosition)))
        oPlaces.oAny = oStore.oSettings.value(QLatin1String(kKeyPosition), QPoint()).toPoint();
    const QStringList oKeys = oStore.oSettings.childKeys();
    for (const QString &sKey : oKeys) {
        const QString sKeyDevice = deviceOfKey(sKey);
        if (sKeyDevice.isEmpty())
            continue;
        const QPoint oPlace = oStore.oSettings.value(sKey, QPoint()).toPoint();
        if (sKeyDevice != sDevice)
            oPlaces.oOthers.append(oPlace);
        else if (!oPlaces.oOwn || sKey == sOwnKey)
            oPlaces.oOwn = oPlace;
    }
    return oPlaces;
}

void writeOwnPlace(const QString &sIPAddress, const QPoint &oPlace) {
    GroupStore().oSettings.setValue(devicePositionKey(sIPAddress), oPlace);
}

void writeOnExit(const QString &sIPAddress, const std::optional<QPoint> &oPosition,
                 const std::optional<bool> &oShowStatusMessages) {
    GroupStore oStore;
    if (oPosition) {
        oStore.oSettings.setValue(QLatin1String(kKeyPosition), *oPosition);
        oStore.oSettings.setValue(devicePositionKey(sIPAddress), *oPosition);
    }
    if (oShowStatusMessages)
        oStore.oSettings.setValue(QLatin1String(kKeyShowStatusMessages), *oShowStatusMessages);
}

} // namespace OM_Settings
