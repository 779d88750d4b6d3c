#pragma once

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QDialog;
class QMessageBox;
class QWidget;

// Plays the user of the program from a timer: answers message boxes with OK, answers address
// dialogs with the next scripted action and closes the monitor window once it shows. Each
// answered window is recorded, so a test can check what the program showed.
class ModalDriver : public QObject {
    Q_OBJECT

public:
    // Actions for successive address dialogs: "reject", "escape", "close", or an address that
    // is typed and then confirmed with OK. A dialog beyond the list is rejected.
    explicit ModalDriver(const QStringList &oDialogActions, QObject *parent = nullptr);

    const QList<QJsonObject> &records() const { return m_oRecords; }

signals:
    void recorded(const QJsonObject &oRecord);

private:
    void poll();
    void answerMessageBox(QMessageBox *poBox);
    void answerAddressDialog(QDialog *poDialog);
    void closeMonitorWindow(QWidget *poWindow);
    void record(const QJsonObject &oRecord);

    QTimer m_oTimer;
    QStringList m_oDialogActions;
    QList<QJsonObject> m_oRecords;
};
