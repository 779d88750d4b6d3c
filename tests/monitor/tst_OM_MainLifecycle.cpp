// How the program ends, and how it does not: boxes closed while the window sits hidden in the
// tray, Quit and Escape, and a failing query before and during the event loop.
#include "MonitorTestSupport.h"

using namespace monitortest;

namespace {

constexpr int kStillRunning = 42;

// The window before the action: never shown, shown and hidden again, or shown.
constexpr int kNeverShown = 0, kHiddenAfterShow = 1, kShown = 2;

const char *const kErrorTitle = "Error getting state";
const char *const kErrorText =
    "Error occured during determination of orvane state.\nThis program will be closed.";

} // namespace

class TestOMMainLifecycle : public QObject {
    Q_OBJECT

private slots:
    void init() { clearMonitorSettings(); }

    void onlyQuitAndEscapeEndTheProgram_data();
    void onlyQuitAndEscapeEndTheProgram();

    void failedFirstQueryEndsBeforeTheWindowShows();
    void failedLaterQueryEndsWithTwo_data();
    void failedLaterQueryEndsWithTwo();
};

// A box closed while the window sits hidden in the tray, or the window hidden, keeps the program
// running; Quit and Escape end it with 0.
void TestOMMainLifecycle::onlyQuitAndEscapeEndTheProgram_data() {
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("action"); // a menu entry, "Escape" or "tray click"
    QTest::addColumn<int>("boxes");
    QTest::addColumn<int>("result");
    QTest::newRow("Help, hidden after show") << kHiddenAfterShow << "Help" << 1 << kStillRunning;
    QTest::newRow("About, hidden after show") << kHiddenAfterShow << "About" << 1 << kStillRunning;
    QTest::newRow("address dialog, hidden after show")
        << kHiddenAfterShow << "Change IP address" << 1 << kStillRunning;
    QTest::newRow("Help, never shown") << kNeverShown << "Help" << 1 << kStillRunning;
    QTest::newRow("address dialog, never shown")
        << kNeverShown << "Change IP address" << 1 << kStillRunning;
    QTest::newRow("hidden by a tray click") << kShown << "tray click" << 0 << kStillRunning;
    QTest::newRow("Quit while hidden") << kNeverShown << "Quit" << 0 << 0;
    QTest::newRow("Escape on the shown window") << kShown << "Escape" << 0 << 0;
}

void TestOMMainLifecycle::onlyQuitAndEscapeEndTheProgram() {
    QFETCH(int, window);
    QFETCH(QString, action);
    QFETCH(int, boxes);
    QFETCH(int, result);
    const MonitoredDevice oMain(deviceAddress(30));
    QVERIFY(oMain);
    if (window != kNeverShown)
        oMain->show();
    if (window == kHiddenAfterShow)
        oMain->hide(); // as through the tray; the offscreen platform has none, so "Hide" is off
    ModalDriver oDriver;

    const int iResult = runEventLoop([&] {
        if (action == QLatin1String("Escape"))
            QTest::keyClick(&*oMain, Qt::Key_Escape);
        else if (action == QLatin1String("tray click"))
            emit trayIcon(oMain)->activated(QSystemTrayIcon::Trigger);
        else
            menuEntry(oMain, action)->trigger();
        endEventLoopSoon(kStillRunning);
    });

    QCOMPARE(oDriver.records().size(), boxes);
    QCOMPARE(iResult, result);
    QVERIFY(!oMain->isVisible());
}

void TestOMMainLifecycle::failedFirstQueryEndsBeforeTheWindowShows() {
    ModalDriver oDriver;
    const MonitoredDevice oMain(deviceAddress(33), "captureORVANE without separator");
    QVERIFY(oMain);

    QVERIFY(oMain->hasFailed());
    QCOMPARE(oDriver.seen("title"), QStringList{kErrorTitle});
    QCOMPARE(oDriver.seen("text"), QStringList{kErrorText});
    QCOMPARE(oDriver.records()[0]["icon"].toInt(), int(QMessageBox::Critical));
    QVERIFY(!oMain->isVisible());
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
    const MonitoredDevice oMain(deviceAddress(34));
    QVERIFY(oMain);
    QVERIFY(!oMain->hasFailed());
    if (shown)
        oMain->show();
    oMain.device().answerRaw("no separator");
    ModalDriver oDriver;
    bool bPolled = false;

    const int iResult = runEventLoop([&] {
        QTimer::singleShot(0, &*oMain, [&] {
            bPolled = pollNow(oMain);
            endEventLoopSoon(kStillRunning);
        });
        if (!openBox.isEmpty())
            menuEntry(oMain, openBox)->trigger();
    });

    QVERIFY(bPolled);
    QCOMPARE(iResult, OM_Main::kExitQueryFailed);
    QVERIFY(oMain->hasFailed());
    QVERIFY(!oMain->isVisible());
    QVERIFY(!oDriver.records().isEmpty());
    QCOMPARE(oDriver.seen("title").constLast(), QString::fromLatin1(kErrorTitle));
}

ORVANE_MONITOR_TEST_MAIN(TestOMMainLifecycle)
#include "tst_OM_MainLifecycle.moc"
