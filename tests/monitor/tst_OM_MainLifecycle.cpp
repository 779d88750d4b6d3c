// How the program ends, and how it does not: boxes closed while the window sits hidden in the
// tray, Quit and Escape, and a failing query before and during the event loop.
#include "MonitorTestSupport.h"

using namespace monitortest;

namespace {

constexpr int kStillRunning = 42;

const char *const kErrorTitle = "Error getting state";
const char *const kErrorText =
    "Error occured during determination of orvane state.\nThis program will be closed.";

} // namespace

class TestOMMainLifecycle : public QObject {
    Q_OBJECT

private slots:
    void init() { clearMonitorSettings(); }

    void closingABoxWhileHiddenKeepsTheProgramRunning_data();
    void closingABoxWhileHiddenKeepsTheProgramRunning();
    void hidingKeepsTheProgramRunning();
    void quitAndEscapeEndTheProgramWithZero_data();
    void quitAndEscapeEndTheProgramWithZero();

    void failedFirstQueryEndsBeforeTheWindowShows();
    void failedLaterQueryEndsWithTwo_data();
    void failedLaterQueryEndsWithTwo();
};

void TestOMMainLifecycle::closingABoxWhileHiddenKeepsTheProgramRunning_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("everShown");
    QTest::newRow("Help, hidden after show") << "Help" << true;
    QTest::newRow("About, hidden after show") << "About" << true;
    QTest::newRow("address dialog, hidden after show") << "Change IP address" << true;
    QTest::newRow("Help, never shown") << "Help" << false;
    QTest::newRow("address dialog, never shown") << "Change IP address" << false;
}

void TestOMMainLifecycle::closingABoxWhileHiddenKeepsTheProgramRunning() {
    QFETCH(QString, entry);
    QFETCH(bool, everShown);
    auto poDevice = startDevice(deviceAddress(30));
    QVERIFY(poDevice);
    OM_Main oMain(deviceAddress(30), nullptr, OM_Main::kWindowFlags);
    if (everShown) {
        oMain.show();
        oMain.hide(); // as through the tray; the offscreen platform has none, so "Hide" is off
    }
    BoxCloser oCloser;

    const int iResult = runEventLoop([&] {
        menuEntry(oMain, entry)->trigger();
        endEventLoopSoon(kStillRunning);
    });

    QCOMPARE(oCloser.oSeen.size(), 1);
    QCOMPARE(iResult, kStillRunning);
}

void TestOMMainLifecycle::hidingKeepsTheProgramRunning() {
    auto poDevice = startDevice(deviceAddress(31));
    QVERIFY(poDevice);
    OM_Main oMain(deviceAddress(31), nullptr, OM_Main::kWindowFlags);
    oMain.show();
    const int iResult = runEventLoop([&] {
        emit trayIcon(oMain)->activated(QSystemTrayIcon::Trigger);
        endEventLoopSoon(kStillRunning);
    });
    QCOMPARE(iResult, kStillRunning);
    QVERIFY(!oMain.isVisible());
}

void TestOMMainLifecycle::quitAndEscapeEndTheProgramWithZero_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("Quit while hidden") << false;
    QTest::newRow("Escape on the shown window") << true;
}

void TestOMMainLifecycle::quitAndEscapeEndTheProgramWithZero() {
    QFETCH(bool, escape);
    auto poDevice = startDevice(deviceAddress(32));
    QVERIFY(poDevice);
    OM_Main oMain(deviceAddress(32), nullptr, OM_Main::kWindowFlags);
    if (escape)
        oMain.show();
    const int iResult = runEventLoop([&] {
        if (escape)
            QTest::keyClick(&oMain, Qt::Key_Escape);
        else
            menuEntry(oMain, "Quit")->trigger();
        endEventLoopSoon(kStillRunning);
    });
    QCOMPARE(iResult, 0);
}

void TestOMMainLifecycle::failedFirstQueryEndsBeforeTheWindowShows() {
    auto poDevice = startDevice(deviceAddress(33));
    QVERIFY(poDevice);
    poDevice->answerRaw("captureORVANE without separator");
    BoxCloser oCloser;

    OM_Main oMain(deviceAddress(33), nullptr, OM_Main::kWindowFlags);

    QVERIFY(oMain.hasFailed());
    QCOMPARE(oCloser.oSeen.size(), 1);
    QCOMPARE(oCloser.oSeen[0].sTitle, QString::fromLatin1(kErrorTitle));
    QCOMPARE(oCloser.oSeen[0].sText, QString::fromLatin1(kErrorText));
    QCOMPARE(oCloser.oSeen[0].eIcon, QMessageBox::Critical);
    QVERIFY(!oMain.isVisible());
    QVERIFY(!trayIcon(oMain)->isVisible());
    QVERIFY(!hasPollTimer(oMain));
}

void TestOMMainLifecycle::failedLaterQueryEndsWithTwo_data() {
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("openBox"); // a box open while the failing poll comes, or none
    QTest::newRow("window shown") << true << QString();
    QTest::newRow("window hidden") << false << QString();
    QTest::newRow("shown, during Help") << true << "Help";
}

void TestOMMainLifecycle::failedLaterQueryEndsWithTwo() {
    QFETCH(bool, shown);
    QFETCH(QString, openBox);
    auto poDevice = startDevice(deviceAddress(34));
    QVERIFY(poDevice);
    OM_Main oMain(deviceAddress(34), nullptr, OM_Main::kWindowFlags);
    QVERIFY(!oMain.hasFailed());
    if (shown)
        oMain.show();
    poDevice->answerRaw("no separator");
    BoxCloser oCloser;
    bool bPolled = false;
    auto fnPoll = [&] {
        bPolled = pollNow(oMain);
        endEventLoopSoon(kStillRunning);
    };

    const int iResult = runEventLoop([&] {
        if (openBox.isEmpty()) {
            fnPoll();
            return;
        }
        QTimer::singleShot(0, &oMain, fnPoll);
        menuEntry(oMain, openBox)->trigger();
    });

    QVERIFY(bPolled);
    QCOMPARE(iResult, OM_Main::kExitQueryFailed);
    QVERIFY(oMain.hasFailed());
    QVERIFY(!oMain.isVisible());
    QVERIFY(!oCloser.oSeen.isEmpty());
    QCOMPARE(oCloser.oSeen.constLast().sTitle, QString::fromLatin1(kErrorTitle));
}

ORVANE_MONITOR_TEST_MAIN(TestOMMainLifecycle)
#include "tst_OM_MainLifecycle.moc"
