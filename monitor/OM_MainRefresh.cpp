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
    if (event->timerId() == oAskAgainTimer.timerId()) {
        oAskAgainTimer.stop();
        refreshState();
    } else if (event->timerId() == oPollTimer.timerId()) {
        // Qt tells of a tray that comes or goes only inside its platform plugin: each poll looks.
        followSystemTray();
        refreshState();
    }
}

// Asking again is an event of its own, so that the window never waits longer than one query.
void OM_Main::refreshState() {
    oSilenceCheck.noteAsk(QDateTime::currentMSecsSinceEpoch(), oSteadyClock.elapsed());
    const OrvaneAnswer oAnswer =
        askOrvane(sIPAddress.toLatin1().constData(), orvane::kDefaultTimeoutMs);
    if (oAnswer.dwResult != 0) {
        failFatally();
        return;
    }
    if (oAnswer.eState == ORVANE_NOT_REACHABLE) {
        if (const std::optional<int> oDelay = oSilenceCheck.askAgainIn(showsAnAnswer())) {
            oAskAgainTimer.start(*oDelay, this);
            return;
        }
    }
    oAskAgainTimer.stop();
    oSilenceCheck.noteShown();
    // Who holds the device, as the device says it: an address, or whatever text it sends.
    const QString sHolder = oAnswer.eState == ORVANE_USED_BY_OTHER_PC
                                ? QString::fromLatin1(oAnswer.sUser).trimmed()
                                : QString();
    presentState(oAnswer.eState, QString::fromLatin1(oAnswer.sName), sHolder);
}

// The state shown now is an answer of the device polled (not one of a device watched before).
bool OM_Main::showsAnAnswer() const {
    return oLastState && *oLastState != ORVANE_NOT_REACHABLE && !bFirstPollOfDevice;
}

void OM_Main::presentState(OrvaneState eState, const QString &sNewReplyName,
                           const QString &sNewHolder) {
    const bool bAnswered = eState != ORVANE_NOT_REACHABLE;
    // The kind is the first answer's; a silence only stands in for it until then.
    if (!bKindFromAnswer) {
        sDeviceKindName = OM_StatePresentation::deviceKindName(sNewReplyName);
        bKindFromAnswer = bAnswered;
    }
    // The first state seen of a device has no known beginning; a new holder is a change as well.
    if (bFirstPollOfDevice)
        oStateSince = QDateTime();
    else if (eState != *oLastState || sNewHolder != sHolder)
        oStateSince = QDateTime::currentDateTime();
    // A silent device keeps the name it gave last, so that its title, tooltip and balloon say
    // which device went silent.
    if (bAnswered || bFirstPollOfDevice)
        sReplyName = sNewReplyName;
    bFirstPollOfDevice = false;
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
    poActionOpenWebInterface->setEnabled(!sNewReplyName.isEmpty());
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
    oAskAgainTimer.stop(); // the poll goes on under the box, as it always did; no more than that
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
