#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>

// The monitor's balloon messages, and a trace of what the user is shown. The trace category
// "orvane.monitor" is off by default; QT_LOGGING_RULES="orvane.monitor.info=true" prints each
// refresh's state and each balloon on standard error, for checks from outside the program.
Q_DECLARE_LOGGING_CATEGORY(lcOrvaneMonitor)

namespace OM_Balloon {

constexpr int kDisplayMs = 5000;

// Sees every balloon before the tray icon shows it; tests use it where no tray can show one.
using Observer = std::function<void(const QString &sTitle, const QString &sText,
                                    QSystemTrayIcon::MessageIcon eIcon, int iMilliseconds)>;
void setObserver(Observer fnObserver);

// Shows the balloon for five seconds with the information icon.
void show(QSystemTrayIcon *poTrayIcon, const QString &sTitle, const QString &sText);

// Traces the result of one successful refresh.
void traceState(int iOrvaneState, const QString &sTitle, const QString &sToolTip);

} // namespace OM_Balloon
