#include "OM_Boxes.h"

#include <QMessageBox>

namespace OM_Boxes {

namespace {

void runMessageBox(QMessageBox::Icon eIcon, QWidget *poParent, const QString &sTitle,
                   const QString &sText) {
    QMessageBox oBox(eIcon, sTitle, sText, QMessageBox::Ok, poParent);
    oBox.setDefaultButton(QMessageBox::NoButton);
    runDialog(oBox);
}

} // namespace

int runDialog(QDialog &oDialog) {
    oDialog.setAttribute(Qt::WA_QuitOnClose, false);
    return oDialog.exec();
}

void information(QWidget *poParent, const QString &sTitle, const QString &sText) {
    runMessageBox(QMessageBox::Information, poParent, sTitle, sText);
}

void critical(QWidget *poParent, const QString &sTitle, const QString &sText) {
    runMessageBox(QMessageBox::Critical, poParent, sTitle, sText);
}

} // namespace OM_Boxes
