#include "ModalDriver.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

constexpr int kPollIntervalMs = 20;

// The ways a dialog can be left other than with OK.
const QStringList kEndings = {QStringLiteral("reject"), QStringLiteral("escape"),
                              QStringLiteral("close")};

QWidget *visibleMonitorWindow() {
    for (QWidget *poWidget : QApplication::topLevelWidgets()) {
        if (poWidget->isVisible() && poWidget->inherits("OM_Main")) {
            return poWidget;
        }
    }
    return nullptr;
}

QString monitorLabelText(QWidget *poWindow) {
    for (QLabel *poLabel : poWindow->findChildren<QLabel *>()) {
        if (poLabel->inherits("OM_Label")) {
            return poLabel->text();
        }
    }
    return QString();
}

} // namespace

ModalDriver::ModalDriver(const QStringList &oDialogActions, MonitorWindow eMonitorWindow,
                         QObject *parent)
    : QObject(parent), m_oDialogActions(oDialogActions), m_eMonitorWindow(eMonitorWindow) {
    connect(&m_oTimer, &QTimer::timeout, this, &ModalDriver::poll);
    m_oTimer.start(kPollIntervalMs);
}

void ModalDriver::poll() {
    QWidget *poModal = QApplication::activeModalWidget();
    if (auto *poBox = qobject_cast<QMessageBox *>(poModal)) {
        answerMessageBox(poBox);
    } else if (auto *poDialog = qobject_cast<QDialog *>(poModal)) {
        answerAddressDialog(poDialog);
    } else if (m_eMonitorWindow == CloseMonitorWindow) {
        if (QWidget *poWindow = visibleMonitorWindow())
            closeMonitorWindow(poWindow);
    }
}

QStringList ModalDriver::seen(const QString &sKey) const {
    QStringList oValues;
    for (const QJsonObject &oRecord : m_oRecords)
        oValues << oRecord[sKey].toVariant().toString();
    return oValues;
}

void ModalDriver::answerMessageBox(QMessageBox *poBox) {
    QJsonObject oRecord{{"kind", "messagebox"},
                        {"class", poBox->metaObject()->className()},
                        {"title", poBox->windowTitle()},
                        {"text", poBox->text()},
                        {"icon", int(poBox->icon())},
                        {"buttons", int(poBox->standardButtons())},
                        {"hasParent", poBox->parentWidget() != nullptr}};
    record(oRecord);
    poBox->button(QMessageBox::Ok) ? poBox->button(QMessageBox::Ok)->click() : poBox->reject();
}

void ModalDriver::answerAddressDialog(QDialog *poDialog) {
    auto *poMessage = poDialog->findChild<QLabel *>(QStringLiteral("poLabelAdditionalInfo"));
    auto *poEdit = poDialog->findChild<QLineEdit *>(QStringLiteral("poLineEdit"));
    auto *poButtons = poDialog->findChild<QDialogButtonBox *>(QStringLiteral("poButtonBox"));
    const QString sAction =
        m_oDialogActions.isEmpty() ? QStringLiteral("reject") : m_oDialogActions.takeFirst();
    QJsonObject oRecord{{"kind", "dialog"},
                        {"class", poDialog->metaObject()->className()},
                        {"title", poDialog->windowTitle()},
                        {"message", poMessage ? poMessage->text() : QString()},
                        {"messageVisible", poMessage && poMessage->isVisible()},
                        {"field", poEdit ? poEdit->text() : QString()},
                        {"hasParent", poDialog->parentWidget() != nullptr},
                        {"action", sAction}};
    QPushButton *poOk = poButtons ? poButtons->button(QDialogButtonBox::Ok) : nullptr;
    const QString sLastWord = sAction.section(QLatin1Char(' '), -1);
    const bool bOk = !kEndings.contains(sLastWord);
    const QString sTyped = bOk ? sAction : sAction.section(QLatin1Char(' '), 0, -2);

    if (!sTyped.isEmpty() && poEdit && poOk) {
        // Character by character, as typed: each one passes the field's validator.
        poEdit->selectAll();
        for (const QChar cTyped : sTyped) {
            poEdit->insert(QString(cTyped));
        }
        oRecord.insert("typed", poEdit->text());
        oRecord.insert("okEnabled", poOk->isEnabled());
    }
    if (sLastWord == QLatin1String("escape")) {
        QKeyEvent oEscape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(poDialog, &oEscape);
    } else if (sLastWord == QLatin1String("close")) {
        poDialog->close();
    } else if (bOk && poOk && poOk->isEnabled()) {
        poOk->click();
    } else {
        poDialog->reject();
    }
    record(oRecord);
}

void ModalDriver::closeMonitorWindow(QWidget *poWindow) {
    record(QJsonObject{{"kind", "monitor"},
                       {"class", poWindow->metaObject()->className()},
                       {"label", monitorLabelText(poWindow)}});
    // The monitor window is the last visible window, so closing it ends the event loop.
    poWindow->close();
}

void ModalDriver::record(const QJsonObject &oRecord) {
    m_oRecords.append(oRecord);
    emit recorded(oRecord);
}
