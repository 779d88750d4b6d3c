#pragma once

#include <QLabel>

// The label that fills the monitor window: the address as text, the device state as background.
class OM_Label : public QLabel {
    Q_OBJECT

public:
    enum STATE {
        LABEL_AVAILABLE = 0,
        LABEL_USED_BY_THIS_PC = 1,
        LABEL_USED_BY_OTHER_PC = 2,
        LABEL_NO_CONNECTION = 3
    };

    // The colour of each state, indexed by STATE: the label's background and the tray icon's.
    // All four are light, so the palette derived from them keeps the text black.
    static constexpr Qt::GlobalColor kStateColours[] = {Qt::green, Qt::cyan, Qt::yellow, Qt::red};

    explicit OM_Label(QWidget *parent);

public slots:
    void slSetState(OM_Label::STATE eState);
};
