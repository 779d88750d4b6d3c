#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>

// The host names of the PCs that hold the device, looked up once per address in the background,
// so that no poll waits for the resolver and the window always answers. Kept for the monitor's
// run; an address without a name, or whose lookup has not answered, has an empty one.
class OM_HolderNames : public QObject {
    Q_OBJECT

public:
    explicit OM_HolderNames(QObject *parent = nullptr);
    ~OM_HolderNames() override;

    // The holder's host name as far as known. A holder text that is another PC's address is
    // looked up the first time it is asked for; any other text has no name.
    QString nameOf(const QString &sHolder);

signals:
    void sigNamed(const QString &sHolder);

private:
    struct Mailbox;
    std::shared_ptr<Mailbox> poMailbox;
    QHash<QString, QString> oNames; // every address asked for, with its name once known
};
