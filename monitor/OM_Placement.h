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

// Puts the window's frame at the position when the window is first exposed, once the window system
// has told its frame. Before that, a move of a window whose platform window exists places its
// contents, not its frame, there (under X11 the frame is unknown until the window manager has
// taken the window). Nothing happens when no frame is known by then.
void placeFrameOnFirstExpose(QWindow *poWindow, const QPoint &oFramePosition);

} // namespace OM_Placement
