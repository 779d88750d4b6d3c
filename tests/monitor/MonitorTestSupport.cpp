#include "MonitorTestSupport.h"

#include "OM_Balloon.h"
#include "Platform.h"

#include <QAbstractEventDispatcher>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QPalette>
#include <QPixmap>
#include <QTimerEvent>

#include <algorithm>

namespace monitortest {

namespace {

constexpr int kPollInterval = 10000;
constexpr int kSafetyTimeMs = 10000;
constexpr int kSettleTimeMs = 50;

QObject *poLoopScope = nullptr; // lives while runEventLoop runs

// The Windows build under wine has a range of its own, so that both builds' tests may run at once.
#ifdef Q_OS_WIN
const char *const kAddressPrefix = "127.0.2.";
constexpr int kFirstHost = 10;
#else
const char *const kAddressPrefix = "127.0.0.";
constexpr int kFirstHost = 70;
#endif

} // namespace

TestSession::TestSession() {
    qputenv("XDG_CONFIG_HOME", oSettingsDir.path().toLocal8Bit());
    qputenv("HOME", oSettingsDir.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", oSettingsDir.path().toLocal8Bit()); // the monitors' lock files
    orvane::PlatformLayer oLayer = orvane::platform();
    oLayer.hostNameOf = [](std::uint32_t) { return std::string(); };
    poNoHostNames = std::make_unique<orvane::testing::ScopedPlatform>(oLayer);
#ifndef Q_OS_WIN
    oSessionBus.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--config-file=" ORVANE_SESSION_BUS_CONFIG),
                       QStringLiteral("--address=unix:dir=") + oSettingsDir.path(),
                       QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!oSessionBus.waitForReadyRead(kSafetyTimeMs))
        qFatal("the session bus did not start: %s %s", qPrintable(oSessionBus.errorString()),
               oSessionBus.readAllStandardError().constData());
    qputenv("DBUS_SESSION_BUS_ADDRESS", oSessionBus.readLine().trimmed());
#endif
}

TestSession::~TestSession() {
    if (oSessionBus.state() == QProcess::NotRunning)
        return;
    oSessionBus.terminate();
    oSessionBus.waitForFinished(kSafetyTimeMs);
}

void clearMonitorSettings() {
    MonitorSettings().oSettings.remove(QString());
}

QString deviceAddress(int iIndex) {
    return QLatin1String(kAddressPrefix) + QString::number(kFirstHost + iIndex);
}

QString respelt(const QString &sAddress) {
    QString sOther = sAddress;
    return sOther.replace(QLatin1String(".0."), QLatin1String(".00."));
}

QString thisPCAddress() {
    std::vector<std::string> oAddresses;
    orvane::platform().getLocalAddresses(&oAddresses);
    return oAddresses.empty() ? QString() : QString::fromStdString(oAddresses.front());
}

std::unique_ptr<TestDevice> startDevice(const QString &sAddress, const char *pszName,
                                        const char *pszUser) {
    auto poDevice = std::make_unique<TestDevice>(
        [](const std::string &sWhat) { QTest::qFail(sWhat.c_str(), __FILE__, __LINE__); });
    std::string sError;
    if (!poDevice->start(sAddress.toStdString(), &sError)) {
        qWarning("simulated device on %s: %s", qPrintable(sAddress), sError.c_str());
        return nullptr;
    }
    poDevice->answerWith(pszName, pszUser);
    return poDevice;
}

MonitoredDevice::MonitoredDevice(const QString &sAddress,
                                 const std::optional<std::string> &oFirstReply)
    : poDevice(startDevice(sAddress)) {
    if (!poDevice)
        return;
    if (oFirstReply)
        poDevice->answerRaw(*oFirstReply);
    else
        poDevice->beSilent();
    poMain = std::make_unique<OM_Main>(sAddress, nullptr, OM_Main::kWindowFlags);
}

OM_Label *stateLabel(OM_Main &oMain) {
    return oMain.findChild<OM_Label *>();
}

QColor labelColour(OM_Main &oMain) {
    return stateLabel(oMain)->palette().color(QPalette::Window);
}

QSystemTrayIcon *trayIcon(OM_Main &oMain) {
    return oMain.findChild<QSystemTrayIcon *>();
}

QAction *menuEntry(OM_Main &oMain, const QString &sCaption) {
    const QList<QAction *> oActions = trayIcon(oMain)->contextMenu()->actions();
    for (QAction *poAction : oActions) {
        if (poAction->text() == sCaption)
            return poAction;
    }
    return nullptr;
}

QColor trayIconPixel(OM_Main &oMain, int iX, int iY) {
    const QImage oImage = trayIcon(oMain)->icon().pixmap(16, 16).toImage();
    return oImage.pixelColor(iX, iY);
}

// The window's timer that runs at one of these intervals; 0 when none does.
static int timerId(OM_Main &oMain, std::initializer_list<int> oIntervals) {
    const auto oTimers = QAbstractEventDispatcher::instance()->registeredTimers(&oMain);
    for (const auto &oTimer : oTimers) {
        if (std::count(oIntervals.begin(), oIntervals.end(), oTimer.interval) > 0)
            return oTimer.timerId;
    }
    return 0;
}

static bool fireTimer(OM_Main &oMain, int iId) {
    if (iId == 0)
        return false;
    QTimerEvent oEvent(iId);
    QCoreApplication::sendEvent(&oMain, &oEvent);
    return true;
}

bool hasPollTimer(OM_Main &oMain) {
    return timerId(oMain, {kPollInterval}) != 0;
}

bool pollNow(OM_Main &oMain) {
    return fireTimer(oMain, timerId(oMain, {kPollInterval}));
}

bool askAgainNow(OM_Main &oMain) {
    return fireTimer(oMain, timerId(oMain, {OM_SilenceCheck::kConfirmDelayMs,
                                            OM_SilenceCheck::kAfterWakeDelayMs}));
}

BalloonRecorder::BalloonRecorder() {
    OM_Balloon::setObserver([this](const QString &sTitle, const QString &sText,
                                   QSystemTrayIcon::MessageIcon eIcon, int iMilliseconds) {
        oBalloons.append({sTitle, sText, eIcon, iMilliseconds});
    });
}

BalloonRecorder::~BalloonRecorder() {
    OM_Balloon::setObserver({});
}

int runEventLoop(const std::function<void()> &fnStart, int iTimeoutCode) {
    QObject oScope;
    poLoopScope = &oScope;
    QTimer::singleShot(0, &oScope, fnStart);
    QTimer::singleShot(kSafetyTimeMs, &oScope,
                       [iTimeoutCode] { QCoreApplication::exit(iTimeoutCode); });
    const int iResult = QApplication::exec();
    poLoopScope = nullptr;
    return iResult;
}

void endEventLoopSoon(int iCode) {
    QTimer::singleShot(kSettleTimeMs, poLoopScope, [iCode] { QCoreApplication::exit(iCode); });
}

} // namespace monitortest
