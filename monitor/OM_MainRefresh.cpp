// The poll of OM_Main: one query of the device and its presentation in label, tray and balloon.
#include "OM_Main.h"

#include "OM_Balloon.h"
#include "OM_Boxes.h"
#include "OM_HolderNames.h"
#include "OM_StatePresentation.h"
#include "OM_System.h"
#include "OrvaneIdentity.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QThread>
#include <QTimerEvent>

void OM_Main::timerEvent(QTimerEvent *event) {
    if (event->timerId() != oPollTimer.timerId())
        return;
    // Qt tells of a tray that comes or goes only inside its platform plugin: each poll looks.
    followSystemTray();
    refreshState();
}

void OM_Main::refreshState() {
    const OrvaneAnswer oAnswer =
        askOrvane(sIPAddress.toLatin1().constData(), orvane::kDefaultTimeoutMs);
    if (oAnswer.dwResult != 0) {
        failFatally();
        return;
    }
    // Who holds the device, as the device says it: an address, or whatever text it sends.
    const QString sHolder = oAnswer.eState == ORVANE_USED_BY_OTHER_PC
                                ? QString::fromLatin1(oAnswer.sUser).trimmed()
                                : QString();
    presentState(oAnswer.eState, QString::fromLatin1(oAnswer.sName), sHolder);
}

void OM_Main::presentState(OrvaneState eState, const QString &sNewReplyName,
                           const QString &sNewHolder) {
    if (sDeviceKindName.isEmpty())
        sDeviceKindName = OM_StatePresentation::deviceKindName(sNewReplyName);
    // The first state seen of a device has no known beginning; a new holder is a change as well.
    if (bFirstPollOfDevice)
        oStateSince = QDateTime();
    else if (eState != *oLastState || sNewHolder != sHolder)
        oStateSince = QDateTime::currentDateTime();
    bFirstPollOfDevice = false;
    sReplyName = sNewReplyName;
    sHolder = sNewHolder;
    const OM_StatePresentation::Look oLook =
        OM_StatePresentation::lookOfState(eState, sDeviceKindName, toolTipFacts());
    emit sigSetLabelState(oLook.eLabelState);
    // Handed over only when it changes: a tray takes every icon it is given as a new one (a D-Bus
    // host fetches all its sizes again, Windows makes a new icon handle).
    const QIcon &oIcon = oStateIcons.icon(oLook.eLabelState);
    if (poTrayIcon->icon().cacheKey() != oIcon.cacheKey())
        poTrayIcon->setIcon(oIcon);
    if (trayCanTakeTheIcon())
        poTrayIcon->setVisible(true);
    setWindowTitle(OM_StatePresentation::titleText(sReplyName));
    poActionOpenWebInterface->setEnabled(!sReplyName.isEmpty());
    showToolTip(eState, oLook.sToolTip);
    const bool bChanged = oLastState && eState != *oLastState;
    if (bChanged && bShowStatusMessages)
        OM_Balloon::show(poTrayIcon, windowTitle(), oLook.sBalloonText);
    oLastState = eState;
}

OM_StatePresentation::ToolTipFacts OM_Main::toolTipFacts() {
    return {OM_StatePresentation::deviceName(sDeviceKindName, sReplyName),
            sIPAddress,
            sHolder,
            sHolder.isEmpty() ? QString() : poHolderNames->nameOf(sHolder),
            oStateSince,
            QDate::currentDate(),
            OM_System::trayToolTipLimit()};
}

// A holder's name came after the poll that showed the holder.
void OM_Main::showHolderName(const QString &sNamedHolder) {
    if (sNamedHolder != sHolder || !oLastState)
        return;
    showToolTip(
        *oLastState,
        OM_StatePresentation::lookOfState(*oLastState, sDeviceKindName, toolTipFacts()).sToolTip);
}

// The state in words rather than the title, so that the state can be told without colours, with
// the device, so that the icons of several monitors can be told apart; the same words for screen
// readers, which cannot tell the label's colour. Traced with the state and the window's title.
void OM_Main::showToolTip(OrvaneState eState, const QString &sToolTip) {
    poTrayIcon->setToolTip(sToolTip);
    poStateLabel->setAccessibleDescription(sToolTip);
    OM_Balloon::traceState(static_cast<int>(eState), windowTitle(), sToolTip);
}

void OM_Main::failFatally() {
    OM_Boxes::critical(this, tr("Error getting state"),
                       tr("Error occured during determination of orvane state.\nThis program "
                          "will be closed."));
    bFailed = true;
    // Closing the shown window would otherwise count as closing the last window, which ends the
    // event loop with 0 and so reports the failure as success.
    setAttribute(Qt::WA_QuitOnClose, false);
    close();
    // Without a running event loop (the first query, made during construction) there is nothing
    // to end here: the caller sees hasFailed() and ends the program with the same code.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(kExitQueryFailed);
}
