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
    void typingFollowsTheValidator_data();
    void typingFollowsTheValidator();
    void backspaceOnUnselectedHintIsRefused();
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

    QVBoxLayout *poLayout = part<QVBoxLayout>(oDialog, "verticalLayout");
    QCOMPARE(oDialog.layout(), poLayout);
    QCOMPARE(poLayout->objectName(), QStringLiteral("verticalLayout"));
    QCOMPARE(poLayout->spacing(), 6);
    QCOMPARE(poLayout->contentsMargins(), QMargins(11, 11, 11, 11));

    QLineEdit *poEdit = part<QLineEdit>(oDialog, "poLineEdit");
    const QList<QWidget *> oExpected = {part<QLabel>(oDialog, "poLabelAdditionalInfo"),
                                        part<QLabel>(oDialog, "poLabel"), poEdit,
                                        part<QDialogButtonBox>(oDialog, "poButtonBox")};
    const QStringList oNames = {"poLabelAdditionalInfo", "poLabel", "poLineEdit", "poButtonBox"};
    QCOMPARE(poLayout->count(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(poLayout->itemAt(i)->widget(), oExpected.at(i));
        QCOMPARE(oExpected.at(i)->objectName(), oNames.at(i));
        QCOMPARE(oExpected.at(i)->parent(), &oDialog);
    }

    QCOMPARE(part<QLabel>(oDialog, "poLabel")->text(),
             QStringLiteral("Please enter IP address of Orvane or Relay Host to monitor."));
    QCOMPARE(poEdit->placeholderText(), kHint);
    QCOMPARE(part<QDialogButtonBox>(oDialog, "poButtonBox")->standardButtons(),
             QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QVERIFY(qobject_cast<const OM_IPValidator *>(poEdit->validator()));
    QCOMPARE(poEdit->validator()->parent(), &oDialog);
}

// A fresh dialog shows the hint selected, so that the first key replaces it. What is typed then
// ("\b": Backspace) stays in the field as far as the validator takes it, and OK is enabled only
// for a complete address: a refused keystroke disables it until the next edit that is taken.
void TestOMIPDialog::typingFollowsTheValidator_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::newRow("nothing yet") << "" << kHint << false;
    QTest::newRow("Backspace on the hint") << "\b"
                                           << "" << false;
    QTest::newRow("a digit") << "1"
                             << "1" << false;
    QTest::newRow("a complete address") << "10.0.0.1"
                                        << "10.0.0.1" << true;
    QTest::newRow("then Backspace") << "10.0.0.1\b"
                                    << "10.0.0." << false;
    QTest::newRow("a letter refused") << "10.0.0.1\bx"
                                      << "10.0.0." << false;
    QTest::newRow("a three-digit last part") << "10.0.0.123"
                                             << "10.0.0.123" << true;
    QTest::newRow("a digit too many") << "10.0.0.1234"
                                      << "10.0.0.123" << false;
    QTest::newRow("then a dot") << "10.0.0.1234."
                                << "10.0.0.123" << false;
    QTest::newRow("then Backspace, taken") << "10.0.0.1234.\b"
                                           << "10.0.0.12" << true;
}

void TestOMIPDialog::typingFollowsTheValidator() {
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    OM_IPDialog oDialog(QStringLiteral("No IP address provided on command line."), nullptr);
    oDialog.show();
    QLineEdit *poEdit = part<QLineEdit>(oDialog, "poLineEdit");
    QCOMPARE(poEdit->selectedText(), kHint);
    QTest::keyClicks(poEdit, keys);
    QCOMPARE(poEdit->text(), text);
    QCOMPARE(oDialog.GetIPAddress(), text);
    QCOMPARE(poEdit->placeholderText(), kHint);
    QCOMPARE(okButton(oDialog)->isEnabled(), ok);
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
