// The platform chosen before the application object exists: X11 on a Wayland session that also
// offers it, unless the user named one.
#include "SessionPlatform.h"

#include <QScopeGuard>
#include <QtTest>

#include <vector>

class TestSessionPlatform : public QObject {
    Q_OBJECT

private slots:
    void x11OnlyWhereAWaylandSessionOffersIt_data();
    void x11OnlyWhereAWaylandSessionOffersIt();
};

void TestSessionPlatform::x11OnlyWhereAWaylandSessionOffersIt_data() {
    QTest::addColumn<QByteArray>("wayland");
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArray>("platform");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("x11");
    const QByteArray oUnset;
    const QByteArray oWayland("wayland-0");
    const QByteArray oDisplay(":1");
    QTest::newRow("Wayland with XWayland")
        << oWayland << oDisplay << oUnset << QStringList{"1.2.3.4"} << true;
    QTest::newRow("empty platform counts as unset")
        << oWayland << oDisplay << QByteArray("") << QStringList() << true;
    QTest::newRow("Wayland alone") << oWayland << oUnset << oUnset << QStringList() << false;
    QTest::newRow("X11 session") << oUnset << oDisplay << oUnset << QStringList() << false;
    QTest::newRow("user's QT_QPA_PLATFORM")
        << oWayland << oDisplay << QByteArray("wayland") << QStringList() << false;
    QTest::newRow("user's -platform") << oWayland << oDisplay << oUnset
                                      << QStringList{"1.2.3.4", "-platform", "wayland"} << false;
    QTest::newRow("user's --platform")
        << oWayland << oDisplay << oUnset << QStringList{"--platform", "wayland"} << false;
}

void TestSessionPlatform::x11OnlyWhereAWaylandSessionOffersIt() {
    QFETCH(QByteArray, wayland);
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, platform);
    QFETCH(QStringList, arguments);
    QFETCH(bool, x11);
    // Each variable set, or removed for a null value, while the test runs.
    const std::pair<const char *, QByteArray> oVariables[] = {
        {"WAYLAND_DISPLAY", wayland}, {"DISPLAY", display}, {"QT_QPA_PLATFORM", platform}};
    for (const auto &[pszName, oValue] : oVariables) {
        if (oValue.isNull())
            qunsetenv(pszName);
        else
            qputenv(pszName, oValue);
    }
    const auto oRestore = qScopeGuard([&oVariables] {
        for (const auto &oVariable : oVariables)
            qunsetenv(oVariable.first);
    });
    std::vector<QByteArray> oStorage{QByteArray("orvane-monitor")};
    for (const QString &sArgument : arguments)
        oStorage.push_back(sArgument.toLatin1());
    std::vector<char *> oArgv;
    for (QByteArray &oArgument : oStorage)
        oArgv.push_back(oArgument.data());

    const std::vector<char *> oGiven =
        orvane::argumentsWithSessionPlatform(int(oArgv.size()), oArgv.data());

    QStringList oExpected{"orvane-monitor"};
    oExpected << arguments;
    if (x11)
        oExpected << "-platform"
                  << "xcb;wayland";
    QStringList oSeen;
    for (std::size_t i = 0; i + 1 < oGiven.size(); ++i)
        oSeen << QString::fromLatin1(oGiven[i]);
    QCOMPARE(oSeen, oExpected);
    QCOMPARE(oGiven.back(), nullptr);
}

QTEST_APPLESS_MAIN(TestSessionPlatform)
#include "tst_SessionPlatform.moc"
