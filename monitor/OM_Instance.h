#pragma once

#include <QObject>
#include <QString>

#include <memory>

// One monitor per device for a user (on Windows, per user and login session, as several users may
// be logged in at once). The monitor of a device holds a lock file
// named after the device and listens on a local socket of the same name; a later start for that
// device finds the lock held, connects, and so asks the running monitor to show its window. A
// monitor that crashed or was killed leaves a lock of a process that is gone, which the next
// start takes over.
class OM_Instance : public QObject {
    Q_OBJECT

public:
    explicit OM_Instance(QObject *parent = nullptr);
    ~OM_Instance() override;

    // Takes the device (any spelling of its address) for this monitor, giving up the one it held
    // before. False when another monitor of this user watches the device: that one has been asked
    // to show its window, and this monitor keeps what it held.
    bool claim(const QString &sAddress);

signals:
    // Another start asked for the device that this monitor watches.
    void sigShowRequested();

private:
    struct Claim;
    std::unique_ptr<Claim> poClaim;
};
