#include "OM_Label.h"

#include <QPalette>

#include <iterator>

OM_Label::OM_Label(QWidget *parent) : QLabel(parent) {
    // Without this the palette's window colour would not be painted behind the text.
    setAutoFillBackground(true);
}

void OM_Label::slSetState(OM_Label::STATE eState) {
    // Any other value keeps the colour shown.
    if (eState >= 0 && eState < int(std::size(kStateColours))) {
        setPalette(QPalette(kStateColours[eState]));
    }
    // Scheduled rather than painted at once: the poll runs every ten seconds also while the
    // window is hidden, and a hidden label needs no painting at all.
    update();
}
