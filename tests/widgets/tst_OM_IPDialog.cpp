#include "OM_IPDialog.h"
#include "OM_IPValidator.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

namespace {

const QString kHint = QStringLiteral("Enter IP address");

// A widget or layout of the dialog's form, by its object name.
template <typename Part> Part *part(OM_IPDialog &oDialog, const char *pszName) {
    return oDialog.findChild<Part *>(QString::fromLatin1(pszName));
}

QPushButton *okButton(OM_IPDialog &oDialog) {
    return part<QDialogButtonBox>(oDialog, "poButtonBox")->button(QDialogButtonBox::Ok);
}

// Runs the dialog modally and lets `answer` act on it from inside the modal loop.
template <typename Answer> int execAnswering(OM_IPDialog &oDialog, Answer answer) {
    QTimer::singleShot(0, &oDialog, [&oDialog, answer] {
        QCOMPARE(QApplication::activeModalWidget(), &oDialog);
        answer();
    });
    return oDialog.exec();
}

} // namespace

class TestOMIPDialog : public QObject {
    Q_OBJECT

private slots:
    void formHoldsNamedWidgetsInOrder();
    void freshDialogSelectsHintAndDisablesOk();
    void typingFollowsTheValidator();
    void backspaceOnSelectedHintShowsPlaceholder();
    void backspaceOnUnselectedHintIsRefused();
    void refusedKeystrokeAfterCompleteAddressDisablesOk();
    void callerSetAddressEnablesOkAtOnce();
    void messageLabelShownOnlyForAMessage();
    void okReturnsTheShownAddress();
    void cancelEscapeAndCloseReject_data();
    void cancelEscapeAndCloseReject();
};

void TestOMIPDialog::formHoldsNamedWidgetsInOrder() {
    OM_IPDialog oDialog(QString(), nullptr);
    QCOMPARE(oDialog.objectName(), QStringLiteral("OM_IPDialog"));
    QCOMPARE(oDialog.windowTitle(), QStringLiteral("IP address of Orvane"));
    QCOMPARE(oDialog.size(), QSize(325, 105));
    QCOMPARE(oDialog.metaObject()->className(), "OM_IPDialog");
    QCOMPARE(oDialog.metaObject()->methodCount(), QDialog::staticMetaObject.methodCount());

    QCOMPARE(oDialog.layout(), part<QVBoxLayout>(oDialog, "verticalLayout"));
    QCOMPARE(part<QVBoxLayout>(oDialog, "verticalLayout")->objectName(),
             QStringLiteral("verticalLayout"));
    QCOMPARE(part<QVBoxLayout>(oDialog, "verticalLayout")->spacing(), 6);
    QCOMPARE(part<QVBoxLayout>(oDialog, "verticalLayout")->contentsMargins(),
             QMargins(11, 11, 11, 11));

    const QList<QWidget *> oExpected = {
        part<QLabel>(oDialog, "poLabelAdditionalInfo"), part<QLabel>(oDialog, "poLabel"),
        part<QLineEdit>(oDialog, "poLineEdit"), part<QDialogButtonBox>(oDialog, "poButtonBox")};
    const QStringList oNames = {"poLabelAdditionalInfo", "poLabel", "poLineEdit", "poButtonBox"};
    QCOMPARE(part<QVBoxLayout>(oDialog, "verticalLayout")->count(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(part<QVBoxLayout>(oDialog, "verticalLayout")->itemAt(i)->widget(),
                 oExpected.at(i));
        QCOMPARE(oExpected.at(i)->objectName(), oNames.at(i));
        QCOMPARE(oExpected.at(i)->parent(), &oDialog);
    }

    QCOMPARE(part<QLabel>(oDialog, "poLabel")->text(),
             QStringLiteral("Please enter IP address of Orvane or Relay Host to monitor."));
    QCOMPARE(part<QLineEdit>(oDialog, "poLineEdit")->placeholderText(), kHint);
    QCOMPARE(part<QDialogButtonBox>(oDialog, "poButtonBox")->standardButtons(),
             QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QVERIFY(
        qobject_cast<const OM_IPValidator *>(part<QLineEdit>(oDialog, "poLineEdit")->validator()));
    QCOMPARE(part<QLineEdit>(oDialog, "poLineEdit")->validator()->parent(), &oDialog);
}

void TestOMIPDialog::freshDialogSelectsHintAndDisablesOk() {
    OM_IPDialog oDialog(QStringLiteral("No IP address provided on command line."), nullptr);
    oDialog.show();
    QCOMPARE(oDialog.GetIPAddress(), kHint);
    QCOMPARE(part<QLineEdit>(oDialog, "poLineEdit")->selectedText(), kHint);
    QVERIFY(!okButton(oDialog)->isEnabled());
}

void TestOMIPDialog::typingFollowsTheValidator() {
    OM_IPDialog oDialog(QString(), nullptr);
    oDialog.show();
    QLineEdit *poEdit = part<QLineEdit>(oDialog, "poLineEdit");

    QTest::keyClicks(poEdit, "1");
    QCOMPARE(poEdit->text(), QStringLiteral("1"));
    QVERIFY(!okButton(oDialog)->isEnabled());

    QTest::keyClicks(poEdit, "0.0.0.1");
    QCOMPARE(poEdit->text(), QStringLiteral("10.0.0.1"));
    QVERIFY(okButton(oDialog)->isEnabled());

    QTest::keyClick(poEdit, Qt::Key_Backspace);
    QCOMPARE(poEdit->text(), QStringLiteral("10.0.0."));
    QVERIFY(!okButton(oDialog)->isEnabled());

    // A letter can never be part of an address: refused, the field keeps its text.
    QTest::keyClicks(poEdit, "x");
    QCOMPARE(poEdit->text(), QStringLiteral("10.0.0."));
}

void TestOMIPDialog::backspaceOnSelectedHintShowsPlaceholder() {
    OM_IPDialog oDialog(QString(), nullptr);
    oDialog.show();
    QTest::keyClick(part<QLineEdit>(oDialog, "poLineEdit"), Qt::Key_Backspace);
    QCOMPARE(oDialog.GetIPAddress(), QString());
    QCOMPARE(part<QLineEdit>(oDialog, "poLineEdit")->placeholderText(), kHint);
    QVERIFY(!okButton(oDialog)->isEnabled());
}

void TestOMIPDialog::backspaceOnUnselectedHintIsRefused() {
    OM_IPDialog oDialog(QString(), nullptr);
    oDialog.show();
    QTest::keyClick(part<QLineEdit>(oDialog, "poLineEdit"), Qt::Key_End);
    QVERIFY(!part<QLineEdit>(oDialog, "poLineEdit")->hasSelectedText());
    QTest::keyClick(part<QLineEdit>(oDialog, "poLineEdit"), Qt::Key_Backspace);
    QCOMPARE(oDialog.GetIPAddress(), kHint);
    QVERIFY(!okButton(oDialog)->isEnabled());
}

void TestOMIPDialog::refusedKeystrokeAfterCompleteAddressDisablesOk() {
    OM_IPDialog oDialog(QString(), nullptr);
    oDialog.show();
    QLineEdit *poEdit = part<QLineEdit>(oDialog, "poLineEdit");
    QTest::keyClicks(poEdit, "10.0.0.123");
    QVERIFY(okButton(oDialog)->isEnabled());

    QTest::keyClicks(poEdit, "4");
    QCOMPARE(poEdit->text(), QStringLiteral("10.0.0.123"));
    QVERIFY(!okButton(oDialog)->isEnabled());

    QTest::keyClicks(poEdit, ".");
    QCOMPARE(poEdit->text(), QStringLiteral("10.0.0.123"));
    QVERIFY(!okButton(oDialog)->isEnabled());

    // The next edit that the field takes shows the verdict again.
    QTest::keyClick(poEdit, Qt::Key_Backspace);
    QCOMPARE(poEdit->text(), QStringLiteral("10.0.0.12"));
    QVERIFY(okButton(oDialog)->isEnabled());
}

void TestOMIPDialog::callerSetAddressEnablesOkAtOnce() {
    OM_IPDialog oDialog(QString(), nullptr);
    oDialog.setIPAddress(QStringLiteral("127.0.0.50"));
    QVERIFY(okButton(oDialog)->isEnabled());

    // Text set by a caller stays even when it is no address; OK follows the verdict.
    oDialog.setIPAddress(QStringLiteral("not an address"));
    QCOMPARE(oDialog.GetIPAddress(), QStringLiteral("not an address"));
    QVERIFY(!okButton(oDialog)->isEnabled());
}

void TestOMIPDialog::messageLabelShownOnlyForAMessage() {
    OM_IPDialog oWithMessage(QStringLiteral("Provided IP address is invalid."), nullptr);
    oWithMessage.show();
    QVERIFY(part<QLabel>(oWithMessage, "poLabelAdditionalInfo")->isVisible());
    QCOMPARE(part<QLabel>(oWithMessage, "poLabelAdditionalInfo")->text(),
             QStringLiteral("Provided IP address is invalid."));
    QVERIFY(part<QLabel>(oWithMessage, "poLabelAdditionalInfo")->geometry().bottom() <
            part<QLabel>(oWithMessage, "poLabel")->geometry().top());

    OM_IPDialog oWithout(QString(""), nullptr);
    oWithout.show();
    QVERIFY(!part<QLabel>(oWithout, "poLabelAdditionalInfo")->isVisible());
    QVERIFY(part<QLabel>(oWithout, "poLabel")->isVisible());
}

void TestOMIPDialog::okReturnsTheShownAddress() {
    OM_IPDialog oDialog(QString(), nullptr);
    const int iResult = execAnswering(oDialog, [&oDialog] {
        QTest::keyClicks(part<QLineEdit>(oDialog, "poLineEdit"), "01.2.3.4");
        QTest::mouseClick(okButton(oDialog), Qt::LeftButton);
    });
    QCOMPARE(iResult, int(QDialog::Accepted));
    QCOMPARE(oDialog.GetIPAddress(), QStringLiteral("01.2.3.4"));
}

void TestOMIPDialog::cancelEscapeAndCloseReject_data() {
    QTest::addColumn<int>("way");
    QTest::newRow("Cancel button") << 0;
    QTest::newRow("Escape key") << 1;
    QTest::newRow("window closed") << 2;
}

void TestOMIPDialog::cancelEscapeAndCloseReject() {
    QFETCH(int, way);
    OM_IPDialog oDialog(QString(), nullptr);
    const int iResult = execAnswering(oDialog, [&oDialog, way] {
        QTest::keyClicks(part<QLineEdit>(oDialog, "poLineEdit"), "10.0.0.1");
        if (way == 0) {
            QTest::mouseClick(
                part<QDialogButtonBox>(oDialog, "poButtonBox")->button(QDialogButtonBox::Cancel),
                Qt::LeftButton);
        } else if (way == 1) {
            QTest::keyClick(&oDialog, Qt::Key_Escape);
        } else {
            oDialog.close();
        }
    });
    QCOMPARE(iResult, int(QDialog::Rejected));
}

QTEST_MAIN(TestOMIPDialog)
#include "tst_OM_IPDialog.moc"
