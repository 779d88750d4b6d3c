// One whole refresh of the shown monitor window in the offscreen platform (query, label, tray
// icon, title, tooltip, menu entry), weighed against a bare UDP round trip with the same
// datagrams, and the parts of a refresh on their own, to tell what dominates. The drawing of a
// state's tray icon, in all its sizes, is measured too, though a refresh no longer does it: the
// window draws each state's icon once.
#include "BenchSupport.h"

#include "OM_Main.h"
#include "OM_StatePresentation.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimerEvent>

namespace {

constexpr const char *kDevice = "127.0.0.173";
constexpr int kPollInterval = 10000;

// The monitor under measurement, shown, polling the free device.
OM_Main *poMonitor = nullptr;

[[maybe_unused]] const auto *const poBaseline = orvanebench::registerBareRoundTrip(kDevice);

int pollTimerId() {
    const auto oTimers = QAbstractEventDispatcher::instance()->registeredTimers(poMonitor);
    for (const auto &oTimer : oTimers) {
        if (oTimer.interval == kPollInterval) {
            return oTimer.timerId;
        }
    }
    return 0;
}

// What the poll timer does when it fires.
void BM_Refresh(benchmark::State &state) {
    QTimerEvent oPoll(pollTimerId());
    for (auto _ : state) {
        QCoreApplication::sendEvent(poMonitor, &oPoll);
    }
}
BENCHMARK(BM_Refresh)->UseRealTime();

// The refresh and what it leaves to the event loop (posted events, the flush to the screen).
void BM_RefreshWithEvents(benchmark::State &state) {
    QTimerEvent oPoll(pollTimerId());
    for (auto _ : state) {
        QCoreApplication::sendEvent(poMonitor, &oPoll);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_RefreshWithEvents)->UseRealTime();

void BM_QueryFree(benchmark::State &state) {
    orvanebench::queryUntilDone(state, kDevice, ORVANE_AVAILABLE);
}
BENCHMARK(BM_QueryFree)->UseRealTime();

void BM_DrawStateIcon(benchmark::State &state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(OM_StatePresentation::drawStateIcon(OM_Label::LABEL_AVAILABLE));
    }
}
BENCHMARK(BM_DrawStateIcon)->UseRealTime();

void BM_LoadTrayImage(benchmark::State &state) {
    for (auto _ : state) {
        const QPixmap oImage(QStringLiteral(":/OrvaneMonitor/trayicon.png"));
        benchmark::DoNotOptimize(oImage.cacheKey());
    }
}
BENCHMARK(BM_LoadTrayImage)->UseRealTime();

void BM_LabelSetState(benchmark::State &state) {
    OM_Label *poLabel = poMonitor->findChild<OM_Label *>();
    for (auto _ : state) {
        poLabel->slSetState(OM_Label::LABEL_AVAILABLE);
    }
}
BENCHMARK(BM_LabelSetState)->UseRealTime();

void BM_TrayIconUpdate(benchmark::State &state) {
    QSystemTrayIcon oTray;
    const QIcon oIcon = OM_StatePresentation::drawStateIcon(OM_Label::LABEL_AVAILABLE);
    for (auto _ : state) {
        oTray.setIcon(oIcon);
        oTray.setVisible(true);
        oTray.setToolTip(QStringLiteral("captureORVANE available"));
    }
}
BENCHMARK(BM_TrayIconUpdate)->UseRealTime();

void BM_SetWindowTitle(benchmark::State &state) {
    for (auto _ : state) {
        poMonitor->setWindowTitle(QString::fromLatin1(orvanebench::kDeviceName));
    }
}
BENCHMARK(BM_SetWindowTitle)->UseRealTime();

} // namespace

int main(int argc, char **argv) {
    // The offscreen platform unless told otherwise, and settings of the benchmark's own, so that
    // the user's saved window position stays untouched.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const QTemporaryDir oSettingsDir;
    qputenv("XDG_CONFIG_HOME", oSettingsDir.path().toLocal8Bit());
    const auto poDevice = orvanebench::startDevice(kDevice);
    QApplication oApplication(argc, argv);
    OM_Main oMonitor(QString::fromLatin1(kDevice), nullptr, OM_Main::kWindowFlags);
    if (oMonitor.hasFailed()) {
        return 2;
    }
    oMonitor.show();
    QCoreApplication::processEvents();
    poMonitor = &oMonitor;
    if (pollTimerId() == 0) {
        return 2;
    }
    return orvanebench::runBenchmarks(argc, argv);
}
