#include "OM_Balloon.h"

Q_LOGGING_CATEGORY(lcOrvaneMonitor, "orvane.monitor", QtWarningMsg)

namespace OM_Balloon {

namespace {

// The trace is one line per event, its fields apart by " | ": a device's text (a name, a
// holder) shows there as escapes where it could end the line or forge a field.
QString traced(const QString &sText) {
    QString sTraced;
    for (const QChar c : sText) {
        if (c == u'\\')
            sTraced += QStringLiteral("\\\\");
        else if (c == u'|' || !c.isPrint())
            sTraced += c.unicode() < 0x100
                           ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'))
                           : QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QChar(u'0'));
        else
            sTraced += c;
    }
    return sTraced;
}

Observer &observer() {
    static Observer fnObserver;
    return fnObserver;
}

} // namespace

void setObserver(Observer fnObserver) {
    observer() = std::move(fnObserver);
}

void show(QSystemTrayIcon *poTrayIcon, const QString &sTitle, const QString &sText) {
    qCInfo(lcOrvaneMonitor).noquote() << "balloon:" << traced(sTitle) << "|" << traced(sText);
    if (observer())
        observer()(sTitle, sText, QSystemTrayIcon::Information, kDisplayMs);
    poTrayIcon->showMessage(sTitle, sText, QSystemTrayIcon::Information, kDisplayMs);
}

void traceState(int iOrvaneState, const QString &sTitle, const QString &sToolTip) {
    qCInfo(lcOrvaneMonitor).noquote() << "state:" << iOrvaneState << "| title:" << traced(sTitle)
                                      << "| tooltip:" << traced(sToolTip);
}

} // namespace OM_Balloon
