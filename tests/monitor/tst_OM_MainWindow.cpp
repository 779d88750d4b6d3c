// The monitor window itself: its meta-object and menu, settings, placement, keys, tray clicks,
// the web interface and the Help and About boxes.
#include "MonitorTestSupport.h"

#include "OM_HelpTexts.h"
#include "OM_Instance.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLockFile>
#include <QMenu>
#include <QMetaMethod>
#include <QScreen>
#include <QUrl>

using namespace monitortest;

namespace {

QRect primaryArea() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

QPoint cornerFor(const QWidget &oWindow) {
    const QRect oArea = primaryArea();
    return QPoint(oArea.right() - oWindow.width(), oArea.bottom() - oWindow.height());
}

} // namespace

// Stands in for the browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> oUrls;
public slots:
    void open(const QUrl &oUrl) { oUrls.append(oUrl); }
};

class TestOMMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { clearMonitorSettings(); }

    void metaObjectListsSignalAndSlotsInOrder();
    void trayMenuHoldsTheEntriesAndOpensOnTheWindow();

    void settingsSurviveTheProgram();
    void eachDeviceKeepsItsOwnPlace();
    void oneMonitorPerDevice();
    void quitGivesTheDeviceUpAtOnce();
#ifdef Q_OS_WIN
    void lockOfAnEndedMonitorIsTakenOver_data();
    void lockOfAnEndedMonitorIsTakenOver();
#endif
    void savedPositionIsUsedOnlyOnAScreen_data();
    void savedPositionIsUsedOnlyOnAScreen();

    void showAndHideEntriesFollowTheWindow();
    void trayActivationTogglesOnlyForClicks_data();
    void trayActivationTogglesOnlyForClicks();
    void escapeClosesAndF1ShowsHelpWhateverTheModifiers_data();
    void escapeClosesAndF1ShowsHelpWhateverTheModifiers();

    void webInterfaceOpensTheDeviceAddress();
    void helpNamesTheDeviceKind();
    void helpWithoutKindLeavesItsPlacesEmpty();
    void aboutShowsTheVersion();

private:
    std::unique_ptr<TestDevice> poDevice;
};

void TestOMMainWindow::initTestCase() {
    poDevice = startDevice(deviceAddress(20));
    QVERIFY(poDevice);
}

void TestOMMainWindow::metaObjectListsSignalAndSlotsInOrder() {
    const QMetaObject &oMeta = OM_Main::staticMetaObject;
    QCOMPARE(oMeta.className(), "OM_Main");
    const QList<QByteArray> oExpected = {"sigSetLabelState(OM_Label::STATE)",
                                         "slHelp()",
                                         "slAbout()",
                                         "slIconActivated(QSystemTrayIcon::ActivationReason)",
                                         "slSetShowStatusMessages()",
                                         "slOpenWebInterface()",
                                         "slChangeIPAddress()"};
    QCOMPARE(oMeta.methodCount() - oMeta.methodOffset(), oExpected.size());
    for (int i = 0; i < oExpected.size(); ++i) {
        const QMetaMethod oMethod = oMeta.method(oMeta.methodOffset() + i);
        QCOMPARE(oMethod.methodSignature(), oExpected[i]);
        QCOMPARE(oMethod.methodType(), i == 0 ? QMetaMethod::Signal : QMetaMethod::Slot);
        if (i > 0)
            QCOMPARE(oMethod.access(), QMetaMethod::Private);
    }
}

void TestOMMainWindow::trayMenuHoldsTheEntriesAndOpensOnTheWindow() {
    OM_Main oMain(deviceAddress(20), nullptr, OM_Main::kWindowFlags);
    QStringList oCaptions;
    const QList<QAction *> oActions = trayIcon(oMain)->contextMenu()->actions();
    for (const QAction *poAction : oActions)
        oCaptions << (poAction->isSeparator() ? QStringLiteral("-") : poAction->text());
    QCOMPARE(oCaptions,
             QStringList({"Show", "Hide", "-", "Change IP address", "-", "Show Status Messages",
                          "-", "Open Web interface", "-", "About", "Help", "-", "Quit"}));
    QCOMPARE(menuEntry(oMain, "Help")->shortcut(), QKeySequence(Qt::Key_F1));
    QVERIFY(menuEntry(oMain, "Show Status Messages")->isCheckable());
    QVERIFY(!menuEntry(oMain, "Show")->isCheckable());

    oMain.show();
    QVERIFY(QTest::qWaitForWindowExposed(&oMain));
    QMenu *poMenu = trayIcon(oMain)->contextMenu();
    QVERIFY(!poMenu->isVisible());
    // On the label, which fills the window; it leaves the click to the window.
    OM_Label *poLabel = stateLabel(oMain);
    const QPoint oAt = poLabel->rect().center();
    QContextMenuEvent oClick(QContextMenuEvent::Mouse, oAt, poLabel->mapToGlobal(oAt));
    QApplication::sendEvent(poLabel, &oClick);
    QVERIFY(poMenu->isVisible());
    poMenu->hide();
}

void TestOMMainWindow::settingsSurviveTheProgram() {
    const QPoint oPlace(primaryArea().topLeft() + QPoint(30, 40));
    // Another device's monitor, started before the switch and ended after it, never touched it.
    auto poOther = std::make_unique<OM_Main>(deviceAddress(22), nullptr, OM_Main::kWindowFlags);
    {
        OM_Main oMain(deviceAddress(20), nullptr, OM_Main::kWindowFlags);
        oMain.show();
        menuEntry(oMain, "Show Status Messages")->trigger();
        menuEntry(oMain, "Show Status Messages")->trigger();
        menuEntry(oMain, "Show Status Messages")->trigger(); // only the final state counts
        oMain.move(oPlace);
        oMain.hide(); // the position is kept for a hidden window too
        // Saved at once, for the monitors that start meanwhile.
        QCOMPARE(MonitorSettings().oSettings.value("StateChangedMessage").toBool(), false);
    }
    poOther.reset();
    {
        MonitorSettings oStore;
        QCOMPARE(oStore.oSettings.value("pos").toPoint(), oPlace);
        QCOMPARE(oStore.oSettings.value("StateChangedMessage").toBool(), false);
    }
    OM_Main oMain(deviceAddress(20), nullptr, OM_Main::kWindowFlags);
    QVERIFY(!menuEntry(oMain, "Show Status Messages")->isChecked());
    oMain.show();
    QCOMPARE(oMain.pos(), oPlace);
    {
        ModalDriver oDriver; // a monitor that fails at start keeps the saved position
        const MonitoredDevice oFailed(deviceAddress(21), "no separator");
        QVERIFY(oFailed);
        QVERIFY(oFailed->hasFailed());
    }
    QCOMPARE(MonitorSettings().oSettings.value("pos").toPoint(), oPlace);
}

// Two monitors for two devices on one PC: each comes back at its own place, whichever ended last;
// "pos" is still written. A device with no place of its own yet takes it unless another device's
// window has its place there: then the spot above, which it keeps. A place saved under another
// spelling of the address is the device's too.
void TestOMMainWindow::eachDeviceKeepsItsOwnPlace() {
    const QPoint oFirst(primaryArea().topLeft() + QPoint(30, 40));
    const QPoint oSecond(primaryArea().topLeft() + QPoint(200, 190));
    for (const auto &[iDevice, oPlace] : {std::pair{20, oFirst}, std::pair{22, oSecond}}) {
        OM_Main oMain(deviceAddress(iDevice), nullptr, OM_Main::kWindowFlags);
        oMain.show();
        oMain.move(oPlace);
    }
    QCOMPARE(MonitorSettings().oSettings.value("pos").toPoint(), oSecond);
    QPoint oThird;
    for (const auto &[iDevice, oPlace] : {std::pair{20, oFirst}, std::pair{22, oSecond},
                                          std::pair{23, QPoint()}, std::pair{23, QPoint()}}) {
        OM_Main oMain(deviceAddress(iDevice), nullptr, OM_Main::kWindowFlags);
        oMain.show();
        if (!oPlace.isNull()) {
            QCOMPARE(oMain.pos(), oPlace);
        } else if (oThird.isNull()) {
            oThird = oMain.pos();
            QCOMPARE(oThird.x(), oSecond.x());
            QVERIFY(oThird.y() + oMain.height() < oSecond.y());
            QVERIFY(primaryArea().contains(oThird));
        } else {
            QCOMPARE(oMain.pos(), oThird);
        }
    }
    clearMonitorSettings();
    MonitorSettings().oSettings.setValue("pos-" + respelt(deviceAddress(20)), oFirst);
    {
        OM_Main oMain(deviceAddress(20), nullptr, OM_Main::kWindowFlags);
        oMain.show();
        QCOMPARE(oMain.pos(), oFirst);
    }
    QCOMPARE(MonitorSettings().oSettings.value("pos-" + deviceAddress(20)).toPoint(), oFirst);
}

// A later start for a device, in any spelling, asks the monitor that watches it to show its
// window; "Change IP address" does not move to a device that another monitor watches.
void TestOMMainWindow::oneMonitorPerDevice() {
    OM_Instance oWatching, oOther;
    QVERIFY(oWatching.claim(deviceAddress(20)));
    OM_Main oMain(deviceAddress(20), nullptr, OM_Main::kWindowFlags);
    oMain.setInstance(&oWatching);
    QVERIFY(!oMain.isVisible());
    QVERIFY(!oOther.claim(respelt(deviceAddress(20))));
    QTRY_VERIFY(oMain.isVisible());

    QVERIFY(oOther.claim(deviceAddress(22)));
    QSignalSpy oShowRequests(&oOther, &OM_Instance::sigShowRequested);
    ModalDriver oDriver({deviceAddress(22)});
    menuEntry(oMain, "Change IP address")->trigger();
    QCOMPARE(oDriver.records().size(), 2); // the address dialog, then the box that says why not
    QCOMPARE(oDriver.records()[1]["icon"].toInt(), int(QMessageBox::Information));
    QVERIFY(oDriver.seen("text")[1].contains(deviceAddress(22)));
    QCOMPARE(stateLabel(oMain)->text(), deviceAddress(20));
    QTRY_COMPARE(oShowRequests.size(), 1);
    QVERIFY(!oOther.claim(deviceAddress(20))); // still this monitor's
}

// A start right after Quit, as an installer restarts the program, gets the device while the
// monitor that quits has not ended yet, and holds it: a start after that hands over to it.
void TestOMMainWindow::quitGivesTheDeviceUpAtOnce() {
    OM_Instance oQuitting, oNextStart;
    QVERIFY(oQuitting.claim(deviceAddress(20)));
    OM_Main oMain(deviceAddress(20), nullptr, OM_Main::kWindowFlags);
    oMain.setInstance(&oQuitting);
    bool bTaken = false;
    QCOMPARE(runEventLoop([&] {
                 menuEntry(oMain, "Quit")->trigger();
                 bTaken = oNextStart.claim(deviceAddress(20));
             }),
             0);
    QVERIFY(bTaken);
    QSignalSpy oShowRequests(&oNextStart, &OM_Instance::sigShowRequested);
    QVERIFY(!OM_Instance().claim(respelt(deviceAddress(20))));
    QTRY_COMPARE(oShowRequests.size(), 1);
}

#ifdef Q_OS_WIN
// A lock file that a monitor left when it ended without its clean-up (at logoff, or killed): one
// made but never written, and one that names a process that runs (its number taken by another
// process since). The next start takes the device over, and holds it.
void TestOMMainWindow::lockOfAnEndedMonitorIsTakenOver_data() {
    QTest::addColumn<QByteArray>("content");
    const QString sPath = OM_Instance::lockFilePath(deviceAddress(20));
    QLockFile oRunning(sPath);
    QVERIFY(oRunning.tryLock());
    QFile oWritten(sPath);
    QVERIFY(oWritten.open(QIODevice::ReadOnly));
    QTest::newRow("never written") << QByteArray();
    QTest::newRow("of a running process") << oWritten.readAll();
}

void TestOMMainWindow::lockOfAnEndedMonitorIsTakenOver() {
    QFETCH(QByteArray, content);
    QFile oLeft(OM_Instance::lockFilePath(deviceAddress(20)));
    QVERIFY(oLeft.open(QIODevice::WriteOnly));
    oLeft.write(content);
    oLeft.close();
    OM_Instance oNextStart;
    QVERIFY(oNextStart.claim(deviceAddress(20)));
    QSignalSpy oShowRequests(&oNextStart, &OM_Instance::sigShowRequested);
    QVERIFY(!OM_Instance().claim(deviceAddress(20)));
    QTRY_COMPARE(oShowRequests.size(), 1);
}
#endif

// The first run, with nothing saved, takes the defaults and the lower right corner; a saved
// position counts only on a screen, and one that is no point reads as the origin.
void TestOMMainWindow::savedPositionIsUsedOnlyOnAScreen_data() {
    QTest::addColumn<QVariant>("saved"); // none: the first run
    QTest::addColumn<QVariant>("place"); // none: the corner
    const QRect oArea = primaryArea();
    QTest::newRow("first run") << QVariant() << QVariant();
    QTest::newRow("inside") << QVariant(oArea.center()) << QVariant(oArea.center());
    QTest::newRow("top left edge") << QVariant(oArea.topLeft()) << QVariant(oArea.topLeft());
    QTest::newRow("bottom right edge")
        << QVariant(oArea.bottomRight()) << QVariant(oArea.bottomRight());
    QTest::newRow("just beyond") << QVariant(oArea.bottomRight() + QPoint(1, 0)) << QVariant();
    QTest::newRow("detached screen") << QVariant(QPoint(-5000, 300)) << QVariant();
    QTest::newRow("no point") << QVariant("not a point") << QVariant(QPoint(0, 0));
}

void TestOMMainWindow::savedPositionIsUsedOnlyOnAScreen() {
    QFETCH(QVariant, saved);
    QFETCH(QVariant, place);
    if (saved.isValid())
        MonitorSettings().oSettings.setValue("pos", saved);
    OM_Main oMain(deviceAddress(20), nullptr, OM_Main::kWindowFlags);
    QVERIFY(menuEntry(oMain, "Show Status Messages")->isChecked());
    oMain.show();
    QCOMPARE(oMain.pos(), place.isValid() ? place.toPoint() : cornerFor(oMain));
    QVERIFY(oMain.width() >= 120 && oMain.height() >= 20);
    // Later shows keep the place the window has.
    const QPoint oPlace(primaryArea().topLeft() + QPoint(10, 10));
    oMain.move(oPlace);
    oMain.hide();
    oMain.show();
    QCOMPARE(oMain.pos(), oPlace);
}

// The offscreen platform has no system tray, like a desktop without one: "Hide" is never offered,
// and a window hidden as a tray that has gone away left it comes back with the next poll. The
// desktop tests see "Hide" offered where a tray is.
void TestOMMainWindow::showAndHideEntriesFollowTheWindow() {
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    OM_Main oMain(deviceAddress(20), nullptr, OM_Main::kWindowFlags);
    QAction *poShow = menuEntry(oMain, "Show");
    QAction *poHide = menuEntry(oMain, "Hide");
    QVERIFY(pollNow(oMain));
    QVERIFY(!oMain.isVisible()); // the program shows it first; a poll does not
    QVERIFY(poShow->isEnabled() && !poHide->isEnabled());
    poShow->trigger();
    QVERIFY(oMain.isVisible());
    QVERIFY(!poShow->isEnabled() && !poHide->isEnabled());
    poHide->trigger();
    QVERIFY(oMain.isVisible());
    oMain.hide();
    QVERIFY(poShow->isEnabled());
    QVERIFY(pollNow(oMain));
    QVERIFY(oMain.isVisible());
    QVERIFY(!poShow->isEnabled());
    // Minimised, the window still counts as visible, but is gone from the screen: "Show" brings it
    // back, also after a poll.
    oMain.setWindowState(Qt::WindowMinimized);
    QVERIFY(pollNow(oMain));
    QVERIFY(poShow->isEnabled() && !poHide->isEnabled());
    poShow->trigger();
    QVERIFY(!oMain.isMinimized());
    QVERIFY(!poShow->isEnabled());
}

void TestOMMainWindow::trayActivationTogglesOnlyForClicks_data() {
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("toggles");
    QTest::newRow("unknown") << int(QSystemTrayIcon::Unknown) << false;
    QTest::newRow("context") << int(QSystemTrayIcon::Context) << false;
    QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick) << true;
    QTest::newRow("trigger") << int(QSystemTrayIcon::Trigger) << true;
    QTest::newRow("middle click") << int(QSystemTrayIcon::MiddleClick) << true;
}

void TestOMMainWindow::trayActivationTogglesOnlyForClicks() {
    QFETCH(int, reason);
    QFETCH(bool, toggles);
    OM_Main oMain(deviceAddress(20), nullptr, OM_Main::kWindowFlags);
    const auto eReason = static_cast<QSystemTrayIcon::ActivationReason>(reason);
    oMain.show();
    emit trayIcon(oMain)->activated(eReason);
    QCOMPARE(oMain.isVisible(), !toggles);
    emit trayIcon(oMain)->activated(eReason);
    QVERIFY(oMain.isVisible());
}

// Escape stops polling and closes the window, F1 shows the Help box as its menu entry does, each
// whatever the modifiers; other keys do nothing.
void TestOMMainWindow::escapeClosesAndF1ShowsHelpWhateverTheModifiers_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier);
    QTest::newRow("Shift+Escape") << int(Qt::Key_Escape) << int(Qt::ShiftModifier);
    QTest::newRow("F1") << int(Qt::Key_F1) << int(Qt::NoModifier);
    QTest::newRow("Ctrl+F1") << int(Qt::Key_F1) << int(Qt::ControlModifier);
    for (const Qt::Key eKey : {Qt::Key_F2, Qt::Key_Return, Qt::Key_Q, Qt::Key_Space})
        QTest::addRow("Alt+%s", qPrintable(QKeySequence(eKey).toString()))
            << int(eKey) << int(Qt::AltModifier);
}

void TestOMMainWindow::escapeClosesAndF1ShowsHelpWhateverTheModifiers() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    const bool bCloses = key == Qt::Key_Escape;
    OM_Main oMain(deviceAddress(20), nullptr, OM_Main::kWindowFlags);
    oMain.show();
    QVERIFY(hasPollTimer(oMain));
    ModalDriver oDriver;
    QTest::keyClick(&oMain, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(oMain.isVisible(), !bCloses);
    QCOMPARE(hasPollTimer(oMain), !bCloses);
    if (key != Qt::Key_F1) {
        QVERIFY(oDriver.records().isEmpty());
        return;
    }
    menuEntry(oMain, "Help")->trigger();
    QCOMPARE(oDriver.seen("title"), QStringList(2, QStringLiteral("Orvane Monitor Help")));
    QCOMPARE(oDriver.seen("text")[0], oDriver.seen("text")[1]);
}

void TestOMMainWindow::webInterfaceOpensTheDeviceAddress() {
    UrlRecorder oBrowser;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &oBrowser, "open");
    // Written with leading zeros, which some browsers would read as an octal octet.
    OM_Main oMain(respelt(deviceAddress(20)), nullptr, OM_Main::kWindowFlags);
    menuEntry(oMain, "Open Web interface")->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QCOMPARE(oBrowser.oUrls, QList<QUrl>({QUrl("http://" + deviceAddress(20))}));
}

void TestOMMainWindow::helpNamesTheDeviceKind() {
    poDevice->answerWith("sig 66", "0.0.0.0");
    OM_Main oMain(deviceAddress(20), nullptr, OM_Main::kWindowFlags);
    poDevice->answerWith("captureORVANE demo", "0.0.0.0");
    ModalDriver oDriver;
    menuEntry(oMain, "Help")->trigger();
    QCOMPARE(oDriver.records().size(), 1);
    QCOMPARE(oDriver.records()[0]["icon"].toInt(), int(QMessageBox::Information));
    QCOMPARE(oDriver.seen("text")[0],
             QStringLiteral("This tool monitors the state of one captureORVANE or sourceORVANE.\n"
                            "The different colors denote the following states:\n"
                            " - green:\tsourceORVANE is available for use\n"
                            " - cyan:\tsourceORVANE is used by this PC\n"
                            " - yellow:\tsourceORVANE is in use by other PC\n"
                            " - red:\tsourceORVANE is not available (powered off or network "
                            "error)\n"
                            "\n"
                            "Left-click the system tray icon to toggle visibility of main window.\n"
                            "Right-click the system tray icon to bring up a context menu.\n"));
}

void TestOMMainWindow::helpWithoutKindLeavesItsPlacesEmpty() {
    const QString sText = OM_HelpTexts::helpText(QString());
    QVERIFY(
        sText.startsWith("This tool monitors the state of one captureORVANE or sourceORVANE.\n"));
    QVERIFY(sText.contains("\n - green:\t is available for use\n"));
    QVERIFY(sText.contains("\n - red:\t is not available (powered off or network error)\n"));
    QVERIFY(OM_HelpTexts::helpText("Relay Host")
                .contains("\n - cyan:\tRelay Host is used by this PC\n"));
}

void TestOMMainWindow::aboutShowsTheVersion() {
    OM_Main oMain(deviceAddress(20), nullptr, OM_Main::kWindowFlags);
    ModalDriver oDriver;
    menuEntry(oMain, "About")->trigger();
    QCOMPARE(oDriver.seen("title"), QStringList{"About Orvane Monitor"});
    QCOMPARE(oDriver.seen("text"), QStringList{"Version: 1.0.13503"});
    QCOMPARE(oDriver.records()[0]["icon"].toInt(), int(QMessageBox::Information));
}

ORVANE_MONITOR_TEST_MAIN(TestOMMainWindow)
#include "tst_OM_MainWindow.moc"
