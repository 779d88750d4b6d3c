#include "OM_Settings.h"

#include "OrvaneIdentity.h"

#include <QVariant>

namespace OM_Settings {

namespace {

const char *const kKeyPosition = "pos";
const char *const kKeyShowStatusMessages = "StateChangedMessage";

QString devicePositionKey(const QString &sIPAddress) {
    return QLatin1String(kKeyPosition) + '-' + sIPAddress;
}

} // namespace

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

GroupStore::~GroupStore() {
    oSettings.endGroup();
}

bool readShowStatusMessages() {
    GroupStore oStore;
    return oStore.oSettings.value(QLatin1String(kKeyShowStatusMessages), true).toBool();
}

std::optional<QPoint> readPosition(const QString &sIPAddress) {
    GroupStore oStore;
    for (const QString &sKey : {devicePositionKey(sIPAddress), QString::fromLatin1(kKeyPosition)}) {
        if (oStore.oSettings.contains(sKey))
            return oStore.oSettings.value(sKey, QPoint()).toPoint();
    }
    return std::nullopt;
}

void writeOnExit(const QString &sIPAddress, const std::optional<QPoint> &oPosition,
                 bool bShowStatusMessages) {
    GroupStore oStore;
    if (oPosition) {
        oStore.oSettings.setValue(QLatin1String(kKeyPosition), *oPosition);
        oStore.oSettings.setValue(devicePositionKey(sIPAddress), *oPosition);
    }
    oStore.oSettings.setValue(QLatin1String(kKeyShowStatusMessages), bShowStatusMessages);
}

} // namespace OM_Settings
