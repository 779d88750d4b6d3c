// The poll of OM_Main: one query of the device and its presentation in label, tray and balloon.
#include "monitor/OM_Main.h"

#include "monitor/OM_Balloon.h"
#include "monitor/OM_Boxes.h"
#include "monitor/OM_StatePresentation.h"

#include <QAction>
#include <QByteArray>
#include <QCoreApplication>
#include <QThread>
#include <QTimerEvent>

namespace {

constexpr std::uint32_t kQueryTimeoutMs = 1000;

} // namespace

void OM_Main::timerEvent(QTimerEvent *event) {
    if (event->timerId() == lTimerId)
        refreshState();
}

void OM_Main::refreshState() {
    char acName[ORVANE_NAME_BUFFER_SIZE] = {};
    OrvaneState eState = ORVANE_NOT_REACHABLE;
    const QByteArray oAddress = sIPAddress.toLatin1();
    const std::uint32_t dwStatus =
        dwGetOrvaneState(oAddress.constData(), kQueryTimeoutMs, acName, &eState);
    if (dwStatus != 0) {
        failFatally();
        return;
    }
    presentState(eState, QString::fromLatin1(acName));
}

void OM_Main::presentState(OrvaneState eState, const QString &sReplyName) {
    if (sDeviceKindName.isEmpty())
        sDeviceKindName = OM_StatePresentation::deviceKindName(sReplyName);
    const OM_StatePresentation::Look oLook =
        OM_StatePresentation::lookOfState(eState, sDeviceKindName);
    emit sigSetLabelState(oLook.eLabelState);
    poTrayIcon->setIcon(OM_StatePresentation::drawStateIcon(oLook.oColour));
    poTrayIcon->setVisible(true);
    // The state text rather than the title, so that the state can be told without colours.
    poTrayIcon->setToolTip(oLook.sToolTip);
    const QString sTitle = OM_StatePresentation::titleText(sReplyName);
    setWindowTitle(sTitle);
    poActionOpenWebInterface->setEnabled(!sReplyName.isEmpty());
    OM_Balloon::traceState(static_cast<int>(eState), sTitle, oLook.sToolTip);
    const bool bChanged = lLastState != -1 && static_cast<std::int32_t>(eState) != lLastState;
    if (bChanged && bShowStatusMessages)
        OM_Balloon::show(poTrayIcon, sTitle, oLook.sBalloonText);
    lLastState = static_cast<std::int32_t>(eState);
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
