#include "OM_Placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWindow>

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

// Watches a window until its first expose event, then moves its frame and goes away.
class FramePlacer : public QObject {
public:
    FramePlacer(QWindow *poWindow, const QPoint &oFramePosition)
        : QObject(poWindow), oFramePosition(oFramePosition) {
        poWindow->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *poWatched, QEvent *poEvent) override {
        if (poEvent->type() != QEvent::Expose)
            return false;
        auto *poWindow = static_cast<QWindow *>(poWatched);
        poWindow->removeEventFilter(this);
        // The contents go where the frame then leaves them: window managers differ in how they
        // read a request for the frame's position, but agree on one for the contents.
        const QMargins oFrame = poWindow->frameMargins();
        if (!oFrame.isNull())
            poWindow->setPosition(oFramePosition + QPoint(oFrame.left(), oFrame.top()));
        deleteLater();
        return false;
    }

private:
    const QPoint oFramePosition;
};

} // namespace

QPoint firstShowPosition(const std::optional<QPoint> &oSaved, const QSize &oWindowSize) {
    if (oSaved && liesOnAScreen(*oSaved))
        return *oSaved;
    return lowerRightCorner(oWindowSize);
}

void placeFrameOnFirstExpose(QWindow *poWindow, const QPoint &oFramePosition) {
    if (poWindow)
        new FramePlacer(poWindow, oFramePosition); // owned by the window; deletes itself when done
}

} // namespace OM_Placement
