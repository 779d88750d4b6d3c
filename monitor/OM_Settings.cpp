#include "OM_Settings.h"

#include "OrvaneIdentity.h"

#include <QVariant>

namespace OM_Settings {

namespace {

const char *const kKeyPosition = "pos";
const char *const kKeyShowStatusMessages = "StateChangedMessage";

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

std::optional<QPoint> readPosition() {
    GroupStore oStore;
    if (!oStore.oSettings.contains(QLatin1String(kKeyPosition)))
        return std::nullopt;
    return oStore.oSettings.value(QLatin1String(kKeyPosition), QPoint()).toPoint();
}

void writeOnExit(const std::optional<QPoint> &oPosition, bool bShowStatusMessages) {
    GroupStore oStore;
    if (oPosition)
        oStore.oSettings.setValue(QLatin1String(kKeyPosition), *oPosition);
    oStore.oSettings.setValue(QLatin1String(kKeyShowStatusMessages), bShowStatusMessages);
}

} // namespace OM_Settings
