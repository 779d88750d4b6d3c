#include "OM_StatePresentation.h"

#include "DeviceKind.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPixmap>
#include <QRect>

#include <algorithm>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX // std::max, not the macro of windows.h
#endif
#include <windows.h>
#endif

namespace OM_StatePresentation {

namespace {

const char *const kTrayImage = ":/OrvaneMonitor/trayicon.png";

QString trMain(const char *pszText) {
    return QCoreApplication::translate("OM_Main", pszText);
}

// The tray image is pixel art: it stays sharp only when each of its pixels becomes a whole
// square of pixels, so it takes the largest whole factor that fits (1 up to 31 pixels, 2 from
// 32, 3 from 48, 4 at 64), never smooth scaling, and the colour fills the rest around it (where
// the rest is odd, the one pixel more goes right and below).
QPixmap drawStatePixmap(const QPixmap &oTrayImage, const QColor &oColour, int iSize) {
    const int iScale = std::max(1, iSize / std::max(oTrayImage.width(), oTrayImage.height()));
    const QSize oScaled = oTrayImage.size() * iScale;
    QPixmap oCanvas(iSize, iSize);
    oCanvas.fill(oColour);
    QPainter oPainter(&oCanvas);
    oPainter.setRenderHint(QPainter::SmoothPixmapTransform, false); // nearest neighbour
    oPainter.drawPixmap(
        QRect(QPoint((iSize - oScaled.width()) / 2, (iSize - oScaled.height()) / 2), oScaled),
        oTrayImage);
    oPainter.end();
    return oCanvas;
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
    if (!sReplyName.isEmpty()) {
        // The kind held for the address may be "Relay Host" from a first poll without an answer.
        const QString sNamedKind = deviceKindName(sReplyName);
        sName = sReplyName.startsWith(sNamedKind) ? sReplyName : sNamedKind + ' ' + sReplyName;
    }
    return sName + " (" + sAddress + ')';
}

QString deviceKindName(const QString &sReplyName) {
    return QString::fromLatin1(pszDeviceKindName(sReplyName.toLatin1().constData()));
}

QString titleText(const QString &sReplyName) {
    return sReplyName.isEmpty() ? QString::fromLatin1(RELAY_HOST_NAME) : sReplyName;
}

QIcon drawStateIcon(OM_Label::STATE eState, int iLargest) {
    const QPixmap oTrayImage(QString::fromLatin1(kTrayImage));
    const QColor oColour(OM_Label::kStateColours[eState]);
    QIcon oIcon;
    for (const int iSize : kTrayIconSizes) {
        if (iSize > iLargest && !oIcon.isNull())
            break;
        oIcon.addPixmap(drawStatePixmap(oTrayImage, oColour, iSize));
    }
    return oIcon;
}

int largestTrayIconSize() {
#ifdef Q_OS_WIN
    // Windows' tray shows an icon at the small-icon size of the display scale, which Qt's tray
    // asks of the system when it turns our icon into the shell's (SM_CXSMICON: 24 pixels at
    // 150 %). Qt then picks the pixmap for that size times the device pixel ratio, 36 pixels for
    // 24 at 150 %, and the shell shrinks that to 24, blurring the pixel art. Given no pixmap
    // larger than the slot, Qt can only pick the slot's own size, at any scale.
    return GetSystemMetrics(SM_CXSMICON);
#else
    // The other trays take every size: the D-Bus trays pick from all pixmaps the one for their
    // slot, and Qt's XEmbed tray window paints the one for its size times its scale.
    return kLargestTrayIconSize;
#endif
}

const QIcon &StateIcons::icon(OM_Label::STATE eState) {
    QIcon &oIcon = aoIcons[eState];
    if (oIcon.isNull())
        oIcon = drawStateIcon(eState, largestTrayIconSize());
    return oIcon;
}

} // namespace OM_StatePresentation
