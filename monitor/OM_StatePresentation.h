#pragma once

#include "OM_Label.h"
#include "OrvaneQuery.h"

#include <QIcon>
#include <QString>

// How a device state is shown: label colour, tray icon, tooltip, window title and balloon text.
namespace OM_StatePresentation {

struct Look {
    OM_Label::STATE eLabelState; // also gives the tray icon's colour
    QString sBalloonText;
    QString sToolTip;
};

// The signs of a state for a device of the given kind ("captureORVANE", ...); the tooltip names
// the device as deviceText() gives it, so that the icons of several monitors can be told apart.
Look lookOfState(OrvaneState eState, const QString &sDeviceKindName, const QString &sDeviceText);

// The device as the tooltip names it: its reply name with its address, the kind in front unless
// the name begins with it ("captureORVANE lab1 (192.168.1.10)", "sourceORVANE SRC-6603
// (192.168.1.11)"); the kind alone for a reply without a name.
QString deviceText(const QString &sDeviceKindName, const QString &sReplyName,
                   const QString &sAddress);

// The kind of device that gave this reply name: a Relay Host gives none, and the names of the
// signal-output models contain "66".
QString deviceKindName(const QString &sReplyName);

// Window and balloon title: the reply name, or "Relay Host" for a reply without one.
QString titleText(const QString &sReplyName);

// A 16 by 16 square of the state's colour with the program's tray image drawn over it.
QIcon drawStateIcon(OM_Label::STATE eState);

} // namespace OM_StatePresentation
