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

    explicit OM_Label(QWidget *parent);

public slots:
    void slSetState(OM_Label::STATE eState);
};
