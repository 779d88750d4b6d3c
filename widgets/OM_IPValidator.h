#pragma once

#include <QRegularExpressionValidator>

// Accepts exactly a complete dotted-quad IPv4 address and reports every verdict through sigOK,
// which the address dialog uses to enable its OK button.
class OM_IPValidator : public QRegularExpressionValidator {
    Q_OBJECT

public:
    explicit OM_IPValidator(QObject *parent);

    QValidator::State validate(QString &sInput, int &iPos) const override;

signals:
    void sigOK(bool bOk);
};
