#pragma once

#include <QPoint>
#include <QSize>

#include <optional>

// Where the monitor window goes when it is first shown.
namespace OM_Placement {

// The saved position when it lies in the work area of one of the screens (edges included);
// otherwise the lower right corner of the primary screen's work area for a window of this size.
QPoint firstShowPosition(const std::optional<QPoint> &oSaved, const QSize &oWindowSize);

} // namespace OM_Placement
