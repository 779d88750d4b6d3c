#include "OM_Placement.h"

#include "OM_System.h"

#include <QBasicTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace OM_Placement {

namespace {

bool liesOnAScreen(const QPoint &oPoint) {
    const QList<QScreen *> oScreens = QGuiApplication::screens();
    return std::any_of(oScreens.begin(), oScreens.end(), [&](const QScreen *poScreen) {
        return poScreen->availableGeometry().contains(oPoint);
    });
}

// A title bar and borders as large as those of most window managers, for a frame not known yet.
constexpr QMargins kLikelyFrame(8, 40, 8, 8);
constexpr int kChoosingWaitMs = 2000;

QRect workAreaAt(const QPoint &oPoint) {
    const QScreen *poScreen = QGuiApplication::screenAt(oPoint);
    if (!poScreen)
        poScreen = QGuiApplication::primaryScreen();
    return poScreen ? poScreen->availableGeometry() : QRect();
}

QPoint lowerRightCorner(const QSize &oWindowSize) {
    const QScreen *poPrimary = QGuiApplication::primaryScreen();
    const QRect oArea = poPrimary ? poPrimary->availableGeometry() : QRect();
    return QPoint(oArea.right() - oWindowSize.width(), oArea.bottom() - oWindowSize.height());
}

// How often, and for how long, the frame is looked for after the window's first expose: a window
// manager that is busy (at a login, say) tells the frame's size only some time after it shows the
// window, and tells nothing the window would get an event for. A window without a frame (a
// window manager that draws none) stands where it should from the start.
constexpr int kFrameLookMs = 50;
constexpr int kFrameWaitMs = 5000;

// Watches a window from its first expose until the window system tells its frame, then moves the
// frame to the position and goes away.
class FramePlacer : public QObject {
public:
    FramePlacer(QWindow *poWindow, const QPoint &oFramePosition)
        : QObject(poWindow), poWindow(poWindow), oFramePosition(oFramePosition) {
        poWindow->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *poEvent) override {
        if (poEvent->type() != QEvent::Expose || oLooking.isActive())
            return false;
        if (placeFrame()) {
            finish();
        } else {
            oWaited.start();
            oLooking.start(kFrameLookMs, this);
        }
        return false;
    }

    void timerEvent(QTimerEvent *) override {
        if (placeFrame() || oWaited.hasExpired(kFrameWaitMs))
            finish();
    }

private:
    void finish() {
        oLooking.stop();
        poWindow->removeEventFilter(this);
        deleteLater();
    }

    // The contents go where the frame then leaves them: window managers differ in how they read
    // a request for the frame's position, but agree on one for the contents.
    bool placeFrame() {
        const QMargins oFrame = poWindow->frameMargins();
        if (oFrame.isNull())
            return false;
        poWindow->setPosition(oFramePosition + QPoint(oFrame.left(), oFrame.top()));
        return true;
    }

    QWindow *const poWindow;
    const QPoint oFramePosition;
    QBasicTimer oLooking;
    QElapsedTimer oWaited;
};

} // namespace

QPoint firstShowPosition(const std::optional<QPoint> &oSaved, const QSize &oWindowSize) {
    if (oSaved && liesOnAScreen(*oSaved))
        return *oSaved;
    return lowerRightCorner(oWindowSize);
}

QSize frameSize(const QWindow *poWindow, const QSize &oContentsSize) {
    const QMargins oFrame = poWindow ? poWindow->frameMargins() : QMargins();
    return oContentsSize.grownBy(oFrame.isNull() ? kLikelyFrame : oFrame);
}

QPoint freeSpot(const QPoint &oStart, const QSize &oFrameSize, const QList<QPoint> &oTaken) {
    const QRect oArea = workAreaAt(oStart);
    for (int iX = oStart.x(); iX >= oArea.left(); iX -= oFrameSize.width()) {
        int iY = oStart.y();
        while (iY >= oArea.top()) {
            const QRect oFrame(QPoint(iX, iY), oFrameSize);
            std::optional<int> oTopmostCover;
            for (const QPoint &oPlace : oTaken) {
                if (QRect(oPlace, oFrameSize).intersects(oFrame))
                    oTopmostCover = std::min(oTopmostCover.value_or(oPlace.y()), oPlace.y());
            }
            if (!oTopmostCover)
                return oFrame.topLeft();
            iY = *oTopmostCover - oFrameSize.height();
        }
    }
    return oStart;
}

std::unique_ptr<QLockFile> lockChoosing() {
    auto poLock = std::make_unique<QLockFile>(
        QDir(OM_System::lockDirectory()).filePath(QStringLiteral("orvane-monitor-places.lock")));
    poLock->tryLock(kChoosingWaitMs);
    return poLock;
}

void placeFrameOnFirstExpose(QWindow *poWindow, const QPoint &oFramePosition) {
    if (poWindow)
        new FramePlacer(poWindow, oFramePosition); // owned by the window; deletes itself when done
}

} // namespace OM_Placement
