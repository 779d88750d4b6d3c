#pragma once

#include "OM_Label.h"
#include "OrvaneQuery.h"

#include <QIcon>
#include <QString>

#include <array>
#include <iterator>

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

// The device as the tooltip names it: its reply name with its address, the kind that this name
// gives in front unless the name begins with it ("captureORVANE lab1 (192.168.1.10)",
// "sourceORVANE SRC-6603 (192.168.1.11)"); for a reply without a name, the kind decided for the
// address.
QString deviceText(const QString &sDeviceKindName, const QString &sReplyName,
                   const QString &sAddress);

// The kind of device that gave this reply name: a Relay Host gives none, and the names of the
// signal-output models contain "66".
QString deviceKindName(const QString &sReplyName);

// Window and balloon title: the reply name, or "Relay Host" for a reply without one.
QString titleText(const QString &sReplyName);

// The sizes in pixels that trays ask of an icon: Windows' small-icon size at each display scale
// (16 at 100 %, 20, 24, 28, 32 at 200 %, then 36, 40, 48, 56), Qt's XEmbed tray window (22 by
// 22 device-independent pixels, so 22, 28, 33 and 44 at 100, 125, 150 and 200 %), and the
// slots of Linux panels up to 64, the largest size Qt hands to a D-Bus tray.
inline constexpr int kTrayIconSizes[] = {16, 20, 22, 24, 28, 32, 33, 36, 40, 44, 48, 56, 64};
inline constexpr int kLargestTrayIconSize = kTrayIconSizes[std::size(kTrayIconSizes) - 1];

// The state icon: for each of kTrayIconSizes up to iLargest (16 always), a square of the state's
// colour with the program's tray image on it, enlarged pixel for pixel by the largest whole
// factor that fits and centred. At 16 pixels the image lies on the whole square.
QIcon drawStateIcon(OM_Label::STATE eState, int iLargest = kLargestTrayIconSize);

// The largest icon that this platform's tray should be given (see the implementation).
int largestTrayIconSize();

// The tray icons of the four states, each drawn the first time it is asked for, with the sizes
// that largestTrayIconSize() allows.
class StateIcons {
public:
    const QIcon &icon(OM_Label::STATE eState);

private:
    std::array<QIcon, std::size(OM_Label::kStateColours)> aoIcons;
};

} // namespace OM_StatePresentation
