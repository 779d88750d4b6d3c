#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace Ui {

// The address dialog's form: builds the widgets and sets their texts. The widgets are children
// of the dialog, so the form itself owns nothing.
class OM_IPDialog {
public:
    QVBoxLayout *verticalLayout = nullptr;
    QLabel *poLabelAdditionalInfo = nullptr;
    QLabel *poLabel = nullptr;
    QLineEdit *poLineEdit = nullptr;
    QDialogButtonBox *poButtonBox = nullptr;

    void setupUi(QDialog *poDialog);
    void retranslateUi(QDialog *poDialog);
};

} // namespace Ui
