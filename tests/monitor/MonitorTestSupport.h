#pragma once

#include "ModalDriver.h"
#include "OM_Main.h"
#include "OM_Settings.h"
#include "OrvaneIdentity.h"
#include "TestDevice.h"
#include "testing/ScopedPlatform.h"

#include <QAction>
#include <QApplication>
#include <QColor>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QProcess>
#include <QSettings>
#include <QString>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimer>
#include <QVariant>
#include <QtTest>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace monitortest {

// What each monitor test runs in; must exist before the application object. The per-user settings
// are in a fresh directory (on Windows in the registry of the wine prefix, the test run's own),
// and the resolver knows no host names, so that no test's holder is ever looked up beyond this
// machine; a test that wants names installs a resolver of its own. On Linux the session has a
// session bus of its own, as a desktop session has one (the monitors' claims are on it), which
// starts nothing by itself and ends with the session.
class TestSession {
public:
    TestSession();
    ~TestSession();

private:
    QTemporaryDir oSettingsDir;
    std::unique_ptr<orvane::testing::ScopedPlatform> poNoHostNames;
    QProcess oSessionBus;
};

// The monitor's own store and group, for checking and preparing what it reads and writes.
using MonitorSettings = OM_Settings::GroupStore;
void clearMonitorSettings();

// The index-th loopback address of the monitor tests (tests/LOOPBACK.md).
QString deviceAddress(int iIndex);

// The same address written another way ("127.0.0.90" as "127.00.0.90").
QString respelt(const QString &sAddress);

// An address that the monitor takes for this PC's when a device names it as its user. (Not
// 127.0.0.1 everywhere: wine lists the addresses that this PC's name resolves to.)
QString thisPCAddress();

// A simulated device on a loopback address; nullptr if it cannot start. A failed request to
// steer it fails the running test.
std::unique_ptr<TestDevice> startDevice(const QString &sAddress,
                                        const char *pszName = "captureORVANE demo",
                                        const char *pszUser = "0.0.0.0");

// A simulated device on a loopback address, told its first answer (the datagram given, or none
// for kSilent), and a monitor for it, whose construction polls it once: the set-up of most tests.
// Stands for the monitor like a pointer; false when the device could not start, with no monitor.
class MonitoredDevice {
public:
    static constexpr const char *kFreeDemoReply = "captureORVANE demo#0.0.0.0";
    explicit MonitoredDevice(const QString &sAddress,
                             const std::optional<std::string> &oFirstReply = kFreeDemoReply);

    explicit operator bool() const { return poMain != nullptr; }
    operator OM_Main &() const { return *poMain; }
    OM_Main &operator*() const { return *poMain; }
    OM_Main *operator->() const { return poMain.get(); }
    TestDevice &device() const { return *poDevice; }

private:
    std::unique_ptr<TestDevice> poDevice;
    std::unique_ptr<OM_Main> poMain;
};
constexpr std::nullopt_t kSilent = std::nullopt;

// The window's parts, found as a user would: the label, the tray icon and its menu entries.
OM_Label *stateLabel(OM_Main &oMain);
QColor labelColour(OM_Main &oMain);
QSystemTrayIcon *trayIcon(OM_Main &oMain);
QAction *menuEntry(OM_Main &oMain, const QString &sCaption);
QColor trayIconPixel(OM_Main &oMain, int iX, int iY);

// Makes the ten-second poll timer fire now; false when the window runs no such timer.
bool pollNow(OM_Main &oMain);
bool hasPollTimer(OM_Main &oMain);
// Makes the pending ask after a silence come now; false when none is pending.
bool askAgainNow(OM_Main &oMain);

// Records the balloons of all monitors while it lives.
struct Balloon {
    QString sTitle;
    QString sText;
    QSystemTrayIcon::MessageIcon eIcon;
    int iMilliseconds;
};
class BalloonRecorder {
public:
    BalloonRecorder();
    ~BalloonRecorder();
    QList<Balloon> oBalloons;
};

// Runs the application's event loop after scheduling fnStart in it; ends it with iTimeoutCode
// when nothing else has ended it within the safety time. Returns the loop's result.
int runEventLoop(const std::function<void()> &fnStart, int iTimeoutCode = 99);

// Ends the running event loop with iCode once the events now pending have been handled.
void endEventLoopSoon(int iCode);

} // namespace monitortest

// A test main that runs the tests in a session of their own.
#define ORVANE_MONITOR_TEST_MAIN(TestClass)                                                        \
    int main(int argc, char **argv) {                                                              \
        monitortest::TestSession oSession;                                                         \
        QApplication oApplication(argc, argv);                                                     \
        QApplication::setApplicationVersion(QString::fromLatin1(orvane::kVersion));                \
        TestClass oTest;                                                                           \
        return QTest::qExec(&oTest, argc, argv);                                                   \
    }
