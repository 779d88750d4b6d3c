#include "OM_StatePresentation.h"

#include "DeviceKind.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPixmap>

namespace OM_StatePresentation {

namespace {

const char *const kTrayImage = ":/OrvaneMonitor/trayicon.png";
constexpr int kIconSize = 16;

QString trMain(const char *pszText) {
    return QCoreApplication::translate("OM_Main", pszText);
}

} // namespace

Look lookOfState(OrvaneState eState, const QString &sKind, const QString &sDevice) {
    switch (eState) {
    case ORVANE_USED_BY_OTHER_PC:
        return {OM_Label::LABEL_USED_BY_OTHER_PC, sKind + " is now used by another PC.",
                sDevice + trMain(" used by another PC")};
    case ORVANE_USED_BY_THIS_PC:
        return {OM_Label::LABEL_USED_BY_THIS_PC, sKind + " is now used by this PC.",
                sDevice + trMain(" used by this PC")};
    case ORVANE_AVAILABLE:
        return {OM_Label::LABEL_AVAILABLE, sKind + " is now available.",
                sDevice + trMain(" available")};
    case ORVANE_NOT_REACHABLE:
    default:
        return {OM_Label::LABEL_NO_CONNECTION, "No connection to " + sKind + ".",
                trMain("Cannot connect to ") + sDevice};
    }
}

QString deviceText(const QString &sKind, const QString &sReplyName, const QString &sAddress) {
    QString sName = sKind;
    if (!sReplyName.isEmpty())
        sName = sReplyName.startsWith(sKind) ? sReplyName : sKind + ' ' + sReplyName;
    return sName + " (" + sAddress + ')';
}

QString deviceKindName(const QString &sReplyName) {
    return QString::fromLatin1(pszDeviceKindName(sReplyName.toLatin1().constData()));
}

QString titleText(const QString &sReplyName) {
    return sReplyName.isEmpty() ? QString::fromLatin1(RELAY_HOST_NAME) : sReplyName;
}

QIcon drawStateIcon(OM_Label::STATE eState) {
    QPixmap oCanvas(kIconSize, kIconSize);
    const QPixmap oTrayImage(QString::fromLatin1(kTrayImage));
    oCanvas.fill(OM_Label::kStateColours[eState]);
    QPainter oPainter(&oCanvas);
    oPainter.drawPixmap(0, 0, oTrayImage);
    oPainter.end();
    return QIcon(oCanvas);
}

} // namespace OM_StatePresentation
