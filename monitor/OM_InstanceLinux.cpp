// The claim on the session bus, as desktop applications claim theirs: the monitor of a device owns
// a name that says the device and the display, and takes the call with which desktops activate a
// running application (org.freedesktop.Application's Activate) at the object that the name gives.
// The bus gives the name free the moment its owner ends, however it ended.
#include "OM_Instance.h"

#include "OM_Settings.h"
#include "OrvaneIdentity.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>
#include <QVariantMap>

namespace {

// How long a later start waits for the monitor that holds the device: one that has just started
// answers once its first query is done, and one whose window waits for a query answers after it.
constexpr int kAnswerMs = 3 * int(orvane::kDefaultTimeoutMs);
constexpr int kRetryMs = 20;
const QString kInterface = QStringLiteral("org.freedesktop.Application");

// A text as one element of a bus name, which holds only ASCII letters, digits, '_' and '-':
// letters and digits stay, every other byte becomes '_' and its two hex digits.
QString busNameElement(const QString &sText) {
    QString sElement;
    for (const char cByte : sText.toUtf8()) {
        const uchar cValue = uchar(cByte);
        if (cValue < 0x80 && QChar::isLetterOrNumber(cValue))
            sElement += QLatin1Char(cByte);
        else
            sElement += QStringLiteral("_%1").arg(cValue, 2, 16, QLatin1Char('0'));
    }
    return sElement;
}

// The display the monitor shows on, in one spelling: an X display without its screen (":0.0"
// and ":0" are one), Wayland's by its socket, another platform by its name.
QString displayName() {
    const QString sPlatform = QGuiApplication::platformName();
    if (sPlatform == QLatin1String("xcb")) {
        // By hand: a regular expression would bring its compiler's pages into every monitor.
        QString sDisplay = qEnvironmentVariable("DISPLAY");
        const qsizetype iColon = sDisplay.lastIndexOf(QLatin1Char(':'));
        const qsizetype iScreen = sDisplay.indexOf(QLatin1Char('.'), iColon + 1);
        if (iColon >= 0 && iScreen > iColon)
            sDisplay.truncate(iScreen);
        return sDisplay;
    }
    if (sPlatform.startsWith(QLatin1String("wayland")))
        return qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    return sPlatform;
}

// The name of a device's claim on this display, such as
// de.halvorn.OrvaneMonitor.d192_2e168_2e1_2e10.s_3a0 for 192.168.1.10 on ":0". An element may not
// start with a digit, hence the letters.
QString busName(const QString &sAddress) {
    return QStringLiteral("%1.d%2.s%3")
        .arg(QLatin1String(orvane::kApplicationId),
             busNameElement(OM_Settings::canonicalAddress(sAddress)),
             busNameElement(displayName()));
}

// The object of a name, after the desktops' rule for org.freedesktop.Application.
QString objectPath(const QString &sBusName) {
    return QLatin1Char('/') + QString(sBusName).replace(QLatin1Char('.'), QLatin1Char('/'));
}

// Asks the monitor that owns the name to show its window; true once it has answered. The wait
// runs this program's events, but no input: a window that waits for the answer keeps painting
// and answering requests to itself.
bool askOwnerToShow(const QDBusConnection &oBus, const QString &sName,
                    const QDeadlineTimer &oDeadline) {
    QDBusMessage oCall = QDBusMessage::createMethodCall(sName, objectPath(sName), kInterface,
                                                        QStringLiteral("Activate"));
    oCall << QVariantMap();
    QDBusPendingCallWatcher oAnswer(oBus.asyncCall(oCall, qMax(1, int(oDeadline.remainingTime()))));
    QEventLoop oWaiting;
    QObject::connect(&oAnswer, &QDBusPendingCallWatcher::finished, &oWaiting, &QEventLoop::quit);
    if (!oAnswer.isFinished())
        oWaiting.exec(QEventLoop::ExcludeUserInputEvents);
    return oAnswer.isFinished() && !oAnswer.isError();
}

// Takes the call of a later start; ExportAllSlots offers this class's own slot and no other.
class ActivationTarget : public QObject {
    Q_OBJECT

public slots:
    void Activate(const QVariantMap &) { emit sigActivated(); }

signals:
    void sigActivated();
};

// Each claim on a connection of its own, so that two monitors in one process (the tests) are two
// owners to the bus, as two processes are.
QString nextConnectionName() {
    static int iConnections = 0;
    return QStringLiteral("orvane-claim-%1").arg(++iConnections);
}

} // namespace

// A device's claim: the name, once owned, and the object that answers on it.
struct OM_Instance::Claim {
    explicit Claim(const QString &sName)
        : sName(sName),
          oBus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, nextConnectionName())) {
        oBus.registerObject(objectPath(sName), kInterface, &oTarget,
                            QDBusConnection::ExportAllSlots);
    }

    ~Claim() {
        oBus.unregisterObject(objectPath(sName));
        // Given back with an answer, so that the bus has it free before a later start asks.
        if (bOwned)
            oBus.interface()->unregisterService(sName);
        QDBusConnection::disconnectFromBus(oBus.name());
    }

    const QString sName;
    QDBusConnection oBus;
    ActivationTarget oTarget;
    bool bOwned = false;
};

void OM_Instance::ClaimDeleter::operator()(Claim *poClaim) const {
    delete poClaim;
}

bool OM_Instance::claim(const QString &sAddress) {
    const QString sName = busName(sAddress);
    if (poClaim && poClaim->sName == sName)
        return true;
    std::unique_ptr<Claim, ClaimDeleter> poNew(new Claim(sName));
    if (!poNew->oBus.isConnected()) {
        qWarning("No session bus (%s): this monitor does not learn of others for %s.",
                 qPrintable(poNew->oBus.lastError().message()), qPrintable(sAddress));
        poClaim.reset();
        return true;
    }
    const QDeadlineTimer oDeadline(kAnswerMs);
    while (!oDeadline.hasExpired()) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> oReply =
            poNew->oBus.interface()->registerService(sName);
        if (!oReply.isValid()) {
            qWarning("The session bus refused the claim of %s (%s).", qPrintable(sAddress),
                     qPrintable(oReply.error().message()));
            break;
        }
        if (oReply.value() == QDBusConnectionInterface::ServiceRegistered) {
            poNew->bOwned = true;
            connect(&poNew->oTarget, &ActivationTarget::sigActivated, this,
                    &OM_Instance::sigShowRequested);
            poClaim = std::move(poNew); // gives up the device held before
            return true;
        }
        // The owner may be giving the name up (Quit): then the next request gets it.
        if (askOwnerToShow(poNew->oBus, sName, oDeadline))
            return false;
        QThread::msleep(kRetryMs);
    }
    if (oDeadline.hasExpired())
        qWarning("The monitor that holds %s does not answer: this one runs on its own.",
                 qPrintable(sAddress));
    poClaim.reset();
    return true;
}

#include "OM_InstanceLinux.moc"
