#include "OM_StatePresentation.h"

#include "DeviceAddress.h"
#include "DeviceKind.h"
#include "OM_System.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>

namespace OM_StatePresentation {

namespace {

const char *const kTrayImage = ":/OrvaneMonitor/trayicon.png";

QString trMain(const char *pszText) {
    return QCoreApplication::translate("OM_Main", pszText);
}

// The tray image is pixel art: it stays sharp only when each of its pixels becomes a whole
// square of pixels, so it takes the largest whole factor that fits (1 up to 31 pixels, 2 from
// 32, 3 from 48, 4 at 64), never smooth scaling, and the colour fills the rest around it (where
// the rest is odd, the one pixel more goes right and below).
QPixmap drawStatePixmap(const QPixmap &oTrayImage, const QColor &oColour, int iSize) {
    const int iScale = std::max(1, iSize / std::max(oTrayImage.width(), oTrayImage.height()));
    const QSize oScaled = oTrayImage.size() * iScale;
    QPixmap oCanvas(iSize, iSize);
    oCanvas.fill(oColour);
    QPainter oPainter(&oCanvas);
    oPainter.setRenderHint(QPainter::SmoothPixmapTransform, false); // nearest neighbour
    oPainter.drawPixmap(
        QRect(QPoint((iSize - oScaled.width()) / 2, (iSize - oScaled.height()) / 2), oScaled),
        oTrayImage);
    oPainter.end();
    return oCanvas;
}

// What each state shows, in the order of OrvaneState: the label's colour, and the tooltip and
// balloon with the device (%1) in them.
struct StateWords {
    OM_Label::STATE eLabelState;
    const char *pszToolTip;
    const char *pszBalloon;
};
constexpr StateWords kStateWords[] = {
    {OM_Label::LABEL_NO_CONNECTION, QT_TRANSLATE_NOOP("OM_Main", "Cannot connect to %1"),
     "No connection to %1."},
    {OM_Label::LABEL_USED_BY_OTHER_PC, QT_TRANSLATE_NOOP("OM_Main", "%1 used by another PC"),
     "%1 is now used by another PC."},
    {OM_Label::LABEL_USED_BY_THIS_PC, QT_TRANSLATE_NOOP("OM_Main", "%1 used by this PC"),
     "%1 is now used by this PC."},
    {OM_Label::LABEL_AVAILABLE, QT_TRANSLATE_NOOP("OM_Main", "%1 available"),
     "%1 is now available."},
};

// A state out of the range counts as no connection.
const StateWords &wordsOf(OrvaneState eState) {
    return kStateWords[eState < std::size(kStateWords) ? eState : ORVANE_NOT_REACHABLE];
}

const QChar kEllipsis(0x2026);

// The text shortened by iExcess characters, an ellipsis in place of what went; at least the
// ellipsis stays of a text that had any.
QString shortened(const QString &sText, int iExcess) {
    if (iExcess <= 0 || sText.isEmpty())
        return sText;
    return sText.left(std::max(0, int(sText.size()) - iExcess - 1)) + kEllipsis;
}

QString sinceText(const ToolTipFacts &oFacts) {
    if (!oFacts.oSince.isValid())
        return QString();
    const QLocale oLocale;
    QString sWhen = oLocale.toString(oFacts.oSince.time(), QLocale::ShortFormat);
    if (oFacts.oSince.date() < oFacts.oToday)
        sWhen = oLocale.toString(oFacts.oSince.date(), QLocale::ShortFormat) + ' ' + sWhen;
    return trMain(" since ") + sWhen;
}

// The parts of a tooltip that may give way to a limit, in the order they do.
struct Shortenable {
    QString sDeviceName;
    QString sHolderName;
    QString sHolder; // only when it is no address
};

QString toolTip(OrvaneState eState, const ToolTipFacts &oFacts, const Shortenable &oParts) {
    QString sText =
        trMain(wordsOf(eState).pszToolTip).arg(oParts.sDeviceName + " (" + oFacts.sAddress + ')');
    if (eState == ORVANE_USED_BY_OTHER_PC && !oParts.sHolder.isEmpty())
        sText += ": " + (oParts.sHolderName.isEmpty()
                             ? oParts.sHolder
                             : oParts.sHolderName + " (" + oParts.sHolder + ')');
    return sText + sinceText(oFacts);
}

// Within the limit, the device's name gives way first, then the holder's name, then a holder
// text that is no address.
QString fittedToolTip(OrvaneState eState, const ToolTipFacts &oFacts) {
    Shortenable oParts{oFacts.sDeviceName, oFacts.sHolderName, oFacts.sHolder};
    int iExcess = int(toolTip(eState, oFacts, oParts).size()) - oFacts.iLimit;
    const bool bHolderIsAddress = bIsDeviceAddress(oFacts.sHolder.toStdString());
    for (QString *psPart : {&oParts.sDeviceName, &oParts.sHolderName, &oParts.sHolder}) {
        if (oFacts.iLimit <= 0 || iExcess <= 0 || (psPart == &oParts.sHolder && bHolderIsAddress))
            break;
        const int iCut = std::min(iExcess, std::max(0, int(psPart->size()) - 1));
        *psPart = shortened(*psPart, iCut);
        iExcess -= iCut;
    }
    return toolTip(eState, oFacts, oParts);
}

} // namespace

Look lookOfState(OrvaneState eState, const QString &sKind, const ToolTipFacts &oFacts) {
    const StateWords &oWords = wordsOf(eState);
    return {oWords.eLabelState, QString::fromLatin1(oWords.pszBalloon).arg(sKind),
            fittedToolTip(eState, oFacts)};
}

QString deviceName(const QString &sKind, const QString &sReplyName) {
    if (sReplyName.isEmpty())
        return sKind;
    // The kind held for the address may be "Relay Host" from a first poll without an answer.
    const QString sNamedKind = deviceKindName(sReplyName);
    return sReplyName.startsWith(sNamedKind) ? sReplyName : sNamedKind + ' ' + sReplyName;
}

QString deviceKindName(const QString &sReplyName) {
    return QString::fromLatin1(pszDeviceKindName(sReplyName.toLatin1().constData()));
}

QString titleText(const QString &sReplyName) {
    return sReplyName.isEmpty() ? QString::fromLatin1(RELAY_HOST_NAME) : sReplyName;
}

QIcon drawStateIcon(OM_Label::STATE eState, int iLargest) {
    const QPixmap oTrayImage(QString::fromLatin1(kTrayImage));
    const QColor oColour(OM_Label::kStateColours[eState]);
    QIcon oIcon;
    for (const int iSize : kTrayIconSizes) {
        if (iSize > iLargest && !oIcon.isNull())
            break;
        oIcon.addPixmap(drawStatePixmap(oTrayImage, oColour, iSize));
    }
    return oIcon;
}

PlainTrayToolTip::PlainTrayToolTip(QSystemTrayIcon *poTrayIcon)
    : QObject(poTrayIcon), poTrayIcon(poTrayIcon) {
    qApp->installEventFilter(this);
}

bool PlainTrayToolTip::eventFilter(QObject *poWatched, QEvent *poEvent) {
    // The tray's own window, a widget of Qt's named so, asks for its tooltip.
    auto *poTrayWindow = qobject_cast<QWidget *>(poWatched);
    if (poEvent->type() != QEvent::ToolTip || !poTrayWindow ||
        poTrayWindow->objectName() != QLatin1String("QSystemTrayIconSys"))
        return false;
    QToolTip::showText(static_cast<QHelpEvent *>(poEvent)->globalPos(),
                       Qt::convertFromPlainText(poTrayIcon->toolTip(), Qt::WhiteSpacePre),
                       poTrayWindow);
    return true;
}

const QIcon &StateIcons::icon(OM_Label::STATE eState) {
    QIcon &oIcon = aoIcons[eState];
    if (oIcon.isNull())
        oIcon = drawStateIcon(eState, OM_System::largestTrayIconSize());
    return oIcon;
}

} // namespace OM_StatePresentation
