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

ModalDriver::ModalDriver(const QStringList &oDialogActions, QObject *parent)
    : QObject(parent), m_oDialogActions(oDialogActions) {
    connect(&m_oTimer, &QTimer::timeout, this, &ModalDriver::poll);
    m_oTimer.start(kPollIntervalMs);
}

void ModalDriver::poll() {
    QWidget *poModal = QApplication::activeModalWidget();
    if (auto *poBox = qobject_cast<QMessageBox *>(poModal)) {
        answerMessageBox(poBox);
    } else if (auto *poDialog = qobject_cast<QDialog *>(poModal)) {
        answerAddressDialog(poDialog);
    } else if (QWidget *poWindow = visibleMonitorWindow()) {
        closeMonitorWindow(poWindow);
    }
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

    if (sAction == QLatin1String("escape")) {
        QKeyEvent oEscape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(poDialog, &oEscape);
    } else if (sAction == QLatin1String("close")) {
        poDialog->close();
    } else if (sAction != QLatin1String("reject") && poEdit && poOk) {
        // Character by character, as typed: each one passes the field's validator.
        poEdit->selectAll();
        for (const QChar cTyped : sAction) {
            poEdit->insert(QString(cTyped));
        }
        oRecord.insert("typed", poEdit->text());
        oRecord.insert("okEnabled", poOk->isEnabled());
        poOk->isEnabled() ? poOk->click() : poDialog->reject();
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
