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
    void helpAndVersionOptionsShowTheirBoxAndEnd_data();
    void helpAndVersionOptionsShowTheirBoxAndEnd();
    void addressComesFromTheArgumentOrTheDialog_data();
    void addressComesFromTheArgumentOrTheDialog();
    void dialogWithoutAnAddressEndsWithOne_data();
    void dialogWithoutAnAddressEndsWithOne();
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

void TestStartupAddress::helpAndVersionOptionsShowTheirBoxAndEnd_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const QString sHelp = orvane::helpText(kProgram);
    const QString sVersion = QStringLiteral("1.0.13503");
    QTest::newRow("/?") << QStringList{"/?"} << "Help" << sHelp;
    QTest::newRow("-h") << QStringList{"-h"} << "Help" << sHelp;
    QTest::newRow("--help then address") << QStringList{"--help", "127.0.0.50"} << "Help" << sHelp;
    QTest::newRow("-v") << QStringList{"-v"} << "Version" << sVersion;
    QTest::newRow("--version") << QStringList{"--version"} << "Version" << sVersion;
    QTest::newRow("-v then address") << QStringList{"-v", "127.0.0.50"} << "Version" << sVersion;
}

void TestStartupAddress::helpAndVersionOptionsShowTheirBoxAndEnd() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, title);
    QFETCH(QString, text);
    const StartupRun oRun = runStartup(arguments, {});
    QCOMPARE(oRun.exitCode.value_or(-1), 0);
    QCOMPARE(oRun.oRecords.size(), 1);
    const QJsonObject &oBox = oRun.oRecords.first();
    QCOMPARE(oBox["kind"].toString(), QStringLiteral("messagebox"));
    QCOMPARE(oBox["title"].toString(), title);
    QCOMPARE(oBox["text"].toString(), text);
    QCOMPARE(oBox["icon"].toInt(), int(QMessageBox::Information));
    QCOMPARE(oBox["buttons"].toInt(), int(QMessageBox::Ok));
    QCOMPARE(oBox["hasParent"].toBool(), false);
}

// An address on the command line is handed on unchanged; one typed into the dialog, after an
// argument that was none or without one, is used as typed.
void TestStartupAddress::addressComesFromTheArgumentOrTheDialog_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("dialogActions");
    QTest::addColumn<QString>("address");
    for (const char *szAddress : {"0.0.0.0", "255.255.255.255", "01.2.3.4"})
        QTest::newRow(szAddress) << QStringList{szAddress} << QStringList() << szAddress;
    QTest::newRow("address then -v")
        << QStringList{"127.0.0.50", "-v"} << QStringList() << "127.0.0.50";
    QTest::newRow("typed after an argument that is none")
        << QStringList{"not.an.address"} << QStringList{"127.0.0.51"} << "127.0.0.51";
    QTest::newRow("typed without an argument")
        << QStringList() << QStringList{"01.02.03.04"} << "01.02.03.04";
}

void TestStartupAddress::addressComesFromTheArgumentOrTheDialog() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, dialogActions);
    QFETCH(QString, address);
    const StartupRun oRun = runStartup(arguments, dialogActions);
    QVERIFY(!oRun.exitCode.has_value());
    QCOMPARE(oRun.sIPAddress, address);
    QCOMPARE(oRun.oRecords.size(), dialogActions.size());
    for (const QJsonObject &oDialog : oRun.oRecords)
        QVERIFY(oDialog["okEnabled"].toBool());
}

// An argument that is no address, or none, opens the dialog with the reason; leaving it in any way
// ends with 1.
void TestStartupAddress::dialogWithoutAnAddressEndsWithOne_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("message");
    for (const char *szArgument : {"-H", "/h", "-help", "-V", "", "192.168.1", " 1.2.3.4",
                                   "1.2.3.4 ", "256.1.1.1", "1.2.3.4.5", "001.2.3.4"}) {
        QTest::newRow(*szArgument ? szArgument : "(empty)")
            << QStringList{QString::fromLatin1(szArgument)} << "reject" << kInvalid;
    }
    for (const char *szAction : {"reject", "escape", "close"})
        QTest::addRow("none, %s", szAction) << QStringList() << szAction << kMissing;
}

void TestStartupAddress::dialogWithoutAnAddressEndsWithOne() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, action);
    QFETCH(QString, message);
    const StartupRun oRun = runStartup(arguments, {action});
    QCOMPARE(oRun.exitCode.value_or(-1), 1);
    QCOMPARE(oRun.oRecords.size(), 1);
    const QJsonObject &oDialog = oRun.oRecords.first();
    QCOMPARE(oDialog["class"].toString(), QStringLiteral("OM_IPDialog"));
    QCOMPARE(oDialog["message"].toString(), message);
    QVERIFY(oDialog["messageVisible"].toBool());
    // The rejected argument is not offered for editing.
    QCOMPARE(oDialog["field"].toString(), QStringLiteral("Enter IP address"));
    QCOMPARE(oDialog["hasParent"].toBool(), false);
}

QTEST_MAIN(TestStartupAddress)
#include "tst_StartupAddress.moc"
