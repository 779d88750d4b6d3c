#pragma once

#include "widgets/OM_IPDialogForm.h"

#include <QDialog>
#include <QString>

// Modal dialog asking for the device address; OK is enabled only while the text is a complete
// address. The form is public because the monitor window puts the current address into it.
class OM_IPDialog : public QDialog {
    Q_OBJECT

public:
    OM_IPDialog(const QString &sMessage, QWidget *parent);

    QString GetIPAddress() const;

    Ui::OM_IPDialog ui;
};
