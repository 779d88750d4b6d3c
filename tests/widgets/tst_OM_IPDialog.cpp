#include "widgets/OM_IPDialog.h"
#include "widgets/OM_IPValidator.h"

#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

const QString kHint = QStringLiteral("Enter IP address");

QPushButton *okButton(OM_IPDialog &oDialog) {
    return oDialog.ui.poButtonBox->button(QDialogButtonBox::Ok);
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

    QCOMPARE(oDialog.layout(), oDialog.ui.verticalLayout);
    QCOMPARE(oDialog.ui.verticalLayout->objectName(), QStringLiteral("verticalLayout"));
    QCOMPARE(oDialog.ui.verticalLayout->spacing(), 6);
    QCOMPARE(oDialog.ui.verticalLayout->contentsMargins(), QMargins(11, 11, 11, 11));

    const QList<QWidget *> oExpected = {oDialog.ui.poLabelAdditionalInfo, oDialog.ui.poLabel,
                                        oDialog.ui.poLineEdit, oDialog.ui.poButtonBox};
    const QStringList oNames = {"poLabelAdditionalInfo", "poLabel", "poLineEdit", "poButtonBox"};
    QCOMPARE(oDialog.ui.verticalLayout->count(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(oDialog.ui.verticalLayout->itemAt(i)->widget(), oExpected.at(i));
        QCOMPARE(oExpected.at(i)->objectName(), oNames.at(i));
        QCOMPARE(oExpected.at(i)->parent(), &oDialog);
    }

    QCOMPARE(oDialog.ui.poLabel->text(),
             QStringLiteral("Please enter IP address of Orvane or Relay Host to monitor."));
    QCOMPARE(oDialog.ui.poLineEdit->placeholderText(), kHint);
    QCOMPARE(oDialog.ui.poButtonBox->standardButtons(),
             QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QVERIFY(qobject_cast<const OM_IPValidator *>(oDialog.ui.poLineEdit->validator()));
    QCOMPARE(oDialog.ui.poLineEdit->validator()->parent(), &oDialog);
}

void TestOMIPDialog::freshDialogSelectsHintAndDisablesOk() {
    OM_IPDialog oDialog(QStringLiteral("No IP address provided on command line."), nullptr);
    oDialog.show();
    QCOMPARE(oDialog.GetIPAddress(), kHint);
    QCOMPARE(oDialog.ui.poLineEdit->selectedText(), kHint);
    QVERIFY(!okButton(oDialog)->isEnabled());
}

void TestOMIPDialog::typingFollowsTheValidator() {
    OM_IPDialog oDialog(QString(), nullptr);
    oDialog.show();
    QLineEdit *poEdit = oDialog.ui.poLineEdit;

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
    QTest::keyClick(oDialog.ui.poLineEdit, Qt::Key_Backspace);
    QCOMPARE(oDialog.GetIPAddress(), QString());
    QCOMPARE(oDialog.ui.poLineEdit->placeholderText(), kHint);
    QVERIFY(!okButton(oDialog)->isEnabled());
}

void TestOMIPDialog::backspaceOnUnselectedHintIsRefused() {
    OM_IPDialog oDialog(QString(), nullptr);
    oDialog.show();
    QTest::keyClick(oDialog.ui.poLineEdit, Qt::Key_End);
    QVERIFY(!oDialog.ui.poLineEdit->hasSelectedText());
    QTest::keyClick(oDialog.ui.poLineEdit, Qt::Key_Backspace);
    QCOMPARE(oDialog.GetIPAddress(), kHint);
    QVERIFY(!okButton(oDialog)->isEnabled());
}

void TestOMIPDialog::refusedKeystrokeAfterCompleteAddressDisablesOk() {
    OM_IPDialog oDialog(QString(), nullptr);
    oDialog.show();
    QLineEdit *poEdit = oDialog.ui.poLineEdit;
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
    oDialog.ui.poLineEdit->setText(QStringLiteral("127.0.0.50"));
    QVERIFY(okButton(oDialog)->isEnabled());

    // Text set by a caller stays even when it is no address; OK follows the verdict.
    oDialog.ui.poLineEdit->setText(QStringLiteral("not an address"));
    QCOMPARE(oDialog.GetIPAddress(), QStringLiteral("not an address"));
    QVERIFY(!okButton(oDialog)->isEnabled());
}

void TestOMIPDialog::messageLabelShownOnlyForAMessage() {
    OM_IPDialog oWithMessage(QStringLiteral("Provided IP address is invalid."), nullptr);
    oWithMessage.show();
    QVERIFY(oWithMessage.ui.poLabelAdditionalInfo->isVisible());
    QCOMPARE(oWithMessage.ui.poLabelAdditionalInfo->text(),
             QStringLiteral("Provided IP address is invalid."));
    QVERIFY(oWithMessage.ui.poLabelAdditionalInfo->geometry().bottom() <
            oWithMessage.ui.poLabel->geometry().top());

    OM_IPDialog oWithout(QString(""), nullptr);
    oWithout.show();
    QVERIFY(!oWithout.ui.poLabelAdditionalInfo->isVisible());
    QVERIFY(oWithout.ui.poLabel->isVisible());
}

void TestOMIPDialog::okReturnsTheShownAddress() {
    OM_IPDialog oDialog(QString(), nullptr);
    const int iResult = execAnswering(oDialog, [&oDialog] {
        QTest::keyClicks(oDialog.ui.poLineEdit, "01.2.3.4");
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
        QTest::keyClicks(oDialog.ui.poLineEdit, "10.0.0.1");
        if (way == 0) {
            QTest::mouseClick(oDialog.ui.poButtonBox->button(QDialogButtonBox::Cancel),
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
