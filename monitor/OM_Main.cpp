#include "OM_Main.h"

#include "OM_Boxes.h"
#include "OM_HelpTexts.h"
#include "OM_HolderNames.h"
#include "OM_IPDialog.h"
#include "OM_Instance.h"
#include "OM_Placement.h"
#include "OM_Settings.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QUrl>
#include <QVBoxLayout>

OM_Main::OM_Main(const QString &sIPAddress, QWidget *parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), sIPAddress(sIPAddress) {
    createStateLabel();
    poHolderNames = new OM_HolderNames(this);
    connect(poHolderNames, &OM_HolderNames::sigNamed, this, &OM_Main::showHolderName);
    // Laid out before the window exists, so that its minimum size reaches the window system with
    // the window rather than as a change afterwards, which not every platform takes.
    ensurePolished();
    layout()->activate();
    bShowStatusMessages = OM_Settings::readShowStatusMessages();
    poTrayMenu = createTrayMenu();
    createTrayIcon(poTrayMenu);
    followSystemTray();
    dwInitSockets(); // a failed start surfaces as the first query's error
    oSteadyClock.start();
    refreshState();
    if (!bFailed) // otherwise the program is ending: no further queries
        oPollTimer.start(lPollInterval, this);
}

OM_Main::~OM_Main() {
    iCleanupSockets();
    // A window that was never shown has no position of its own; keep the one saved earlier.
    const std::optional<QPoint> oPosition =
        bFirstShow ? std::nullopt : std::optional<QPoint>(pos());
    // The switch only when the user switched it here: another monitor's choice stays otherwise.
    const std::optional<bool> oSwitch =
        bShowStatusMessagesSwitched ? std::optional<bool>(bShowStatusMessages) : std::nullopt;
    OM_Settings::writeOnExit(sIPAddress, oPosition, oSwitch);
}

void OM_Main::setInstance(OM_Instance *poNewInstance) {
    poInstance = poNewInstance;
    connect(poInstance, &OM_Instance::sigShowRequested, this, &OM_Main::bringToFront);
}

void OM_Main::createStateLabel() {
    poStateLabel = new OM_Label(this);
    poStateLabel->setText(sIPAddress);
    poStateLabel->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    poStateLabel->setMinimumSize(120, 20);
    poStateLabel->setAlignment(Qt::AlignCenter);
    poStateLabel->setToolTip(QStringLiteral(
        "green = Available\ncyan = Used by this PC\nyellow = Used by other PC\nred = No "
        "connection\n\nRight-click system tray icon for options."));
    connect(this, &OM_Main::sigSetLabelState, poStateLabel, &OM_Label::slSetState);
    auto *poLayout = new QVBoxLayout(this);
    poLayout->setContentsMargins(0, 0, 0, 0);
    poLayout->setSpacing(0);
    poLayout->addWidget(poStateLabel);
}

QMenu *OM_Main::createTrayMenu() {
    auto *poMenu = new QMenu(this);
    poActionShow = poMenu->addAction(tr("Show"), this, &OM_Main::showOnScreen);
    poActionHide = poMenu->addAction(tr("Hide"), this, &QWidget::hide);
    poMenu->addSeparator();
    poMenu->addAction(tr("Change IP address"), this, &OM_Main::slChangeIPAddress);
    poMenu->addSeparator();
    poActionShowStatusMessages =
        poMenu->addAction(tr("Show Status Messages"), this, &OM_Main::slSetShowStatusMessages);
    poActionShowStatusMessages->setCheckable(true);
    poActionShowStatusMessages->setChecked(bShowStatusMessages);
    poMenu->addSeparator();
    poActionOpenWebInterface =
        poMenu->addAction(tr("Open Web interface"), this, &OM_Main::slOpenWebInterface);
    poMenu->addSeparator();
    poMenu->addAction(tr("About"), this, &OM_Main::slAbout);
    poMenu->addAction(tr("Help"), QKeySequence(QStringLiteral("F1")), this, &OM_Main::slHelp);
    poMenu->addSeparator();
    poMenu->addAction(tr("Quit"), qApp, &QCoreApplication::quit);
    // Whoever opens the menu sees "Hide" as the tray is now, not as it was at the last poll.
    connect(poMenu, &QMenu::aboutToShow, this, [this] { followSystemTray(); });
    return poMenu;
}

void OM_Main::createTrayIcon(QMenu *poMenu) {
    // No image and not visible yet: the first successful refresh gives it both.
    poTrayIcon = new QSystemTrayIcon(this);
    poTrayIcon->setContextMenu(poMenu);
    new OM_StatePresentation::PlainTrayToolTip(poTrayIcon);
    connect(poTrayIcon, &QSystemTrayIcon::activated, this, &OM_Main::slIconActivated);
}

void OM_Main::showEvent(QShowEvent *event) {
    if (bFirstShow) {
        placeOnFirstShow();
        bFirstShow = false;
    }
    bShownOnScreen = true;
    enableShowAndHide();
    QWidget::showEvent(event);
}

// A device without a place of its own takes the one saved for any, or the corner, unless another
// device's window has its place there: then the nearest free spot above, or to the left. Either
// way the spot becomes its own at once, so that a monitor started beside it sees it taken.
void OM_Main::placeOnFirstShow() {
    const auto poChoosing = OM_Placement::lockChoosing();
    const OM_Settings::Places oPlaces = OM_Settings::readPlaces(sIPAddress);
    const std::optional<QPoint> oSaved = oPlaces.oOwn ? oPlaces.oOwn : oPlaces.oAny;
    QPoint oPosition = OM_Placement::firstShowPosition(oSaved, size());
    bool bExactly = oSaved && oPosition == *oSaved; // it stood there
    if (!oPlaces.oOwn) {
        const QPoint oFree = OM_Placement::freeSpot(
            oPosition, OM_Placement::frameSize(windowHandle(), size()), oPlaces.oOthers);
        bExactly = bExactly || oFree != oPosition;
        oPosition = oFree;
        OM_Settings::writeOwnPlace(sIPAddress, oPosition);
    }
    move(oPosition);
    // The corner is left to the move alone: the window manager may still fit the window, which
    // the corner formula lets stick out by its frame, into the work area as it maps it.
    if (bExactly)
        OM_Placement::placeFrameOnFirstExpose(windowHandle(), oPosition);
}

// Also when the system hides the window, as on minimising it, where the window still counts as
// visible: "Show" is then the way back.
void OM_Main::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    bShownOnScreen = false;
    enableShowAndHide();
}

// Brings a minimised window back as well.
void OM_Main::showOnScreen() {
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
}

// Another start asked for this device: the window comes up as "Show" brings it, and in front.
void OM_Main::bringToFront() {
    showOnScreen();
    raise();
    activateWindow();
}

void OM_Main::contextMenuEvent(QContextMenuEvent *event) {
    // The tray's menu, so that every entry stays at hand where there is no tray.
    poTrayMenu->popup(event->globalPos());
}

// Without a system tray the window is the only way to the program: it cannot be hidden then, and
// a tray that goes away while the window is hidden brings it back. A minimised window stays so:
// the task bar brings it back, and the user minimised it. A tray that comes later takes the icon
// by itself (Qt embeds it as soon as the tray is there).
void OM_Main::followSystemTray() {
    bSystemTray = QSystemTrayIcon::isSystemTrayAvailable();
    if (!bSystemTray && !bFirstShow && !bFailed && isHidden())
        show();
    enableShowAndHide();
}

// Where a tray can ever take the icon: one is there now, or an X11 session, where Qt embeds the
// icon as soon as a tray comes. Elsewhere (no tray over D-Bus, or no windowing system at all) the
// toolkit would only look for an X11 tray that cannot be there.
bool OM_Main::trayCanTakeTheIcon() const {
    return bSystemTray || QGuiApplication::platformName() == QLatin1String("xcb");
}

void OM_Main::enableShowAndHide() {
    poActionShow->setEnabled(!bShownOnScreen);
    poActionHide->setEnabled(bShownOnScreen && bSystemTray);
}

void OM_Main::stopPolling() {
    oPollTimer.stop();
    oAskAgainTimer.stop();
}

void OM_Main::keyPressEvent(QKeyEvent *event) {
    // Only the key counts: Shift+Escape closes and Ctrl+F1 helps as well.
    if (event->key() == Qt::Key_Escape) {
        stopPolling();
        close();
    } else if (event->key() == Qt::Key_F1) {
        slHelp();
    }
}

// A click, double click or middle click; the context menu opens by itself.
void OM_Main::slIconActivated(QSystemTrayIcon::ActivationReason eReason) {
    if (eReason == QSystemTrayIcon::Context || eReason == QSystemTrayIcon::Unknown)
        return;
    if (bShownOnScreen)
        hide();
    else
        showOnScreen();
}

void OM_Main::slSetShowStatusMessages() {
    bShowStatusMessages = !bShowStatusMessages;
    bShowStatusMessagesSwitched = true;
    poActionShowStatusMessages->setChecked(bShowStatusMessages);
    // Saved at once as well, for the monitors of other devices that start meanwhile.
    OM_Settings::writeShowStatusMessages(bShowStatusMessages);
}

// The address as browsers read it: some take a leading zero for an octal octet (192.168.1.09).
void OM_Main::slOpenWebInterface() {
    QDesktopServices::openUrl(
        QUrl(QStringLiteral("http://") + OM_Settings::canonicalAddress(sIPAddress)));
}

void OM_Main::slChangeIPAddress() {
    OM_IPDialog oDialog(QString(), this);
    oDialog.setIPAddress(sIPAddress);
    if (OM_Boxes::runDialog(oDialog) != QDialog::Accepted)
        return;
    if (poInstance && !poInstance->claim(oDialog.GetIPAddress())) {
        OM_Boxes::information(this, tr("Change IP address"),
                              tr("%1 is monitored in another window already, which is shown now. "
                                 "This window keeps monitoring %2.")
                                  .arg(oDialog.GetIPAddress(), sIPAddress));
        return;
    }
    sIPAddress = oDialog.GetIPAddress();
    poStateLabel->setText(sIPAddress);
    sDeviceKindName.clear();
    bKindFromAnswer = false;
    bFirstPollOfDevice = true;
    refreshState();
}

void OM_Main::slHelp() {
    OM_Boxes::information(this, tr("Orvane Monitor Help"), OM_HelpTexts::helpText(sDeviceKindName));
}

void OM_Main::slAbout() {
    OM_Boxes::information(this, tr("About Orvane Monitor"),
                          "Version: " + QCoreApplication::applicationVersion());
}
