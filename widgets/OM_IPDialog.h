#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class OM_IPDialog;
}

// Modal dialog asking for the device address; OK is enabled only while the text is a complete
// address. The form comes from OM_IPDialog.ui.
class OM_IPDialog : public QDialog {
    Q_OBJECT

public:
    OM_IPDialog(const QString &sMessage, QWidget *parent);
    ~OM_IPDialog() override;

    QString GetIPAddress() const;

    // Puts an address into the field, as if typed: OK follows whether it is complete.
    void setIPAddress(const QString &sIPAddress);

private:
    std::unique_ptr<Ui::OM_IPDialog> ui;
};
