#include "OM_Balloon.h"

Q_LOGGING_CATEGORY(lcOrvaneMonitor, "orvane.monitor", QtWarningMsg)

namespace OM_Balloon {

namespace {

Observer &observer() {
    static Observer fnObserver;
    return fnObserver;
}

} // namespace

void setObserver(Observer fnObserver) {
    observer() = std::move(fnObserver);
}

void show(QSystemTrayIcon *poTrayIcon, const QString &sTitle, const QString &sText) {
    qCInfo(lcOrvaneMonitor).noquote() << "balloon:" << sTitle << "|" << sText;
    if (observer())
        observer()(sTitle, sText, QSystemTrayIcon::Information, kDisplayMs);
    poTrayIcon->showMessage(sTitle, sText, QSystemTrayIcon::Information, kDisplayMs);
}

void traceState(int iOrvaneState, const QString &sTitle, const QString &sToolTip) {
    qCInfo(lcOrvaneMonitor).noquote()
        << "state:" << iOrvaneState << "| title:" << sTitle << "| tooltip:" << sToolTip;
}

} // namespace OM_Balloon
