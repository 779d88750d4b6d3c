// Loaded into the real program with LD_PRELOAD by the process tests, so the program itself
// carries no test hook. When the program builds its application object, this starts a
// ModalDriver with the actions of ORVANE_TEST_DIALOG_ACTIONS (comma-separated) and appends
// its records, one JSON object a line, to the file ORVANE_TEST_RECORD_FILE.
#include "ModalDriver.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>

namespace {

void startModalDriver() {
    const QStringList oActions = qEnvironmentVariable("ORVANE_TEST_DIALOG_ACTIONS")
                                     .split(QLatin1Char(','), Qt::SkipEmptyParts);
    const QString sRecordFile = qEnvironmentVariable("ORVANE_TEST_RECORD_FILE");
    auto *poDriver =
        new ModalDriver(oActions, ModalDriver::CloseMonitorWindow, QCoreApplication::instance());
    QObject::connect(poDriver, &ModalDriver::recorded, [sRecordFile](const QJsonObject &oRecord) {
        QFile oFile(sRecordFile);
        if (oFile.open(QIODevice::Append | QIODevice::Text)) {
            oFile.write(QJsonDocument(oRecord).toJson(QJsonDocument::Compact) + '\n');
        }
    });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startModalDriver)
