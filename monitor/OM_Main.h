#pragma once

#include "OM_Label.h"
#include "OM_StatePresentation.h"
#include "OrvaneQuery.h"

#include <QBasicTimer>
#include <QString>
#include <QSystemTrayIcon>
#include <QWidget>

#include <cstdint>
#include <optional>

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
    void createStateLabel();
    void createLayout();
    QMenu *createTrayMenu();
    void createTrayIcon(QMenu *poMenu);
    void startPolling();
    void placeOnFirstShow();
    void followSystemTray();
    bool trayCanTakeTheIcon() const;
    void enableShowAndHide();
    void showOnScreen();

    void refreshState();
    void presentState(OrvaneState eState, const QString &sReplyName);
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
    QAction *poActionShow = nullptr;
    QAction *poActionHide = nullptr;
    QAction *poActionShowStatusMessages = nullptr;
    QAction *poActionOpenWebInterface = nullptr;
    bool bFirstShow = true;
    bool bShownOnScreen = false; // since the last show event, not hidden or minimised since
    bool bShowStatusMessages = true;
    std::optional<OrvaneState> oLastState; // none before the first successful poll
    QString sDeviceKindName;
    bool bFailed = false;
};
