#include "OM_HelpTexts.h"

namespace OM_HelpTexts {

QString helpText(const QString &sKind) {
    QString sText;
    sText += "This tool monitors the state of one captureORVANE or sourceORVANE.\n";
    sText += "The different colors denote the following states:\n";
    sText += " - green:\t" + sKind + " is available for use\n";
    sText += " - cyan:\t" + sKind + " is used by this PC\n";
    sText += " - yellow:\t" + sKind + " is in use by other PC\n";
    sText += " - red:\t" + sKind + " is not available (powered off or network error)\n";
    sText += "\n";
    sText += "Left-click the system tray icon to toggle visibility of main window.\n";
    sText += "Right-click the system tray icon to bring up a context menu.\n";
    return sText;
}

} // namespace OM_HelpTexts
