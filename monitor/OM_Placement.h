#pragma once

#include <QList>
#include <QLockFile>
#include <QMargins>
#include <QPoint>
#include <QSize>

#include <memory>
#include <optional>

class QWindow;

// Where the monitor window goes when it is first shown.
namespace OM_Placement {

// The saved position when it lies in the work area of one of the screens (edges included);
// otherwise the lower right corner of the primary screen's work area for a window of this size.
QPoint firstShowPosition(const std::optional<QPoint> &oSaved, const QSize &oWindowSize);

// The size of the window's frame around contents of this size: as the window system tells it, or,
// before it has, as large as the frames of most window managers.
QSize frameSize(const QWindow *poWindow, const QSize &oContentsSize);

// The spot nearest to oStart, in the column above it and then in the columns to its left, where a
// frame of this size covers none of the taken places (each the place of a frame of the same size)
// and does not reach above or left of the work area of oStart's screen; oStart when it is free
// or no spot is.
QPoint freeSpot(const QPoint &oStart, const QSize &oFrameSize, const QList<QPoint> &oTaken);

// Held while a monitor chooses its place and makes it its own, so that monitors started together
// (at a login) choose one after the other. Waits a moment at most; a monitor that cannot have it
// places itself all the same.
std::unique_ptr<QLockFile> lockChoosing();

// Puts the window's frame at the position once the window is exposed and the window system has
// told its frame, which a busy window manager does only some time after the first expose. Before
// that, a move of a window whose platform window exists places its contents, not its frame, there
// (under X11 the frame is unknown until the window manager has taken the window and said so).
// Nothing happens when no frame is known within a few seconds.
void placeFrameOnFirstExpose(QWindow *poWindow, const QPoint &oFramePosition);

} // namespace OM_Placement
