#include "OM_Instance.h"

#include "DeviceAddress.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

// How long a later start keeps trying to reach the monitor that holds the device: that one may
// have taken the lock a moment ago and not listen yet.
constexpr int kReachMs = 1000;
constexpr int kRetryMs = 20;

// What tells this user's login session from others on the same PC. On Linux the lock directory
// is the user's runtime directory already; Windows keeps named pipes in one namespace for all
// users and sessions, and the temporary directory is the user's in every session. Two lines of
// their own, so they stay here rather than in a file per system.
QString sessionTag() {
#ifdef Q_OS_WIN
    DWORD dwSession = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &dwSession);
    const QString sUser =
        QString::fromUtf8(QUrl::toPercentEncoding(qEnvironmentVariable("USERNAME")));
    return QStringLiteral("%1-%2-").arg(sUser).arg(dwSession);
#else
    return QString();
#endif
}

// The lock's and the socket's name for a device, the same for every spelling of its address.
QString deviceName(const QString &sAddress) {
    return QStringLiteral("orvane-monitor-") + sessionTag() +
           QString::fromStdString(sCanonicalAddress(sAddress.toStdString()));
}

// A socket in the lock directory on Linux; a pipe on Windows, whose names are not paths.
QString serverName(const QString &sDeviceName) {
#ifdef Q_OS_WIN
    return sDeviceName;
#else
    return QDir(OM_Instance::lockDirectory()).filePath(sDeviceName);
#endif
}

} // namespace

struct OM_Instance::Claim {
    explicit Claim(const QString &sName)
        : sName(sName), oLock(QDir(lockDirectory()).filePath(sName + QStringLiteral(".lock"))) {
        // Held for as long as the monitor runs: only the lock of a process that is gone is stale.
        oLock.setStaleLockTime(0);
    }

    const QString sName;
    QLockFile oLock;
    QLocalServer oServer;
};

OM_Instance::OM_Instance(QObject *parent) : QObject(parent) {}

OM_Instance::~OM_Instance() = default;

// The user's runtime directory where there is one (Linux), else the user's temporary directory.
QString OM_Instance::lockDirectory() {
#ifndef Q_OS_WIN
    const QString sRuntime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!sRuntime.isEmpty())
        return sRuntime;
#endif
    return QDir::tempPath();
}

bool OM_Instance::claim(const QString &sAddress) {
    const QString sName = deviceName(sAddress);
    if (poClaim && poClaim->sName == sName)
        return true;
    auto poNew = std::make_unique<Claim>(sName);
    QElapsedTimer oTrying;
    oTrying.start();
    // A lock that cannot be made at all leaves the monitor to run on its own;
    // so does a holder that does not answer within the time, rather than no monitor at all.
    while (!poNew->oLock.tryLock() && poNew->oLock.error() == QLockFile::LockFailedError) {
        if (askRunningMonitorToShow(serverName(sName)))
            return false;
        if (oTrying.hasExpired(kReachMs))
            break;
        QThread::msleep(kRetryMs);
    }
    if (poNew->oLock.isLocked()) {
        const QString sServer = serverName(sName);
        QLocalServer::removeServer(sServer); // the socket of a monitor that is gone
        poNew->oServer.setSocketOptions(QLocalServer::UserAccessOption);
        QLocalServer *poServer = &poNew->oServer;
        poServer->listen(sServer);
        connect(poServer, &QLocalServer::newConnection, this, [this, poServer] {
            while (QLocalSocket *poSocket = poServer->nextPendingConnection())
                poSocket->deleteLater();
            emit sigShowRequested();
        });
    }
    poClaim = std::move(poNew); // gives up the device held before
    return true;
}

// A connection is the whole request.
bool OM_Instance::askRunningMonitorToShow(const QString &sServerName) {
    QLocalSocket oSocket;
    oSocket.connectToServer(sServerName);
    if (!oSocket.waitForConnected(kReachMs))
        return false;
    oSocket.disconnectFromServer();
    return true;
}
