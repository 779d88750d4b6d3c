#include "widgets/OM_Label.h"

#include <QPalette>

namespace {

// All four colours are light, so the palette derived from them keeps the text black.
bool stateColour(OM_Label::STATE eState, Qt::GlobalColor &colour) {
    switch (eState) {
    case OM_Label::LABEL_AVAILABLE:
        colour = Qt::green;
        return true;
    case OM_Label::LABEL_USED_BY_THIS_PC:
        colour = Qt::cyan;
        return true;
    case OM_Label::LABEL_USED_BY_OTHER_PC:
        colour = Qt::yellow;
        return true;
    case OM_Label::LABEL_NO_CONNECTION:
        colour = Qt::red;
        return true;
    }
    return false;
}

} // namespace

OM_Label::OM_Label(QWidget *parent) : QLabel(parent) {
    // Without this the palette's window colour would not be painted behind the text.
    setAutoFillBackground(true);
}

void OM_Label::slSetState(OM_Label::STATE eState) {
    Qt::GlobalColor colour;
    if (stateColour(eState, colour)) {
        setPalette(QPalette(colour));
    }
    // Scheduled rather than painted at once: the poll runs every ten seconds also while the
    // window is hidden, and a hidden label needs no painting at all.
    update();
}
