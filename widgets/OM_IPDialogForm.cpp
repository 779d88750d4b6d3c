#include "widgets/OM_IPDialogForm.h"

#include <QCoreApplication>

namespace Ui {

void OM_IPDialog::setupUi(QDialog *poDialog) {
    if (poDialog->objectName().isEmpty()) {
        poDialog->setObjectName(QStringLiteral("OM_IPDialog"));
    }
    poDialog->resize(325, 105);

    verticalLayout = new QVBoxLayout(poDialog);
    verticalLayout->setSpacing(6);
    verticalLayout->setContentsMargins(11, 11, 11, 11);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));

    poLabelAdditionalInfo = new QLabel(poDialog);
    poLabelAdditionalInfo->setObjectName(QStringLiteral("poLabelAdditionalInfo"));
    verticalLayout->addWidget(poLabelAdditionalInfo);

    poLabel = new QLabel(poDialog);
    poLabel->setObjectName(QStringLiteral("poLabel"));
    verticalLayout->addWidget(poLabel);

    poLineEdit = new QLineEdit(poDialog);
    poLineEdit->setObjectName(QStringLiteral("poLineEdit"));
    verticalLayout->addWidget(poLineEdit);

    poButtonBox = new QDialogButtonBox(poDialog);
    poButtonBox->setObjectName(QStringLiteral("poButtonBox"));
    poButtonBox->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    verticalLayout->addWidget(poButtonBox);

    retranslateUi(poDialog);
}

void OM_IPDialog::retranslateUi(QDialog *poDialog) {
    poDialog->setWindowTitle(QCoreApplication::translate("OM_IPDialog", "IP address of Orvane"));
    poLabelAdditionalInfo->setText(QString());
    poLabel->setText(QCoreApplication::translate(
        "OM_IPDialog", "Please enter IP address of Orvane or Relay Host to monitor."));
    // The field opens holding the hint as text, selected by the dialog so that the first
    // keystroke replaces it; the placeholder shows the same hint once the field is emptied.
    poLineEdit->setText(QCoreApplication::translate("OM_IPDialog", "Enter IP address"));
    poLineEdit->setPlaceholderText(QCoreApplication::translate("OM_IPDialog", "Enter IP address"));
}

} // namespace Ui
