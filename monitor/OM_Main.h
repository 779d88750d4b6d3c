#pragma once

#include "OM_Label.h"
#include "OM_SilenceCheck.h"
#include "OM_StatePresentation.h"
#include "OrvaneQuery.h"

#include <QBasicTimer>
#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <QSystemTrayIcon>
#include <QWidget>

#include <cstdint>
#include <optional>

class OM_HolderNames;
class OM_Instance;
class QAction;
class QMenu;

// The monitor: a small always-on-top window showing the device address in the state colour, the
// tray icon with its menu, and the poll timer that refreshes both every ten seconds.
class OM_Main : public QWidget {
    Q_OBJECT

public:
    // Exit code of the program when a query failed fatally.
    static constexpr int kExitQueryFailed = 2;

    // The program's window: a small tool window (0x48012) that stays on top of the others.
    static constexpr Qt::WindowFlags kWindowFlags =
        Qt::SubWindow | Qt::WindowMaximizeButtonHint | Qt::WindowStaysOnTopHint;

    OM_Main(const QString &sIPAddress, QWidget *parent, Qt::WindowFlags flags);
    ~OM_Main() override;

    // True once a query has failed fatally. When the first query, made during construction, fails
    // there is no event loop to end yet: the caller must not show the window and must end the
    // program with kExitQueryFailed itself.
    bool hasFailed() const { return bFailed; }

    // Makes this monitor the one of its device for the user: later starts for the device show
    // this window, and "Change IP address" does not move to a device that another monitor
    // watches. The instance must have claimed the address already and outlive the window.
    void setInstance(OM_Instance *poInstance);

signals:
    void sigSetLabelState(OM_Label::STATE);

private slots:
    void slHelp();
    void slAbout();
    void slIconActivated(QSystemTrayIcon::ActivationReason eReason);
    void slSetShowStatusMessages();
    void slOpenWebInterface();
    void slChangeIPAddress();

protected:
    void timerEvent(QTimerEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void createStateLabel(); // and the layout that it fills
    QMenu *createTrayMenu();
    void createTrayIcon(QMenu *poMenu);
    void placeOnFirstShow();
    void followSystemTray();
    bool trayCanTakeTheIcon() const;
    void enableShowAndHide();
    void showOnScreen();
    void bringToFront();

    void refreshState();
    bool showsAnAnswer() const;
    void stopPolling();
    void presentState(OrvaneState eState, const QString &sNewReplyName, const QString &sNewHolder);
    OM_StatePresentation::ToolTipFacts toolTipFacts();
    void showToolTip(OrvaneState eState, const QString &sToolTip);
    void showHolderName(const QString &sNamedHolder);
    void failFatally();

    OM_Label *poStateLabel = nullptr;
    QString sIPAddress;
    QSystemTrayIcon *poTrayIcon = nullptr;
    QMenu *poTrayMenu = nullptr; // also the window's own context menu
    // The tray icon of each state, drawn when it is first shown; every poll sets one of them.
    OM_StatePresentation::StateIcons oStateIcons;
    bool bSystemTray = false;
    QBasicTimer oPollTimer;
    std::int32_t lPollInterval = 10000;
    // A poll without an answer may ask the device again before the silence is shown.
    OM_SilenceCheck oSilenceCheck{lPollInterval};
    QBasicTimer oAskAgainTimer;
    QElapsedTimer oSteadyClock;
    QAction *poActionShow = nullptr;
    QAction *poActionHide = nullptr;
    QAction *poActionShowStatusMessages = nullptr;
    QAction *poActionOpenWebInterface = nullptr;
    bool bFirstShow = true;
    bool bShownOnScreen = false; // since the last show event, not hidden or minimised since
    bool bShowStatusMessages = true;
    bool bShowStatusMessagesSwitched = false; // by the user in this monitor: saved at the end
    OM_Instance *poInstance = nullptr;
    std::optional<OrvaneState> oLastState; // none before the first successful poll
    QString sDeviceKindName;
    bool bKindFromAnswer = false; // until the device answers, its kind is only a stand-in
    // What the latest successful poll told, for the tooltip; the name is the last one the device
    // gave, also while it is silent.
    QString sReplyName;
    QString sHolder; // held by another PC: who, as the device says it
    OM_HolderNames *poHolderNames = nullptr;
    QDateTime oStateSince; // when this monitor saw the state (or holder) begin; invalid: unknown
    bool bFirstPollOfDevice = true;
    bool bFailed = false;
};
