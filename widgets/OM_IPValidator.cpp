#include "OM_IPValidator.h"

#include "DeviceAddress.h"

#include <QRegularExpression>

OM_IPValidator::OM_IPValidator(QObject *parent)
    : QRegularExpressionValidator(QRegularExpression(QString::fromLatin1(kIPAddressPattern)),
                                  parent) {}

QValidator::State OM_IPValidator::validate(QString &sInput, int &iPos) const {
    // The base anchors the pattern to the whole text, answers Intermediate for every beginning
    // of an address (the empty text included) and moves the position to the end on Invalid.
    const QValidator::State eState = QRegularExpressionValidator::validate(sInput, iPos);
    // Emitted on every call, also for an unchanged verdict, so the OK button always follows
    // the latest text.
    // validate() is const by the base's contract; emitting changes no state of the validator.
    emit const_cast<OM_IPValidator *>(this)->sigOK(eState == QValidator::Acceptable);
    return eState;
}
