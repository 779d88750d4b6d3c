#pragma once

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QDialog;
class QMessageBox;
class QWidget;

// Plays the user of the program from a timer while it lives: answers message boxes with OK,
// answers address dialogs with the next scripted action and, where asked, closes the monitor
// window once it shows. Each answered window is recorded, so a test can check what the program
// showed; no box is left waiting for a person.
class ModalDriver : public QObject {
    Q_OBJECT

public:
    enum MonitorWindow { LeaveMonitorWindow, CloseMonitorWindow };

    // Actions for successive address dialogs: "reject", "escape" or "close"; or a text that is
    // typed into the field and confirmed with OK, or left by one of those three named after a
    // space ("127.0.0.5 reject"). A dialog beyond the list is rejected.
    explicit ModalDriver(const QStringList &oDialogActions = {},
                         MonitorWindow eMonitorWindow = LeaveMonitorWindow,
                         QObject *parent = nullptr);

    const QList<QJsonObject> &records() const { return m_oRecords; }
    // The value of sKey in each record, as text.
    QStringList seen(const QString &sKey) const;

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
    MonitorWindow m_eMonitorWindow;
    QList<QJsonObject> m_oRecords;
};
