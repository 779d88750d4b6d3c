#pragma once

#include <QString>

class QDialog;
class QWidget;

// Modal boxes of the monitor that never end the program when they close. Closing a window that
// counts for quit-on-last-window-closed ends the event loop when no other such window is visible,
// which is the normal case while the monitor sits hidden in the tray.
namespace OM_Boxes {

// exec() of the dialog, kept from counting as a last window; returns the dialog's result.
int runDialog(QDialog &oDialog);

// Information box with the single button OK and no default button.
void information(QWidget *poParent, const QString &sTitle, const QString &sText);

// Critical box with the single button OK and no default button.
void critical(QWidget *poParent, const QString &sTitle, const QString &sText);

} // namespace OM_Boxes
