#include "OM_Instance.h"

#include <QCoreApplication>
#include <QEvent>

OM_Instance::OM_Instance(QObject *parent) : QObject(parent) {
    QCoreApplication::instance()->installEventFilter(this);
}

OM_Instance::~OM_Instance() = default;

void OM_Instance::release() {
    poClaim.reset();
}

// The device is given up as soon as the program decides to end: Quit, and the last window closed,
// reach the application as a Quit event at once, while the event loop ends only after the handler
// that asked for it, and the program after its clean-up (the settings). Meanwhile a later start
// would find the device claimed and hand over to a monitor that is ending. This program's windows
// never refuse to close, so a Quit event always ends it.
bool OM_Instance::eventFilter(QObject *poWatched, QEvent *poEvent) {
    if (poWatched == QCoreApplication::instance() && poEvent->type() == QEvent::Quit)
        release();
    return false;
}
