#include "DeviceAddress.h"
#include "OM_IPValidator.h"

#include <QMetaMethod>
#include <QSignalSpy>
#include <QtTest>

#include <regex>

class TestOMIPValidator : public QObject {
    Q_OBJECT

private slots:
    void verdictAndSignal_data();
    void verdictAndSignal();
    void signalsEveryCallEvenWhenUnchanged();
    void metaObjectOffersOnlyTheSignal();

private:
    static void addRow(const char *szText, QValidator::State eState) {
        QTest::newRow(*szText ? szText : "(empty)") << QString::fromLatin1(szText) << int(eState);
    }
};

void TestOMIPValidator::verdictAndSignal_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("state");

    // Complete addresses, including both ends of every octet range and leading zeros on
    // two-digit octets.
    for (const char *szText : {"0.0.0.0", "255.255.255.255", "192.168.1.10", "01.02.03.04",
                               "9.99.199.249", "01.2.3.4", "00.250.100.200"}) {
        addRow(szText, QValidator::Acceptable);
    }
    // Beginnings of an address: taken while typing, but OK stays disabled.
    for (const char *szText : {"", "192.168.1", "10.", "1", "255.255.255.", "25"}) {
        addRow(szText, QValidator::Intermediate);
    }
    // Texts that can never become an address.
    for (const char *szText :
         {"256.1.1.1", "001.1.1.1", "1.2.3.4.5", "192.168.1.1 ", " 192.168.1.1", "1.2.3.a", "abc",
          "1..2.3", "255.255.255.256", "1.2.3.4.", "Enter IP address", "-v"}) {
        addRow(szText, QValidator::Invalid);
    }
}

void TestOMIPValidator::verdictAndSignal() {
    QFETCH(QString, text);
    QFETCH(int, state);
    OM_IPValidator oValidator(nullptr);
    QSignalSpy oSpy(&oValidator, &OM_IPValidator::sigOK);

    QString sInput = text;
    int iPos = 0;
    QCOMPARE(int(oValidator.validate(sInput, iPos)), state);

    QCOMPARE(sInput, text);
    QCOMPARE(iPos, state == QValidator::Invalid ? int(text.size()) : 0);
    QCOMPARE(oSpy.count(), 1);
    QCOMPARE(oSpy.at(0).at(0).toBool(), state == QValidator::Acceptable);

    // Tools without Qt apply the same pattern; they must agree on what is a complete address.
    const std::string sLatin1 = text.toStdString();
    QCOMPARE(std::regex_match(sLatin1, std::regex(kIPAddressPattern)),
             state == QValidator::Acceptable);
}

void TestOMIPValidator::signalsEveryCallEvenWhenUnchanged() {
    OM_IPValidator oValidator(nullptr);
    QSignalSpy oSpy(&oValidator, &OM_IPValidator::sigOK);
    QString sInput = QStringLiteral("10.0.0.1");
    int iPos = 3;
    oValidator.validate(sInput, iPos);
    oValidator.validate(sInput, iPos);
    QCOMPARE(iPos, 3);
    sInput = QStringLiteral("10.0.0.1x");
    oValidator.validate(sInput, iPos);
    QCOMPARE(oSpy.count(), 3);
    QCOMPARE(oSpy.at(0).at(0).toBool(), true);
    QCOMPARE(oSpy.at(1).at(0).toBool(), true);
    QCOMPARE(oSpy.at(2).at(0).toBool(), false);
}

void TestOMIPValidator::metaObjectOffersOnlyTheSignal() {
    const QMetaObject &oMeta = OM_IPValidator::staticMetaObject;
    QCOMPARE(oMeta.className(), "OM_IPValidator");
    QCOMPARE(oMeta.methodCount() - oMeta.methodOffset(), 1);
    const QMetaMethod oSignal = oMeta.method(oMeta.methodOffset());
    QCOMPARE(oSignal.methodSignature(), QByteArray("sigOK(bool)"));
    QCOMPARE(oSignal.methodType(), QMetaMethod::Signal);
    QCOMPARE(oSignal.parameterNames(), QList<QByteArray>{"bOk"});
    QCOMPARE(oMeta.propertyCount() - oMeta.propertyOffset(), 0);
}

QTEST_MAIN(TestOMIPValidator)
#include "tst_OM_IPValidator.moc"
