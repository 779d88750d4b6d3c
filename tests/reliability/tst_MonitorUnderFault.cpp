// The monitor under fault: many polls through every state (run under ASan/LSan by
// scripts/test-sanitizers.sh, where a leak fails the test at exit), settings files full of
// garbage, and a diagnostic log that cannot be written.
#include "MonitorTestSupport.h"

#include "Platform.h"
#include "testing/ScopedPlatform.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>

#include <cerrno>
#include <iterator>

using namespace monitortest;

namespace {

constexpr int kDefaultPolls = 1000;
// Silent polls wait out the whole receive time-out; a short one keeps the loop quick.
constexpr std::uint32_t kSilentTimeoutMs = 20;

const QColor kGreen(0x00, 0xff, 0x00), kCyan(0x00, 0xff, 0xff), kYellow(0xff, 0xff, 0x00),
    kRed(0xff, 0x00, 0x00);

struct Answer {
    const char *pszReply; // nullptr: silent
    QColor oColour;
    const char *pszTitle;
    const char *pszBalloon;
};

// Every answer differs in state from the one before it, so every poll shows a balloon. The device
// kind stays the one of the first reply, "unit A#0.0.0.0".
const Answer kCycle[] = {
    {"unit A#127.0.0.1", kCyan, "unit A", "captureORVANE is now used by this PC."},
    {"unit A#192.0.2.7", kYellow, "unit A", "captureORVANE is now used by another PC."},
    {"#0.0.0.0", kGreen, "Relay Host", "captureORVANE is now available."},
    {nullptr, kRed, "Relay Host", "No connection to captureORVANE."},
    {"unit A#0.0.0.0", kGreen, "unit A", "captureORVANE is now available."},
};

bool bDeviceSilent = false;

// The real platform, with the receive time-out cut short while the device is silent.
orvane::PlatformLayer shortSilencePlatform() {
    orvane::PlatformLayer oLayer = orvane::nativePlatform();
    oLayer.setReceiveTimeout = [](orvane::SocketHandle socket, std::uint32_t dwTimeoutMs) {
        return orvane::nativePlatform().setReceiveTimeout(socket, bDeviceSilent ? kSilentTimeoutMs
                                                                                : dwTimeoutMs);
    };
    return oLayer;
}

// The real platform whose send fails fatally, as for a destination the system refuses.
orvane::PlatformLayer failingSendPlatform() {
    orvane::PlatformLayer oLayer = orvane::nativePlatform();
    oLayer.sendTo = [](orvane::SocketHandle, const void *, std::size_t, std::uint32_t,
                       std::uint16_t) -> long {
        errno = EACCES;
        return -1;
    };
    return oLayer;
}

int pollsToRun() {
    const int iPolls = qEnvironmentVariableIntValue("ORVANE_MONITOR_POLLS");
    return iPolls > 0 ? iPolls : kDefaultPolls;
}

// Without running events: a poll timer that came due meanwhile would add a request of its own.
bool waitForRequests(const TestDevice &oDevice, std::size_t count) {
    for (int i = 0; i < 5000 && oDevice.requestsSeen() < count; ++i)
        QThread::msleep(1);
    return oDevice.requestsSeen() == count;
}

QString settingsFilePath() {
    return MonitorSettings().oSettings.fileName();
}

void writeFile(const QString &sPath, const QByteArray &oBytes) {
    QFile oFile(sPath);
    QVERIFY(oFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(oFile.write(oBytes), oBytes.size());
}

// What a user can see of one monitor: window, label, tray, menu, boxes and balloons.
struct Sight {
    QColor oLabel;
    QString sTitle;
    QString sToolTip;
    bool bTrayVisible = false;
    bool bWindowVisible = false;
    bool bFailed = false;
    QStringList oBoxes;
    QStringList oBalloons;
    bool operator==(const Sight &) const = default;
};

} // namespace

class TestMonitorUnderFault : public QObject {
    Q_OBJECT

private slots:
    void init() { clearMonitorSettings(); }

    void manyPollsThroughEveryStateShowEachOne();
    void garbageSettingsFileGivesTheDefaults_data();
    void garbageSettingsFileGivesTheDefaults();
    void unwritableLogChangesNothingTheUserSees_data();
    void unwritableLogChangesNothingTheUserSees();

private:
    Sight pollsEndingInASendFailure(const char *pszAddress);
};

void TestMonitorUnderFault::manyPollsThroughEveryStateShowEachOne() {
    orvane::testing::ScopedPlatform oGuard(shortSilencePlatform());
    BalloonRecorder oBalloons;
    const MonitoredDevice oMain(QStringLiteral("127.0.0.131"), "unit A#0.0.0.0");
    QVERIFY(oMain);
    oMain->show();
    QVERIFY(!oMain->hasFailed());
    const int iPolls = pollsToRun();
    std::size_t requests = 1; // the refresh of the construction's

    for (int iPoll = 0; iPoll < iPolls; ++iPoll) {
        const Answer &oAnswer = kCycle[std::size_t(iPoll) % std::size(kCycle)];
        bDeviceSilent = oAnswer.pszReply == nullptr;
        if (bDeviceSilent)
            oMain.device().beSilent();
        else
            oMain.device().answerRaw(oAnswer.pszReply);
        QVERIFY(pollNow(oMain));
        // A silence after an answer is shown only once the device is asked again.
        QCOMPARE(askAgainNow(oMain), bDeviceSilent);
        requests += bDeviceSilent ? 2 : 1;
        QVERIFY(waitForRequests(oMain.device(), requests));
        QCOMPARE(labelColour(oMain), oAnswer.oColour);
        QCOMPARE(trayIconPixel(oMain, 0, 0), oAnswer.oColour);
        QCOMPARE(oMain->windowTitle(), QString::fromLatin1(oAnswer.pszTitle));
        QCOMPARE(oBalloons.oBalloons.size(), iPoll + 1);
        QCOMPARE(oBalloons.oBalloons.constLast().sText, QString::fromLatin1(oAnswer.pszBalloon));
    }
    bDeviceSilent = false;
    QVERIFY(!oMain->hasFailed());
    QVERIFY(oMain->isVisible());
}

void TestMonitorUnderFault::garbageSettingsFileGivesTheDefaults_data() {
    QTest::addColumn<QByteArray>("content"); // empty: a directory stands where the file goes
    QTest::addColumn<bool>("balloons");
    QByteArray oRandom(4096, '\0');
    QRandomGenerator oGenerator(20240607);
    for (char &c : oRandom)
        c = char(oGenerator.bounded(256));
    QTest::newRow("random bytes") << oRandom << true;
    QTest::newRow("broken lines") << QByteArray("[[[[\n=\n\xff\xfe\x00junk\n[Orvane%20Monitor\n"
                                                "pos\n\\\n=StateChangedMessage\n[]\n")
                                  << true;
    QTest::newRow("other group only")
        << QByteArray("[Orvane%20Monitorx]\npos=@Point(5 5)\nStateChangedMessage=false\n") << true;
    QTest::newRow("directory instead of file") << QByteArray() << true;
    // The cases above mean something only if the file is read: a valid switch among broken lines
    // takes effect.
    QTest::newRow("valid switch among broken lines")
        << QByteArray("[[[[\n\xff\xfe junk\n[Orvane%20Monitor]\nStateChangedMessage=false\n")
        << false;
}

void TestMonitorUnderFault::garbageSettingsFileGivesTheDefaults() {
    QFETCH(QByteArray, content);
    QFETCH(bool, balloons);
    auto poDevice = startDevice("127.0.0.133");
    QVERIFY(poDevice);
    QPoint oDefaultPosition;
    {
        OM_Main oMain(QStringLiteral("127.0.0.133"), nullptr, OM_Main::kWindowFlags);
        oMain.show();
        oDefaultPosition = oMain.pos();
    }
    const QString sPath = settingsFilePath();
    QVERIFY(QFile::remove(sPath));
    if (content.isEmpty())
        QVERIFY(QDir().mkpath(sPath));
    else
        writeFile(sPath, content);

    {
        BalloonRecorder oBalloons;
        OM_Main oMain(QStringLiteral("127.0.0.133"), nullptr, OM_Main::kWindowFlags);
        oMain.show();
        QVERIFY(!oMain.hasFailed());
        QCOMPARE(oMain.pos(), oDefaultPosition);
        QCOMPARE(menuEntry(oMain, QStringLiteral("Show Status Messages"))->isChecked(), balloons);
        QCOMPARE(labelColour(oMain), kGreen);
        // With balloons on, a change of state shows one.
        poDevice->answerWith("captureORVANE demo", "192.0.2.7");
        QVERIFY(pollNow(oMain));
        QCOMPARE(oBalloons.oBalloons.size(), balloons ? 1 : 0);
    }
    if (content.isEmpty())
        QVERIFY(QDir(sPath).removeRecursively());
}

void TestMonitorUnderFault::unwritableLogChangesNothingTheUserSees_data() {
    QTest::addColumn<QString>("where"); // how the log directory is spoilt
    QTest::newRow("state directory below a file") << "file";
    QTest::newRow("log file name taken by a directory") << "directory";
}

// Polls through two states and then a send failure, which the query logs, with the log in a
// writable place and in a spoilt one. Root may write anywhere, so the spoilt places are ones
// that no user can write: a path through a regular file, and a directory in the file's place.
void TestMonitorUnderFault::unwritableLogChangesNothingTheUserSees() {
    QFETCH(QString, where);
    QTemporaryDir oDir;
    QVERIFY(oDir.isValid());
    const QByteArray oSavedStateHome = qgetenv("XDG_STATE_HOME");

    const QString sWritable = oDir.filePath(QStringLiteral("state"));
    qputenv("XDG_STATE_HOME", sWritable.toLocal8Bit());
    const Sight oExpected = pollsEndingInASendFailure("127.0.0.135");
    QFile oLog(sWritable + QStringLiteral("/hvcxdrv_debug.txt"));
    QVERIFY(oLog.open(QIODevice::ReadOnly));
    QVERIFY(oLog.readAll().contains("Error broadcasting to the clients"));

    QString sSpoilt;
    if (where == QLatin1String("file")) {
        writeFile(oDir.filePath(QStringLiteral("plain")), "not a directory");
        sSpoilt = oDir.filePath(QStringLiteral("plain/state"));
    } else {
        sSpoilt = oDir.filePath(QStringLiteral("taken"));
        QVERIFY(QDir().mkpath(sSpoilt + QStringLiteral("/hvcxdrv_debug.txt")));
    }
    qputenv("XDG_STATE_HOME", sSpoilt.toLocal8Bit());
    const Sight oSeen = pollsEndingInASendFailure("127.0.0.135");
    qputenv("XDG_STATE_HOME", oSavedStateHome);

    QVERIFY(oExpected.bFailed);
    QCOMPARE(oExpected.oBoxes.size(), 1);
    QVERIFY(oSeen == oExpected);
}

Sight TestMonitorUnderFault::pollsEndingInASendFailure(const char *pszAddress) {
    clearMonitorSettings();
    BalloonRecorder oBalloons;
    ModalDriver oDriver;
    const MonitoredDevice oMain(QString::fromLatin1(pszAddress), "unit B#0.0.0.0");
    if (!oMain)
        return {};
    oMain->show();
    oMain.device().answerWith("unit B", "192.0.2.7");
    pollNow(oMain);
    {
        orvane::testing::ScopedPlatform oGuard(failingSendPlatform());
        pollNow(oMain);
    }
    QStringList oBoxes, oBalloonTexts;
    for (const QJsonObject &oBox : oDriver.records())
        oBoxes.append(oBox["title"].toString() + QLatin1Char('|') + oBox["text"].toString());
    for (const Balloon &oBalloon : oBalloons.oBalloons)
        oBalloonTexts.append(oBalloon.sTitle + QLatin1Char('|') + oBalloon.sText);
    // The time of the change in the tooltip is each run's own.
    return {.oLabel = labelColour(oMain),
            .sTitle = oMain->windowTitle(),
            .sToolTip = trayIcon(oMain)->toolTip().section(QLatin1String(" since "), 0, 0),
            .bTrayVisible = trayIcon(oMain)->isVisible(),
            .bWindowVisible = oMain->isVisible(),
            .bFailed = oMain->hasFailed(),
            .oBoxes = oBoxes,
            .oBalloons = oBalloonTexts};
}

ORVANE_MONITOR_TEST_MAIN(TestMonitorUnderFault)
#include "tst_MonitorUnderFault.moc"
