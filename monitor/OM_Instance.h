// One monitor per device: OM_Instance.cpp, and how each system holds the claim, in
// OM_InstanceLinux.cpp and OM_InstanceWindows.cpp.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

// One monitor per device and graphical session. A monitor claims its device; a later start for
// that device in the same session finds it claimed, asks the monitor that holds it to show its
// window, and ends. On Linux the claim is a name on the session bus, which names the device and
// the display the monitor shows on, since one session bus serves all graphical sessions of a
// user (the console and a remote desktop alike). On Windows it is a lock file and a local socket
// per user and login session, as several users may be logged in at once. A claim dies with its
// process, however that ended; and Quit gives it up at once, so that a start that follows Quit
// gets the device even while the monitor that quits is still ending.
class OM_Instance : public QObject {
    Q_OBJECT

public:
    explicit OM_Instance(QObject *parent = nullptr);
    ~OM_Instance() override;

    // Takes the device (any spelling of its address) for this monitor, giving up the one it held
    // before. False when another monitor of this session watches the device: that one has been
    // asked to show its window, and this monitor keeps what it held. Where the claim cannot be
    // made at all (no session bus, no lock file), or the monitor that holds the device does not
    // answer, true without a claim: a monitor on its own rather than none.
    bool claim(const QString &sAddress);

    // Gives the device up, so that a later start takes it.
    void release();

#ifdef Q_OS_WIN
    // The lock file of a device's claim in this login session.
    static QString lockFilePath(const QString &sAddress);
#endif

signals:
    // Another start asked for the device that this monitor watches.
    void sigShowRequested();

protected:
    bool eventFilter(QObject *poWatched, QEvent *poEvent) override;

private:
    // What the claim is differs by system; its deleter lives with it.
    struct Claim;
    struct ClaimDeleter {
        void operator()(Claim *poClaim) const;
    };
    std::unique_ptr<Claim, ClaimDeleter> poClaim;
};
