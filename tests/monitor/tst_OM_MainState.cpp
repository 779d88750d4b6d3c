// How each device state is shown, how the device kind is named, when balloons come, and what a
// change of address does.
#include "MonitorTestSupport.h"
#include "OM_System.h"

#include <QAccessible>
#include <QLoggingCategory>
#include <QThread>

#include <atomic>

using namespace monitortest;

namespace {

// A reply that names no device, as a Relay Host gives it.
const char *const kRelayReply = "#0.0.0.0";

// Whether the Help box names the device by this kind, as the monitor holds it for the address.
bool helpNamesKind(OM_Main &oMain, const QString &sKind) {
    ModalDriver oDriver;
    menuEntry(oMain, "Help")->trigger();
    return oDriver.records().size() == 1 &&
           oDriver.seen("text")[0].contains(" - green:\t" + sKind + " is available");
}

} // namespace

class TestOMMainState : public QObject {
    Q_OBJECT

private slots:
    void init() { clearMonitorSettings(); }

    void eachStateShowsItsSigns_data();
    void eachStateShowsItsSigns();
    void deviceKindNameFollowsTheFirstReply_data();
    void deviceKindNameFollowsTheFirstReply();
    void kindIsTheFirstAnswersUntilTheAddressChanges();
    void silenceIsAskedAgainBeforeItIsShown();
    void traceKeepsADevicesTextOnItsLine();

    void eachChangeOfStateShowsABalloon();
    void toolTipTellsDeviceHolderAndSince_data();
    void toolTipTellsDeviceHolderAndSince();
    void longestNameKeepsAddressAndStateInTheToolTip();
    void holderIsNamedWhenTheResolverAnswers();
    void addressChangeMovesToTheNewDeviceOnlyWhenAccepted();
};

void TestOMMainState::eachStateShowsItsSigns_data() {
    QTest::addColumn<QString>("reply"); // empty: silent device
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<bool>("webInterface");
    const QColor oGreen(0x00, 0xff, 0x00), oCyan(0x00, 0xff, 0xff), oYellow(0xff, 0xff, 0x00);
    // The tooltip names the device by its name and address, with its kind where the name lacks it.
    const QString sAt = " (" + deviceAddress(0) + ")";
    QTest::newRow("available") << "captureORVANE demo#0.0.0.0" << oGreen << "captureORVANE demo"
                               << "captureORVANE demo" + sAt + " available" << true;
    QTest::newRow("used by this PC") << "unit 66#" + thisPCAddress() << oCyan << "unit 66"
                                     << "sourceORVANE unit 66" + sAt + " used by this PC" << true;
    QTest::newRow("used by other PC")
        << "captureORVANE#192.0.2.7" << oYellow << "captureORVANE"
        << "captureORVANE" + sAt + " used by another PC: 192.0.2.7" << true;
    QTest::newRow("relay host") << kRelayReply << oGreen << "Relay Host"
                                << "Relay Host" + sAt + " available" << false;
    QTest::newRow("no connection") << QString() << QColor(0xff, 0x00, 0x00) << "Relay Host"
                                   << "Cannot connect to Relay Host" + sAt << false;
}

void TestOMMainState::eachStateShowsItsSigns() {
    QFETCH(QString, reply);
    QFETCH(QColor, colour);
    QFETCH(QString, title);
    QFETCH(QString, toolTip);
    QFETCH(bool, webInterface);
    const MonitoredDevice oMain(deviceAddress(0),
                                reply.isEmpty() ? kSilent : std::optional(reply.toStdString()));
    QVERIFY(oMain);

    QVERIFY(!oMain->hasFailed());
    QCOMPARE(labelColour(oMain), colour);
    QCOMPARE(stateLabel(oMain)->text(), deviceAddress(0));
    // No tray can ever take the icon on this platform: it is not shown, which would only make the
    // toolkit look for an X11 tray.
    QVERIFY(!trayIcon(oMain)->isVisible());
    // The colour shows around the silhouette; the silhouette's black front and grey top on it.
    QCOMPARE(trayIconPixel(oMain, 0, 0), colour);
    QCOMPARE(trayIconPixel(oMain, 15, 15), colour);
    QCOMPARE(trayIconPixel(oMain, 5, 10), QColor(0x00, 0x00, 0x00));
    QCOMPARE(trayIconPixel(oMain, 10, 4), QColor(0x1a, 0x1a, 0x1a));
    QCOMPARE(oMain->windowTitle(), title);
    QCOMPARE(trayIcon(oMain)->toolTip(), toolTip);
    // A screen reader, which cannot tell the colour, reads the same words from the label.
    QCOMPARE(
        QAccessible::queryAccessibleInterface(stateLabel(oMain))->text(QAccessible::Description),
        toolTip);
    QCOMPARE(menuEntry(oMain, "Open Web interface")->isEnabled(), webInterface);
}

void TestOMMainState::deviceKindNameFollowsTheFirstReply_data() {
    QTest::addColumn<QString>("firstName");
    QTest::addColumn<QString>("laterName");
    QTest::addColumn<QString>("kind");
    const char *const kRows[][4] = {
        {"plain name", "captureORVANE demo", "x66", "captureORVANE"},
        {"66 at the start", "66 out", "plain", "sourceORVANE"},
        {"66 in the middle", "src66x", "plain", "sourceORVANE"},
        {"66 at the end", "source 66", "plain", "sourceORVANE"},
        {"separate sixes", "6 and 6", "66", "captureORVANE"},
        {"one six", "unit 6", "66", "captureORVANE"},
    };
    for (const auto &oRow : kRows)
        QTest::newRow(oRow[0]) << QString(oRow[1]) << QString(oRow[2]) << QString(oRow[3]);
}

void TestOMMainState::deviceKindNameFollowsTheFirstReply() {
    QFETCH(QString, firstName);
    QFETCH(QString, laterName);
    QFETCH(QString, kind);
    const MonitoredDevice oMain(deviceAddress(1), firstName.toStdString() + "#0.0.0.0");
    QVERIFY(oMain);
    const QString sAt = " (" + deviceAddress(1) + ") available";
    QCOMPARE(trayIcon(oMain)->toolTip(),
             (firstName.startsWith(kind) ? firstName : kind + ' ' + firstName) + sAt);

    oMain.device().answerWith(laterName.toStdString(), "0.0.0.0");
    QVERIFY(pollNow(oMain));

    QCOMPARE(oMain->windowTitle(), laterName);
    QVERIFY(trayIcon(oMain)->toolTip().endsWith(' ' + laterName + sAt));
    QVERIFY(helpNamesKind(oMain, kind));
}

// A first poll without an answer names no kind: the first answer does, and it stays for the
// address whatever the device answers later.
void TestOMMainState::kindIsTheFirstAnswersUntilTheAddressChanges() {
    const MonitoredDevice oMain(deviceAddress(2), kSilent);
    QVERIFY(oMain);
    const QString sAt = " (" + deviceAddress(2) + ")";
    QCOMPARE(trayIcon(oMain)->toolTip(), "Cannot connect to Relay Host" + sAt);
    QVERIFY(helpNamesKind(oMain, "Relay Host"));

    oMain.device().answerWith("captureORVANE demo", "0.0.0.0");
    QVERIFY(pollNow(oMain));
    QCOMPARE(oMain->windowTitle(), QStringLiteral("captureORVANE demo"));
    QVERIFY(
        trayIcon(oMain)->toolTip().startsWith("captureORVANE demo" + sAt + " available since "));
    QVERIFY(menuEntry(oMain, "Open Web interface")->isEnabled());
    QVERIFY(helpNamesKind(oMain, "captureORVANE"));
    oMain.device().answerWith("src 66", "0.0.0.0");
    QVERIFY(pollNow(oMain));
    QVERIFY(helpNamesKind(oMain, "captureORVANE"));

    {
        ModalDriver oDriver({deviceAddress(2)}); // the same address again
        menuEntry(oMain, "Change IP address")->trigger();
        QCOMPARE(oDriver.records().size(), 1);
    }
    QVERIFY(helpNamesKind(oMain, "sourceORVANE"));
}

// A poll after an answer that gets none asks once more a second later, and only a second silence
// is shown; a device shown red is asked once a poll. After the PC woke from sleep, a silence is
// asked about every few seconds for half a minute.
void TestOMMainState::silenceIsAskedAgainBeforeItIsShown() {
    BalloonRecorder oRecorder;
    const MonitoredDevice oMain(deviceAddress(5), "captureORVANE demo#192.0.2.7");
    QVERIFY(oMain);
    QVERIFY(!askAgainNow(oMain));
    const QString sToolTip = trayIcon(oMain)->toolTip();

    oMain.device().loseRequests(1);
    QVERIFY(pollNow(oMain));
    QVERIFY(askAgainNow(oMain));
    QCOMPARE(oMain.device().requestsSeen(), std::size_t(3));
    QCOMPARE(labelColour(oMain), QColor(0xff, 0xff, 0x00));
    QCOMPARE(trayIcon(oMain)->toolTip(), sToolTip); // the holder's "since" goes on
    QVERIFY(oRecorder.oBalloons.isEmpty());

    oMain.device().beSilent();
    QVERIFY(pollNow(oMain));
    QCOMPARE(labelColour(oMain), QColor(0xff, 0xff, 0x00));
    QVERIFY(askAgainNow(oMain));
    QCOMPARE(labelColour(oMain), QColor(0xff, 0x00, 0x00));
    QVERIFY(!askAgainNow(oMain));
    QVERIFY(pollNow(oMain));
    QVERIFY(!askAgainNow(oMain));
    QCOMPARE(oMain.device().requestsSeen(), std::size_t(6));
    QCOMPARE(oRecorder.oBalloons.size(), 1);

    // An hour asleep: the wall clock ran on, the steady one did not (Qt's timers on Linux).
    constexpr std::int64_t kHour = 3600 * 1000;
    const int kAfterAnswer = OM_SilenceCheck::kConfirmDelayMs;
    const int kAfterWake = OM_SilenceCheck::kAfterWakeDelayMs;
    OM_SilenceCheck oCheck(10000);
    const struct {
        std::int64_t iWallMs, iSteadyMs;
        bool bShowsAnswer;
        std::optional<int> oAskAgainIn;
    } kAsks[] = {
        {0, 0, true, kAfterAnswer},
        {1000, 1000, true, {}},    // shown after two
        {11000, 11000, false, {}}, // red: once a poll
        {21000, 21000, true, kAfterAnswer},
        {kHour, 31000, true, kAfterWake}, // slept
        {kHour + 3000, 34000, true, kAfterWake},
        {kHour + 29000, 60000, true, kAfterWake},
        {kHour + 31000, 62000, true, {}}, // half a minute after waking
    };
    for (const auto &oAsk : kAsks) {
        oCheck.noteAsk(oAsk.iWallMs, oAsk.iSteadyMs);
        QCOMPARE(oCheck.askAgainIn(oAsk.bShowsAnswer), oAsk.oAskAgainIn);
        if (!oAsk.oAskAgainIn)
            oCheck.noteShown();
    }
}

// The trace that checks from outside read: a device's line end or field separator shows there as
// an escape.
void TestOMMainState::traceKeepsADevicesTextOnItsLine() {
    static QStringList oLines;
    QLoggingCategory::setFilterRules(QStringLiteral("orvane.monitor.info=true"));
    const QtMessageHandler fnBefore = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &sLine) { oLines << sLine; });
    const MonitoredDevice oMain(deviceAddress(6), "lab\n1 | title: x\\#0.0.0.0");
    qInstallMessageHandler(fnBefore);
    QLoggingCategory::setFilterRules(QString());
    QVERIFY(oMain);
    QCOMPARE(oLines.size(), 1);
    QVERIFY2(oLines[0].startsWith("state: 3 | title: lab\\x0a1 \\x7c title: x\\\\ | tooltip: "),
             qPrintable(oLines[0]));
}

// No balloon and no new icon for the state found at start or an unchanged one; a balloon of five
// seconds for each new state, under its last name for one that stops answering; none while
// switched off.
void TestOMMainState::eachChangeOfStateShowsABalloon() {
    BalloonRecorder oRecorder;
    const MonitoredDevice oMain(deviceAddress(4));
    QVERIFY(oMain);
    const qint64 iIconKey = trayIcon(oMain)->icon().cacheKey();
    QVERIFY(pollNow(oMain));
    QVERIFY(pollNow(oMain));
    QCOMPARE(oMain.device().requestsSeen(), std::size_t(3));
    QVERIFY(oRecorder.oBalloons.isEmpty());
    // The state found at start has no known beginning.
    QVERIFY(!trayIcon(oMain)->toolTip().contains(" since "));
    // Nor a new icon: each state's is drawn once, and the polls set that one again.
    QCOMPARE(trayIcon(oMain)->icon().cacheKey(), iIconKey);
    QVERIFY(menuEntry(oMain, "Open Web interface")->isEnabled());

    // A new holder is a change of the tooltip's holder and time, but no new state: no balloon.
    const QStringList oUsers = {thisPCAddress(), "192.0.2.7", "192.0.2.8", "0.0.0.0"};
    for (const QString &sUser : oUsers) {
        oMain.device().answerWith("captureORVANE demo", sUser.toStdString());
        const QDateTime oBefore = QDateTime::currentDateTime();
        QVERIFY(pollNow(oMain));
        const QString sToolTip = trayIcon(oMain)->toolTip();
        QVERIFY2(sToolTip.endsWith(" since " +
                                   QLocale().toString(oBefore.time(), QLocale::ShortFormat)) ||
                     sToolTip.endsWith(" since " + QLocale().toString(QTime::currentTime(),
                                                                      QLocale::ShortFormat)),
                 qPrintable(sToolTip));
        const bool bOtherPC = sUser == oUsers[1] || sUser == oUsers[2];
        QVERIFY2(sToolTip.contains(": " + sUser + " since ") == bOtherPC, qPrintable(sToolTip));
    }

    QCOMPARE(oRecorder.oBalloons.size(), 3);
    QCOMPARE(oRecorder.oBalloons[0].sText, QStringLiteral("captureORVANE is now used by this PC."));
    QCOMPARE(oRecorder.oBalloons[1].sText,
             QStringLiteral("captureORVANE is now used by another PC."));
    QCOMPARE(oRecorder.oBalloons[2].sText, QStringLiteral("captureORVANE is now available."));
    for (const Balloon &oBalloon : std::as_const(oRecorder.oBalloons)) {
        QCOMPARE(oBalloon.sTitle, QStringLiteral("captureORVANE demo"));
        QCOMPARE(oBalloon.eIcon, QSystemTrayIcon::Information);
        QCOMPARE(oBalloon.iMilliseconds, 5000);
    }

    // A device that stops answering keeps its name, so that the balloon says which one it is.
    oMain.device().beSilent();
    QVERIFY(pollNow(oMain));
    QVERIFY(askAgainNow(oMain));
    QVERIFY(!oMain->hasFailed());
    QCOMPARE(labelColour(oMain), QColor(0xff, 0x00, 0x00));
    QCOMPARE(oMain->windowTitle(), QStringLiteral("captureORVANE demo"));
    QVERIFY(trayIcon(oMain)->toolTip().startsWith("Cannot connect to captureORVANE demo ("));
    QVERIFY(!menuEntry(oMain, "Open Web interface")->isEnabled());
    QCOMPARE(oRecorder.oBalloons.size(), 4);
    QCOMPARE(oRecorder.oBalloons[3].sTitle, QStringLiteral("captureORVANE demo"));
    QCOMPARE(oRecorder.oBalloons[3].sText, QStringLiteral("No connection to captureORVANE."));

    // Switched off, a change shows no balloon, nor later once switched on again.
    QAction *poSwitch = menuEntry(oMain, "Show Status Messages");
    QVERIFY(poSwitch->isChecked());
    poSwitch->trigger();
    QVERIFY(!poSwitch->isChecked());
    oMain.device().answerWith("captureORVANE demo", "192.0.2.7");
    QVERIFY(pollNow(oMain));
    QCOMPARE(oRecorder.oBalloons.size(), 4);
    poSwitch->trigger();
    QVERIFY(poSwitch->isChecked());
    QVERIFY(pollNow(oMain));
    QCOMPARE(oRecorder.oBalloons.size(), 4);
    oMain.device().answerWith("captureORVANE demo", "0.0.0.0");
    QVERIFY(pollNow(oMain));
    QCOMPARE(oRecorder.oBalloons.size(), 5);
    QCOMPARE(oRecorder.oBalloons[4].sText, QStringLiteral("captureORVANE is now available."));
}

// The tooltip's words for each state, the holder and the time of the change, and what gives way
// to the length a tray shows whole (Windows: 127 characters).
void TestOMMainState::toolTipTellsDeviceHolderAndSince_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("holder");
    QTest::addColumn<QString>("holderName");
    QTest::addColumn<QDateTime>("since");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("toolTip");
    const QDate oToday(2026, 12, 9);
    const QDateTime oAt1402(oToday, QTime(14, 2)), oYesterday(oToday.addDays(-1), QTime(8, 55));
    const QString sLab = "captureORVANE lab1", sLong(127, 'n');
    const QString sAt = " (192.168.1.10) ";
    const QString sHeld = sAt + "used by another PC: ";
    const QString sHolder = QStringLiteral("192.168.1.23");
    QTest::newRow("held, named") << 1 << sLab << sHolder << QStringLiteral("labpc-07") << oAt1402
                                 << 0 << sLab + sHeld + "labpc-07 (192.168.1.23) since 14:02";
    QTest::newRow("held, no name") << 1 << sLab << sHolder << QString() << oAt1402 << 0
                                   << sLab + sHeld + "192.168.1.23 since 14:02";
    QTest::newRow("held, device's own text")
        << 1 << sLab << QStringLiteral("bench <b>7</b>") << QString() << QDateTime() << 0
        << sLab + sHeld + "bench <b>7</b>";
    QTest::newRow("held, nobody said") << 1 << sLab << QString() << QString() << QDateTime() << 0
                                       << sLab + sAt + "used by another PC";
    QTest::newRow("this PC") << 2 << sLab << QString() << QString() << oAt1402 << 0
                             << sLab + sAt + "used by this PC since 14:02";
    QTest::newRow("free, found at start")
        << 3 << sLab << QString() << QString() << QDateTime() << 0 << sLab + sAt + "available";
    QTest::newRow("silent since yesterday")
        << 0 << sLab << QString() << QString() << oYesterday << 0
        << "Cannot connect to " + sLab + sAt + "since 08.12.26 08:55";
    QTest::newRow("short enough") << 3 << sLab << QString() << QString() << oAt1402 << 127
                                  << sLab + sAt + "available since 14:02";
    QTest::newRow("longest name, cut")
        << 1 << sLong << sHolder << QString() << oAt1402 << 127
        << QString(66, 'n') + QChar(0x2026) + sHeld + "192.168.1.23 since 14:02";
    QTest::newRow("names cut, device's first")
        << 1 << sLong << sHolder << QString(100, 'h') << oAt1402 << 127
        << QString(QChar(0x2026)) + sHeld + QString(62, 'h') + QChar(0x2026) +
               " (192.168.1.23) since 14:02";
}

void TestOMMainState::toolTipTellsDeviceHolderAndSince() {
    QFETCH(int, state);
    QFETCH(QString, name);
    QFETCH(QString, holder);
    QFETCH(QString, holderName);
    QFETCH(QDateTime, since);
    QFETCH(int, limit);
    QFETCH(QString, toolTip);
    const QLocale oBefore;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); // 14:02, 08.12.26
    const OM_StatePresentation::Look oLook = OM_StatePresentation::lookOfState(
        OrvaneState(state), "captureORVANE",
        {name, "192.168.1.10", holder, holderName, since, QDate(2026, 12, 9), limit});
    QLocale::setDefault(oBefore);
    QCOMPARE(oLook.sToolTip, toolTip);
    if (limit > 0)
        QVERIFY(oLook.sToolTip.size() <= limit);
}

// The longest name a reply can carry leaves the address and the state words in the tooltip that
// the system's tray shows (Windows cuts at 127 characters).
void TestOMMainState::longestNameKeepsAddressAndStateInTheToolTip() {
    if (OM_System::trayToolTipLimit() == 0)
        QSKIP("this system's tray shows any tooltip whole");
    const MonitoredDevice oMain(deviceAddress(12), std::string(127, 'n') + "#");
    QVERIFY(oMain);
    const QString sToolTip = trayIcon(oMain)->toolTip();
    QVERIFY2(sToolTip.endsWith(" (" + deviceAddress(12) + ") used by another PC"),
             qPrintable(sToolTip));
    QVERIFY(sToolTip.size() <= OM_System::trayToolTipLimit());
}

// The holder's host name comes from the resolver in the background: a poll never waits for it,
// and the tooltip names the holder once it has answered.
void TestOMMainState::holderIsNamedWhenTheResolverAnswers() {
    static std::atomic<bool> bAnswer = false;
    orvane::PlatformLayer oResolver = orvane::platform();
    oResolver.hostNameOf = [](std::uint32_t dwAddress) -> std::string {
        while (!bAnswer)
            QThread::msleep(10);
        return dwAddress == 0xC0000207 ? "labpc-07" : "";
    };
    orvane::testing::ScopedPlatform oGuard(oResolver);
    const MonitoredDevice oMain(deviceAddress(11), "captureORVANE demo#192.0.2.7");
    QVERIFY(oMain);
    const QString sHeld = "captureORVANE demo (" + deviceAddress(11) + ") used by another PC: ";
    QCOMPARE(trayIcon(oMain)->toolTip(), sHeld + "192.0.2.7");
    QVERIFY(pollNow(oMain));
    QCOMPARE(oMain.device().requestsSeen(), std::size_t(2));

    bAnswer = true;
    QTRY_COMPARE(trayIcon(oMain)->toolTip(), sHeld + "labpc-07 (192.0.2.7)");
    QCOMPARE(
        QAccessible::queryAccessibleInterface(stateLabel(oMain))->text(QAccessible::Description),
        sHeld + "labpc-07 (192.0.2.7)");
    oMain.device().answerWith("captureORVANE demo", "192.0.2.8"); // no name: its address
    QVERIFY(pollNow(oMain));
    QTest::qWait(100);
    QVERIFY(trayIcon(oMain)->toolTip().startsWith(sHeld + "192.0.2.8 since "));
}

// "Change IP address" cancelled leaves the typed address untaken; accepted, it polls the new device
// at once and from then on, and a balloon compares its state with the previous device's.
void TestOMMainState::addressChangeMovesToTheNewDeviceOnlyWhenAccepted() {
    BalloonRecorder oRecorder;
    const MonitoredDevice oMain(deviceAddress(7));
    auto poSecond = startDevice(deviceAddress(8), "out 66", "192.0.2.7");
    QVERIFY(oMain && poSecond);
    {
        ModalDriver oDriver({deviceAddress(8) + " reject"});
        menuEntry(oMain, "Change IP address")->trigger();
        QCOMPARE(oDriver.seen("typed"), QStringList{deviceAddress(8)});
    }
    QCOMPARE(oMain.device().requestsSeen(), std::size_t(1));
    QCOMPARE(stateLabel(oMain)->text(), deviceAddress(7));
    QVERIFY(pollNow(oMain));
    QCOMPARE(oMain.device().requestsSeen(), std::size_t(2));

    ModalDriver oDriver({deviceAddress(8)});
    menuEntry(oMain, "Change IP address")->trigger();

    QCOMPARE(oDriver.seen("field"), QStringList{deviceAddress(7)});
    QCOMPARE(poSecond->requestsSeen(), std::size_t(1));
    QCOMPARE(stateLabel(oMain)->text(), deviceAddress(8));
    QCOMPARE(oMain->windowTitle(), QStringLiteral("out 66"));
    QCOMPARE(trayIcon(oMain)->toolTip(),
             "sourceORVANE out 66 (" + deviceAddress(8) + ") used by another PC: 192.0.2.7");
    QCOMPARE(oRecorder.oBalloons.size(), 1);
    QCOMPARE(oRecorder.oBalloons[0].sTitle, QStringLiteral("out 66"));
    QCOMPARE(oRecorder.oBalloons[0].sText,
             QStringLiteral("sourceORVANE is now used by another PC."));
    QVERIFY(hasPollTimer(oMain));
    QVERIFY(pollNow(oMain));
    QCOMPARE(poSecond->requestsSeen(), std::size_t(2));
    QCOMPARE(oMain.device().requestsSeen(), std::size_t(2));
}

ORVANE_MONITOR_TEST_MAIN(TestOMMainState)
#include "tst_OM_MainState.moc"
