#pragma once

#include <QPoint>
#include <QSize>

#include <optional>

class QWindow;

// Where the monitor window goes when it is first shown.
namespace OM_Placement {

// The saved position when it lies in the work area of one of the screens (edges included);
// otherwise the lower right corner of the primary screen's work area for a window of this size.
QPoint firstShowPosition(const std::optional<QPoint> &oSaved, const QSize &oWindowSize);

// Puts the window's frame at the position once the window is exposed and the window system has
// told its frame, which a busy window manager does only some time after the first expose. Before
// that, a move of a window whose platform window exists places its contents, not its frame, there
// (under X11 the frame is unknown until the window manager has taken the window and said so).
// Nothing happens when no frame is known within a few seconds.
void placeFrameOnFirstExpose(QWindow *poWindow, const QPoint &oFramePosition);

} // namespace OM_Placement
