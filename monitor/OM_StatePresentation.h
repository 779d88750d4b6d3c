#pragma once

#include "OM_Label.h"
#include "OrvaneQuery.h"

#include <QDate>
#include <QDateTime>
#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include <array>
#include <iterator>

// How a device state is shown: label colour, tray icon, tooltip, window title and balloon text.
namespace OM_StatePresentation {

struct Look {
    OM_Label::STATE eLabelState; // also gives the tray icon's colour
    QString sBalloonText;
    QString sToolTip;
};

// What the tooltip tells besides the state, so that the icons of several monitors can be told
// apart and a glance tells who holds the device and since when.
struct ToolTipFacts {
    QString sDeviceName; // as deviceName() gives it
    QString sAddress;    // the monitored address
    QString sHolder;     // held by another PC: the holder's address, or the device's own text
    QString sHolderName; // that address's host name, where the resolver knows one
    QDateTime oSince;    // when this monitor saw the state begin; invalid when it did not
    QDate oToday;        // the day the tooltip is for
    int iLimit = 0;      // the longest tooltip the tray shows whole; 0: no limit
};

// The signs of a state for a device of the given kind ("captureORVANE", ...). The tooltip is
// "captureORVANE lab1 (192.168.1.10) used by another PC: labpc-07 (192.168.1.23) since 14:02":
// the device, the state, the holder, and the time of the change (with the date when it was
// before today). Within a limit, the device's name is shortened first and then the holder's
// name, never the addresses, the state or the time.
Look lookOfState(OrvaneState eState, const QString &sDeviceKindName, const ToolTipFacts &oFacts);

// The device as the tooltip names it: its reply name with the kind that this name gives in front
// unless the name begins with it ("captureORVANE lab1", "sourceORVANE SRC-6603"); for a reply
// without a name, the kind decided for the address.
QString deviceName(const QString &sDeviceKindName, const QString &sReplyName);

// Qt draws the tooltip of an icon in an XEmbed tray itself, as a widget's tooltip, and takes text
// that begins like markup for rich text; a device's name could then lay the tooltip out, or show
// pictures. While this lives (a child of the tray icon, watching the application), the tray
// icon's tooltip shows there as the characters it is, on one line. Windows takes the tooltip as
// plain text; the D-Bus trays get it as their item's tooltip title, which their protocol keeps for
// text without markup.
class PlainTrayToolTip : public QObject {
public:
    explicit PlainTrayToolTip(QSystemTrayIcon *poTrayIcon);

protected:
    bool eventFilter(QObject *poWatched, QEvent *poEvent) override;

private:
    QSystemTrayIcon *const poTrayIcon;
};

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

// The tray icons of the four states, each drawn the first time it is asked for, with the sizes
// that OM_System::largestTrayIconSize() allows.
class StateIcons {
public:
    const QIcon &icon(OM_Label::STATE eState);

private:
    std::array<QIcon, std::size(OM_Label::kStateColours)> aoIcons;
};

} // namespace OM_StatePresentation
