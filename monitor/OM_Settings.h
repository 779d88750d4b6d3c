#pragma once

#include <QPoint>

#include <optional>

// The monitor's two per-user values: the window position ("pos") and the balloon switch
// ("StateChangedMessage"). Every access opens the store afresh.
namespace OM_Settings {

// The balloon switch; on when never saved.
bool readShowStatusMessages();

// The saved window position, if there is one. A value that is no point reads as (0, 0).
std::optional<QPoint> readPosition();

// Writes the balloon switch, and the position when there is one to keep.
void writeOnExit(const std::optional<QPoint> &oPosition, bool bShowStatusMessages);

} // namespace OM_Settings
