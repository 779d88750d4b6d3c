#include "OM_IPDialog.h"

#include "OM_IPValidator.h"
#include "ui_OM_IPDialog.h"

#include <QPushButton>

OM_IPDialog::OM_IPDialog(const QString &sMessage, QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::OM_IPDialog>()) {
    ui->setupUi(this);

    // An empty message (a change of address from the monitor window) needs no explanation.
    ui->poLabelAdditionalInfo->setVisible(sMessage != QLatin1String(""));
    ui->poLabelAdditionalInfo->setText(sMessage);

    // Installed after the form has set the initial text, so that text is never validated and
    // OK starts disabled; every later change of the text runs the validator first.
    auto *poValidator = new OM_IPValidator(this);
    ui->poLineEdit->setValidator(poValidator);
    ui->poLineEdit->selectAll();

    QPushButton *poOkButton = ui->poButtonBox->button(QDialogButtonBox::Ok);
    poOkButton->setEnabled(false);

    connect(poValidator, &OM_IPValidator::sigOK, poOkButton, &QPushButton::setEnabled);
    connect(ui->poButtonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->poButtonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

OM_IPDialog::~OM_IPDialog() = default;

QString OM_IPDialog::GetIPAddress() const {
    return ui->poLineEdit->text();
}

void OM_IPDialog::setIPAddress(const QString &sIPAddress) {
    ui->poLineEdit->setText(sIPAddress);
}
