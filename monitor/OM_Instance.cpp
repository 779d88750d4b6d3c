#include "OM_Instance.h"

#include "OM_Settings.h"
#include "OM_System.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

namespace {

// How long a later start keeps trying to reach the monitor that holds the device: that one may
// have taken the lock a moment ago and not listen yet.
constexpr int kReachMs = 1000;
constexpr int kRetryMs = 20;

// The lock's and the socket's name for a device, the same for every spelling of its address.
QString deviceName(const QString &sAddress) {
    return OM_System::sessionName(QStringLiteral("orvane-monitor-") +
                                  OM_Settings::canonicalAddress(sAddress));
}

// A connection is the whole request.
bool askRunningMonitorToShow(const QString &sServerName) {
    QLocalSocket oSocket;
    oSocket.connectToServer(sServerName);
    if (!oSocket.waitForConnected(kReachMs))
        return false;
    oSocket.disconnectFromServer();
    return true;
}

} // namespace

struct OM_Instance::Claim {
    explicit Claim(const QString &sName)
        : sName(sName),
          oLock(QDir(OM_System::lockDirectory()).filePath(sName + QStringLiteral(".lock"))) {
        // Held for as long as the monitor runs: only the lock of a process that is gone is stale.
        oLock.setStaleLockTime(0);
    }

    const QString sName;
    QLockFile oLock;
    QLocalServer oServer;
};

OM_Instance::OM_Instance(QObject *parent) : QObject(parent) {}

OM_Instance::~OM_Instance() = default;

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
        if (askRunningMonitorToShow(OM_System::localServerName(sName)))
            return false;
        if (oTrying.hasExpired(kReachMs))
            break;
        QThread::msleep(kRetryMs);
    }
    if (poNew->oLock.isLocked()) {
        const QString sServer = OM_System::localServerName(sName);
        QLocalServer::removeServer(sServer); // the socket of a monitor that is gone
        poNew->oServer.setSocketOptions(QLocalServer::UserAccessOption);
        QLocalServer *poServer = &poNew->oServer;
        if (!poServer->listen(sServer))
            poNew->oLock.unlock(); // no later start could reach this monitor: none waits for it
        connect(poServer, &QLocalServer::newConnection, this, [this, poServer] {
            while (QLocalSocket *poSocket = poServer->nextPendingConnection())
                poSocket->deleteLater();
            emit sigShowRequested();
        });
    }
    poClaim = std::move(poNew); // gives up the device held before
    return true;
}
