#include "OM_System.h"

#include "OM_StatePresentation.h"

#include <QDir>
#include <QStandardPaths>

namespace OM_System {

// The trays here take every size: the D-Bus trays pick from all pixmaps the one for their slot,
// and Qt's XEmbed tray window paints the one for its size times its scale.
int largestTrayIconSize() {
    return OM_StatePresentation::kLargestTrayIconSize;
}

int trayToolTipLimit() {
    return 0;
}

// The user's runtime directory, which is the user's alone; the temporary directory where there
// is none.
QString lockDirectory() {
    const QString sRuntime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return sRuntime.isEmpty() ? QDir::tempPath() : sRuntime;
}

} // namespace OM_System
