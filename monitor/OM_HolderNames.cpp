#include "OM_HolderNames.h"

#include "HostName.h"

#include <mutex>

// Where a lookup's thread hands its answer over; the names object may be gone by then.
struct OM_HolderNames::Mailbox {
    std::mutex oMutex;
    OM_HolderNames *poNames = nullptr;
};

OM_HolderNames::OM_HolderNames(QObject *parent)
    : QObject(parent), poMailbox(std::make_shared<Mailbox>()) {
    poMailbox->poNames = this;
}

OM_HolderNames::~OM_HolderNames() {
    const std::lock_guard<std::mutex> oLock(poMailbox->oMutex);
    poMailbox->poNames = nullptr;
}

QString OM_HolderNames::nameOf(const QString &sHolder) {
    const auto itKnown = oNames.constFind(sHolder);
    if (itKnown != oNames.constEnd())
        return *itKnown;
    const std::optional<std::uint32_t> oAddress = orvane::holderAddress(sHolder.toStdString());
    if (!oAddress)
        return QString(); // the device's own text, which names no PC to look up
    oNames.insert(sHolder, QString());
    orvane::lookUpHostName(*oAddress, [poMailbox = poMailbox, sHolder](const std::string &sName) {
        const std::lock_guard<std::mutex> oLock(poMailbox->oMutex);
        if (!poMailbox->poNames || sName.empty())
            return;
        // Posted while the names object lives; Qt drops it should the object go first.
        OM_HolderNames *poNames = poMailbox->poNames;
        QMetaObject::invokeMethod(poNames, [poNames, sHolder, sName] {
            poNames->oNames.insert(sHolder, QString::fromStdString(sName));
            emit poNames->sigNamed(sHolder);
        });
    });
    return QString();
}
