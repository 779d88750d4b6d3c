#pragma once

#include "HostNameCache.h"

#include <QObject>
#include <QString>

// The host names of the PCs that hold the device, looked up in the background, so that no poll
// waits for the resolver and the window always answers. Bounded for a long run: a device that
// names a new holder at every poll keeps a few dozen of them, a name is looked up again after an
// hour (an address handed to another PC shows that PC's name) and a failed lookup after a few
// minutes. An address without a name, or whose lookup has not answered, has an empty one.
class OM_HolderNames : public QObject {
    Q_OBJECT

public:
    explicit OM_HolderNames(QObject *parent = nullptr);

    // The holder's host name as far as known. A holder text that is another PC's address is
    // looked up when it is first asked for and once its answer has aged; any other text has no
    // name.
    QString nameOf(const QString &sHolder);

signals:
    // A lookup brought a new name for the holder.
    void sigNamed(const QString &sHolder);

private:
    orvane::HostNameCache oCache;
};
