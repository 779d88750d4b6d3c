#include "OM_System.h"

#include <QDir>

#include <windows.h>

namespace OM_System {

// Windows' tray shows an icon at the small-icon size of the display scale, which Qt's tray asks
// of the system when it turns our icon into the shell's (SM_CXSMICON: 24 pixels at 150 %). Qt
// then picks the pixmap for that size times the device pixel ratio, 36 pixels for 24 at 150 %,
// and the shell shrinks that to 24, blurring the pixel art. Given no pixmap larger than the slot,
// Qt can only pick the slot's own size, at any scale.
int largestTrayIconSize() {
    return GetSystemMetrics(SM_CXSMICON);
}

// The shell keeps a tooltip in 128 wide characters with the terminating one (szTip), and Qt cuts
// what is longer.
int trayToolTipLimit() {
    return 127;
}

// The user's temporary directory, the same in each of the user's sessions.
QString lockDirectory() {
    return QDir::tempPath();
}

} // namespace OM_System
