#include "ModalDriver.h"
#include "StartupAddress.h"

#include <QMessageBox>
#include <QtTest>

#include <vector>

namespace {

const char *const kProgram = "/opt/orvane/orvane-monitor";
const QString kInvalid = QStringLiteral("Provided IP address is invalid.");
const QString kMissing = QStringLiteral("No IP address provided on command line.");

struct StartupRun {
    std::optional<int> exitCode;
    QString sIPAddress;
    QList<QJsonObject> oRecords;
};

// Runs the start-up steps on "kProgram arguments..." while a driver answers the windows.
StartupRun runStartup(const QStringList &oArguments, const QStringList &oDialogActions) {
    std::vector<QByteArray> oStorage{QByteArray(kProgram)};
    for (const QString &sArgument : oArguments) {
        oStorage.push_back(sArgument.toLatin1());
    }
    std::vector<char *> oArgv;
    for (QByteArray &oArgument : oStorage) {
        oArgv.push_back(oArgument.data());
    }
    oArgv.push_back(nullptr);

    ModalDriver oDriver(oDialogActions);
    StartupRun oRun;
    oRun.exitCode =
        orvane::obtainStartupAddress(int(oStorage.size()), oArgv.data(), oRun.sIPAddress);
    oRun.oRecords = oDriver.records();
    return oRun;
}

} // namespace

class TestStartupAddress : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { orvane::applyApplicationIdentity(); }
    void helpTextListsProgramAndOptions();
    void helpOptionsShowHelpAndEnd_data();
    void helpOptionsShowHelpAndEnd();
    void versionOptionsShowVersionAndEnd_data();
    void versionOptionsShowVersionAndEnd();
    void acceptedArgumentIsHandedOnUnchanged_data();
    void acceptedArgumentIsHandedOnUnchanged();
    void rejectedArgumentOpensDialogAndCancelEnds_data();
    void rejectedArgumentOpensDialogAndCancelEnds();
    void missingArgumentOpensDialog_data();
    void missingArgumentOpensDialog();
    void addressTypedIntoDialogIsUsed();
};

void TestStartupAddress::helpTextListsProgramAndOptions() {
    QCOMPARE(orvane::helpText("C:\\Tools\\orvane-monitor.exe"),
             QStringLiteral("Usage:\nC:\\Tools\\orvane-monitor.exe <IP>\n"
                            "-h, --help:    Show this help.\n"
                            "-v, --version: Show version information and quit.\n"));
    // The program name is read as Latin-1, whatever the locale.
    QCOMPARE(orvane::helpText("M\xfc"
                              "ller")
                 .section('\n', 1, 1),
             QStringLiteral("M\u00fcller <IP>"));
    QCOMPARE(orvane::versionText(), QStringLiteral("1.0.13503"));
}

void TestStartupAddress::helpOptionsShowHelpAndEnd_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("/?") << QStringList{"/?"};
    QTest::newRow("-h") << QStringList{"-h"};
    QTest::newRow("--help then address") << QStringList{"--help", "127.0.0.50"};
}

void TestStartupAddress::helpOptionsShowHelpAndEnd() {
    QFETCH(QStringList, arguments);
    const StartupRun oRun = runStartup(arguments, {});
    QCOMPARE(oRun.exitCode.value_or(-1), 0);
    QCOMPARE(oRun.oRecords.size(), 1);
    const QJsonObject &oBox = oRun.oRecords.first();
    QCOMPARE(oBox["kind"].toString(), QStringLiteral("messagebox"));
    QCOMPARE(oBox["title"].toString(), QStringLiteral("Help"));
    QCOMPARE(oBox["text"].toString(), orvane::helpText(kProgram));
    QCOMPARE(oBox["icon"].toInt(), int(QMessageBox::Information));
    QCOMPARE(oBox["buttons"].toInt(), int(QMessageBox::Ok));
    QCOMPARE(oBox["hasParent"].toBool(), false);
}

void TestStartupAddress::versionOptionsShowVersionAndEnd_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("-v") << QStringList{"-v"};
    QTest::newRow("--version") << QStringList{"--version"};
    QTest::newRow("-v then address") << QStringList{"-v", "127.0.0.50"};
}

void TestStartupAddress::versionOptionsShowVersionAndEnd() {
    QFETCH(QStringList, arguments);
    const StartupRun oRun = runStartup(arguments, {});
    QCOMPARE(oRun.exitCode.value_or(-1), 0);
    QCOMPARE(oRun.oRecords.size(), 1);
    QCOMPARE(oRun.oRecords.first()["title"].toString(), QStringLiteral("Version"));
    QCOMPARE(oRun.oRecords.first()["text"].toString(), QStringLiteral("1.0.13503"));
}

void TestStartupAddress::acceptedArgumentIsHandedOnUnchanged_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("0.0.0.0") << QStringList{"0.0.0.0"};
    QTest::newRow("255.255.255.255") << QStringList{"255.255.255.255"};
    QTest::newRow("leading zero") << QStringList{"01.2.3.4"};
    QTest::newRow("address then -v") << QStringList{"127.0.0.50", "-v"};
}

void TestStartupAddress::acceptedArgumentIsHandedOnUnchanged() {
    QFETCH(QStringList, arguments);
    const StartupRun oRun = runStartup(arguments, {});
    QVERIFY(!oRun.exitCode.has_value());
    QCOMPARE(oRun.sIPAddress, arguments.first());
    QVERIFY(oRun.oRecords.isEmpty());
}

void TestStartupAddress::rejectedArgumentOpensDialogAndCancelEnds_data() {
    QTest::addColumn<QString>("argument");
    for (const char *szArgument : {"-H", "/h", "-help", "-V", "", "192.168.1", " 1.2.3.4",
                                   "1.2.3.4 ", "256.1.1.1", "1.2.3.4.5", "001.2.3.4"}) {
        QTest::newRow(*szArgument ? szArgument : "(empty)") << QString::fromLatin1(szArgument);
    }
}

void TestStartupAddress::rejectedArgumentOpensDialogAndCancelEnds() {
    QFETCH(QString, argument);
    const StartupRun oRun = runStartup({argument}, {"reject"});
    QCOMPARE(oRun.exitCode.value_or(-1), 1);
    QCOMPARE(oRun.oRecords.size(), 1);
    const QJsonObject &oDialog = oRun.oRecords.first();
    QCOMPARE(oDialog["class"].toString(), QStringLiteral("OM_IPDialog"));
    QCOMPARE(oDialog["message"].toString(), kInvalid);
    QVERIFY(oDialog["messageVisible"].toBool());
    // The rejected argument is not offered for editing.
    QCOMPARE(oDialog["field"].toString(), QStringLiteral("Enter IP address"));
    QCOMPARE(oDialog["hasParent"].toBool(), false);
}

void TestStartupAddress::missingArgumentOpensDialog_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("Cancel") << "reject";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("closed") << "close";
}

void TestStartupAddress::missingArgumentOpensDialog() {
    QFETCH(QString, action);
    const StartupRun oRun = runStartup({}, {action});
    QCOMPARE(oRun.exitCode.value_or(-1), 1);
    QCOMPARE(oRun.oRecords.size(), 1);
    QCOMPARE(oRun.oRecords.first()["message"].toString(), kMissing);
}

void TestStartupAddress::addressTypedIntoDialogIsUsed() {
    const StartupRun oRun = runStartup({"not.an.address"}, {"127.0.0.51"});
    QVERIFY(!oRun.exitCode.has_value());
    QCOMPARE(oRun.sIPAddress, QStringLiteral("127.0.0.51"));
    QCOMPARE(oRun.oRecords.size(), 1);
    QVERIFY(oRun.oRecords.first()["okEnabled"].toBool());

    const StartupRun oMissing = runStartup({}, {"01.02.03.04"});
    QVERIFY(!oMissing.exitCode.has_value());
    QCOMPARE(oMissing.sIPAddress, QStringLiteral("01.02.03.04"));
}

QTEST_MAIN(TestStartupAddress)
#include "tst_StartupAddress.moc"
