// The claim on Windows: the monitor of a device holds a lock file named after the device, the
// user and the login session, and listens on a local socket (a named pipe) of the same name; a
// later start finds the lock held and connects, and so asks the running monitor to show its
// window.
#include "OM_Instance.h"

#include "OM_Settings.h"
#include "OM_System.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <QUrl>

#include <windows.h>

namespace {

// How long a later start keeps trying to reach the monitor that holds the device: that one may
// have taken the lock a moment ago and not listen yet.
constexpr int kReachMs = 1000;
constexpr int kRetryMs = 20;

// The name of the lock and of the pipe for a device, the same for every spelling of its address
// and unique to this user and login session: pipe names are shared by all users and sessions.
QString deviceName(const QString &sAddress) {
    DWORD dwSession = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &dwSession);
    const QString sUser =
        QString::fromUtf8(QUrl::toPercentEncoding(qEnvironmentVariable("USERNAME")));
    return QStringLiteral("orvane-monitor-%1-%2-%3")
        .arg(OM_Settings::canonicalAddress(sAddress), sUser)
        .arg(dwSession);
}

QString lockFileOf(const QString &sName) {
    return QDir(OM_System::lockDirectory()).filePath(sName + QStringLiteral(".lock"));
}

// A connection is the whole request.
bool askRunningMonitorToShow(const QString &sName) {
    QLocalSocket oSocket;
    oSocket.connectToServer(sName);
    if (!oSocket.waitForConnected(kReachMs))
        return false;
    oSocket.disconnectFromServer();
    return true;
}

} // namespace

struct OM_Instance::Claim {
    explicit Claim(const QString &sName) : sName(sName), oLock(lockFileOf(sName)) {
        // Held for as long as the monitor runs; whether a lock is left over is decided below.
        oLock.setStaleLockTime(0);
    }

    // In this order, so that the socket stops taking requests before the lock goes.
    const QString sName;
    QLockFile oLock;
    QLocalServer oServer;
};

void OM_Instance::ClaimDeleter::operator()(Claim *poClaim) const {
    delete poClaim;
}

QString OM_Instance::lockFilePath(const QString &sAddress) {
    return lockFileOf(deviceName(sAddress));
}

bool OM_Instance::claim(const QString &sAddress) {
    const QString sName = deviceName(sAddress);
    if (poClaim && poClaim->sName == sName)
        return true;
    std::unique_ptr<Claim, ClaimDeleter> poNew(new Claim(sName));
    const QDeadlineTimer oDeadline(kReachMs);
    // A lock that cannot be made at all leaves the monitor to run on its own; so does a holder
    // that does not answer within the time, rather than no monitor at all.
    while (!poNew->oLock.tryLock() && poNew->oLock.error() == QLockFile::LockFailedError &&
           !oDeadline.hasExpired()) {
        // A monitor keeps its lock file open, and Windows deletes no file that a process holds
        // open without allowing it: a lock file that can be deleted was left by a monitor that
        // ended (killed, at logoff, or between making the file and writing its process into
        // it), whatever process it names, and a number it names may be another's by now.
        if (poNew->oLock.removeStaleLockFile())
            continue;
        if (askRunningMonitorToShow(sName))
            return false;
        QThread::msleep(kRetryMs);
    }
    if (poNew->oLock.isLocked()) {
        poNew->oServer.setSocketOptions(QLocalServer::UserAccessOption);
        QLocalServer *poServer = &poNew->oServer;
        if (!poServer->listen(sName))
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
