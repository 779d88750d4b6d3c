// Runs the real program as a process on the offscreen platform. The test library preloaded into
// it (ModalDriverPreload.cpp) answers its boxes and dialogs and records them, so the exit codes
// are the program's own and nothing waits for a person.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kProgram = QStringLiteral(ORVANE_PROGRAM_PATH);
const QString kDriverLibrary = QStringLiteral(ORVANE_MODAL_DRIVER_PATH);
constexpr int kSafetyLimitMs = 60000;

struct ProgramRun {
    bool bFinished = false;
    int iExitCode = -1;
    QProcess::ExitStatus eExitStatus = QProcess::CrashExit;
    QByteArray oStandardOutput;
    QStringList oSeen; // one line per window the driver answered
};

QString describe(const QJsonObject &oRecord) {
    const QString sKind = oRecord["kind"].toString();
    if (sKind == QLatin1String("messagebox")) {
        return sKind + '|' + oRecord["title"].toString() + '|' + oRecord["text"].toString();
    }
    if (sKind == QLatin1String("dialog")) {
        return sKind + '|' + oRecord["message"].toString() + '|' + oRecord["field"].toString();
    }
    return sKind + '|' + oRecord["label"].toString();
}

ProgramRun runProgram(const QStringList &oArguments, const QStringList &oDialogActions) {
    QTemporaryDir oDir;
    const QString sRecordFile = oDir.filePath(QStringLiteral("records.jsonl"));
    QProcessEnvironment oEnvironment = QProcessEnvironment::systemEnvironment();
    oEnvironment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    oEnvironment.insert(QStringLiteral("LD_PRELOAD"), kDriverLibrary);
    oEnvironment.insert(QStringLiteral("ORVANE_TEST_DIALOG_ACTIONS"), oDialogActions.join(','));
    oEnvironment.insert(QStringLiteral("ORVANE_TEST_RECORD_FILE"), sRecordFile);
    // The monitor keeps its settings per user; keep them out of the real home.
    oEnvironment.insert(QStringLiteral("XDG_CONFIG_HOME"), oDir.filePath(QStringLiteral("config")));
    oEnvironment.insert(QStringLiteral("HOME"), oDir.path());

    QProcess oProcess;
    oProcess.setProcessEnvironment(oEnvironment);
    oProcess.setWorkingDirectory(oDir.path());
    oProcess.start(kProgram, oArguments);

    ProgramRun oRun;
    oRun.bFinished = oProcess.waitForFinished(kSafetyLimitMs);
    if (!oRun.bFinished) {
        oProcess.kill();
        oProcess.waitForFinished();
        return oRun;
    }
    oRun.iExitCode = oProcess.exitCode();
    oRun.eExitStatus = oProcess.exitStatus();
    oRun.oStandardOutput = oProcess.readAllStandardOutput();

    QFile oRecords(sRecordFile);
    if (oRecords.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (const QByteArray &oLine : oRecords.readAll().split('\n')) {
            if (!oLine.isEmpty()) {
                oRun.oSeen << describe(QJsonDocument::fromJson(oLine).object());
            }
        }
    }
    return oRun;
}

} // namespace

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    void runsAsAUserWouldSeeIt_data();
    void runsAsAUserWouldSeeIt();
};

void TestProgram::runsAsAUserWouldSeeIt_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("dialogActions");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("seen");
    QTest::addColumn<bool>("monitors");

    const QString sMissing =
        QStringLiteral("dialog|No IP address provided on command line.|Enter IP address");
    const QString sInvalid =
        QStringLiteral("dialog|Provided IP address is invalid.|Enter IP address");
    const QString sHelp = QStringLiteral("messagebox|Help|Usage:\n") + kProgram +
                          QStringLiteral(" <IP>\n-h, --help:    Show this help.\n"
                                         "-v, --version: Show version information and quit.\n");
    const QString sVersion = QStringLiteral("messagebox|Version|1.0.13503");

    QTest::newRow("no argument, dialog cancelled")
        << QStringList{} << QStringList{"reject"} << 1 << QStringList{sMissing} << false;
    QTest::newRow("no argument, dialog closed with Escape")
        << QStringList{} << QStringList{"escape"} << 1 << QStringList{sMissing} << false;
    QTest::newRow("-H is no option")
        << QStringList{"-H"} << QStringList{"reject"} << 1 << QStringList{sInvalid} << false;
    QTest::newRow("empty argument is invalid")
        << QStringList{""} << QStringList{"close"} << 1 << QStringList{sInvalid} << false;
    QTest::newRow("-h") << QStringList{"-h"} << QStringList{} << 0 << QStringList{sHelp} << false;
    QTest::newRow("-v before an address")
        << QStringList{"-v", "127.0.0.50"} << QStringList{} << 0 << QStringList{sVersion} << false;
    QTest::newRow("toolkit option consumed before the first argument")
        << QStringList{"-platform", "offscreen", "--version"} << QStringList{} << 0
        << QStringList{sVersion} << false;
    QTest::newRow("address before -v is monitored")
        << QStringList{"127.0.0.51", "-v"} << QStringList{} << 0
        << QStringList{"monitor|127.0.0.51"} << true;
    QTest::newRow("address typed after an invalid one")
        << QStringList{"127.0.0.256"} << QStringList{"127.0.0.52"} << 0
        << QStringList{sInvalid, "monitor|127.0.0.52"} << true;
}

void TestProgram::runsAsAUserWouldSeeIt() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, dialogActions);
    QFETCH(int, exitCode);
    QFETCH(QStringList, seen);
    QFETCH(bool, monitors);

    const ProgramRun oRun = runProgram(arguments, dialogActions);

    QVERIFY2(oRun.bFinished, "the program waited for something nobody answered");
    QCOMPARE(oRun.eExitStatus, QProcess::NormalExit);
    QCOMPARE(oRun.oSeen, seen);
    QCOMPARE(oRun.iExitCode, exitCode);
    if (!monitors) {
        // Before monitoring starts the program prints nothing.
        QCOMPARE(oRun.oStandardOutput, QByteArray());
    }
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_Program.moc"
