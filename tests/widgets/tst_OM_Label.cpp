#include "OM_Label.h"

#include <QImage>
#include <QMetaMethod>
#include <QPalette>
#include <QtTest>

// Stands in for the monitor window, which drives the label through a text-signature connection.
class LabelStateSender : public QObject {
    Q_OBJECT
signals:
    void sigSetLabelState(OM_Label::STATE eState);
};

class TestOMLabel : public QObject {
    Q_OBJECT

private slots:
    void eachStatePaintsItsColourBehindBlackText_data();
    void eachStatePaintsItsColourBehindBlackText();
    void laterStatesChangeOnlyAValidColour();
    void metaObjectOffersOnlyTheSlot();
    void monitorSignalReachesTheSlotByTextSignature();

private:
    static QColor windowColour(const OM_Label &oLabel) {
        return oLabel.palette().color(QPalette::Window);
    }
};

void TestOMLabel::eachStatePaintsItsColourBehindBlackText_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("0 available") << 0 << QColor(0x00, 0xff, 0x00);
    QTest::newRow("1 used by this PC") << 1 << QColor(0x00, 0xff, 0xff);
    QTest::newRow("2 used by other PC") << 2 << QColor(0xff, 0xff, 0x00);
    QTest::newRow("3 no connection") << 3 << QColor(0xff, 0x00, 0x00);
}

void TestOMLabel::eachStatePaintsItsColourBehindBlackText() {
    QFETCH(int, state);
    QFETCH(QColor, colour);
    QWidget oWindow;
    OM_Label oLabel(&oWindow);
    oLabel.resize(120, 20);
    oWindow.show();

    oLabel.slSetState(static_cast<OM_Label::STATE>(state));

    QCOMPARE(windowColour(oLabel), colour);
    QCOMPARE(oLabel.palette().color(QPalette::WindowText), QColor(Qt::black));
    QCOMPARE(oLabel.palette().color(QPalette::Text), QColor(Qt::black));
    // The colour must really be painted, not only sit in the palette.
    const QImage oImage = oLabel.grab().toImage();
    QCOMPARE(oImage.pixelColor(1, 1), colour);
    QCOMPARE(oImage.pixelColor(oImage.width() - 2, oImage.height() - 2), colour);
}

// Before any valid state the label keeps the style's own background; a state out of range keeps
// the colour, the same state again the palette, and no state touches the text.
void TestOMLabel::laterStatesChangeOnlyAValidColour() {
    OM_Label oLabel(nullptr);
    oLabel.setText(QStringLiteral("127.0.0.50"));
    const QColor oDefault = windowColour(oLabel);
    oLabel.slSetState(static_cast<OM_Label::STATE>(17));
    QCOMPARE(windowColour(oLabel), oDefault);

    oLabel.slSetState(OM_Label::LABEL_USED_BY_THIS_PC);
    const QPalette oFirst = oLabel.palette();
    oLabel.slSetState(OM_Label::LABEL_USED_BY_THIS_PC);
    QCOMPARE(oLabel.palette(), oFirst);
    for (const int iState : {4, -1}) {
        oLabel.slSetState(static_cast<OM_Label::STATE>(iState));
        QCOMPARE(windowColour(oLabel), QColor(Qt::cyan));
    }
    for (int iState = 0; iState <= 4; ++iState) {
        oLabel.slSetState(static_cast<OM_Label::STATE>(iState));
        QCOMPARE(oLabel.text(), QStringLiteral("127.0.0.50"));
    }
}

void TestOMLabel::metaObjectOffersOnlyTheSlot() {
    const QMetaObject &oMeta = OM_Label::staticMetaObject;
    QCOMPARE(oMeta.className(), "OM_Label");
    QCOMPARE(oMeta.methodCount() - oMeta.methodOffset(), 1);
    const QMetaMethod oSlot = oMeta.method(oMeta.methodOffset());
    QCOMPARE(oSlot.methodSignature(), QByteArray("slSetState(OM_Label::STATE)"));
    QCOMPARE(oSlot.methodType(), QMetaMethod::Slot);
    QCOMPARE(oSlot.access(), QMetaMethod::Public);
    QCOMPARE(oSlot.parameterNames(), QList<QByteArray>{"eState"});
    QCOMPARE(oMeta.enumeratorCount() - oMeta.enumeratorOffset(), 0);
    QCOMPARE(oMeta.propertyCount() - oMeta.propertyOffset(), 0);
    QCOMPARE(oMeta.classInfoCount() - oMeta.classInfoOffset(), 0);

    QWidget oWindow;
    OM_Label oLabel(&oWindow);
    QVERIFY(oLabel.autoFillBackground());
    QVERIFY(!oLabel.isWindow());
    QVERIFY(oLabel.inherits("QLabel"));
}

void TestOMLabel::monitorSignalReachesTheSlotByTextSignature() {
    LabelStateSender oSender;
    OM_Label oLabel(nullptr);
    QVERIFY(QObject::connect(&oSender, SIGNAL(sigSetLabelState(OM_Label::STATE)), &oLabel,
                             SLOT(slSetState(OM_Label::STATE))));
    emit oSender.sigSetLabelState(OM_Label::LABEL_NO_CONNECTION);
    QCOMPARE(windowColour(oLabel), QColor(Qt::red));
}

QTEST_MAIN(TestOMLabel)
#include "tst_OM_Label.moc"
