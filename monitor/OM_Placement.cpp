#include "monitor/OM_Placement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

namespace OM_Placement {

namespace {

bool liesOnAScreen(const QPoint &oPoint) {
    const QList<QScreen *> oScreens = QGuiApplication::screens();
    for (const QScreen *poScreen : oScreens) {
        if (poScreen->availableGeometry().contains(oPoint))
            return true;
    }
    return false;
}

QPoint lowerRightCorner(const QSize &oWindowSize) {
    const QScreen *poPrimary = QGuiApplication::primaryScreen();
    const QRect oArea = poPrimary ? poPrimary->availableGeometry() : QRect();
    return QPoint(oArea.right() - oWindowSize.width(), oArea.bottom() - oWindowSize.height());
}

} // namespace

QPoint firstShowPosition(const std::optional<QPoint> &oSaved, const QSize &oWindowSize) {
    if (oSaved && liesOnAScreen(*oSaved))
        return *oSaved;
    return lowerRightCorner(oWindowSize);
}

} // namespace OM_Placement
