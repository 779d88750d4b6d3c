// The tray icon of each state in every size a tray asks for, drawn from the embedded tray image,
// and the pixmap that Windows' tray takes from it at a display scale of 150 %.
#include "OM_StatePresentation.h"
#include "OM_System.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QtTest>

namespace {

const QString kTrayImage = QStringLiteral(":/OrvaneMonitor/trayicon.png");

// The icon as it was drawn in one size only: the 16 by 16 square filled with the colour and the
// tray image drawn over it at its top left corner.
QImage sixteenPixelPicture(const QColor &oColour) {
    QPixmap oCanvas(16, 16);
    oCanvas.fill(oColour);
    QPainter oPainter(&oCanvas);
    oPainter.drawPixmap(0, 0, QPixmap(kTrayImage));
    oPainter.end();
    return oCanvas.toImage().convertToFormat(QImage::Format_RGB32);
}

// The first pixel where two pictures of the same size differ, or an empty text.
QString firstDifference(const QImage &oActual, const QImage &oExpected) {
    for (int iY = 0; iY < oExpected.height(); ++iY) {
        for (int iX = 0; iX < oExpected.width(); ++iX) {
            if (oActual.pixel(iX, iY) != oExpected.pixel(iX, iY)) {
                return QStringLiteral("pixel %1,%2: #%3, expected #%4")
                    .arg(iX)
                    .arg(iY)
                    .arg(oActual.pixel(iX, iY), 8, 16, QLatin1Char('0'))
                    .arg(oExpected.pixel(iX, iY), 8, 16, QLatin1Char('0'));
            }
        }
    }
    return QString();
}

struct SizeRule {
    int iSize;
    int iScale;  // each pixel of the tray image becomes iScale by iScale pixels
    int iOffset; // the margin of colour left and above; right and below the same or one more
};

// Every size a tray may ask for, with the whole-number scale and the place of the image on it.
const SizeRule kSizes[] = {{16, 1, 0}, {20, 1, 2}, {22, 1, 3}, {24, 1, 4}, {28, 1, 6},
                           {32, 2, 0}, {33, 2, 0}, {36, 2, 2}, {40, 2, 4}, {44, 2, 6},
                           {48, 3, 0}, {56, 3, 4}, {64, 4, 0}};

} // namespace

class TestStateIcon : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everySizeShowsTheImageWholeOnTheColour_data();
    void everySizeShowsTheImageWholeOnTheColour();
    void windowsTrayTakesThePixmapOfItsSlot_data();
    void windowsTrayTakesThePixmapOfItsSlot();
};

void TestStateIcon::initTestCase() {
    // Set by main: without it the look-up below would find the slot's pixmap with any icon.
    QCOMPARE(qGuiApp->devicePixelRatio(), 1.5);
}

void TestStateIcon::everySizeShowsTheImageWholeOnTheColour_data() {
    QTest::addColumn<int>("state");
    QTest::newRow("available") << int(OM_Label::LABEL_AVAILABLE);
    QTest::newRow("used by this PC") << int(OM_Label::LABEL_USED_BY_THIS_PC);
    QTest::newRow("used by other PC") << int(OM_Label::LABEL_USED_BY_OTHER_PC);
    QTest::newRow("no connection") << int(OM_Label::LABEL_NO_CONNECTION);
}

void TestStateIcon::everySizeShowsTheImageWholeOnTheColour() {
    QFETCH(int, state);
    const auto eState = static_cast<OM_Label::STATE>(state);
    const QColor oColour(OM_Label::kStateColours[eState]);
    const QIcon oIcon = OM_StatePresentation::drawStateIcon(eState);
    QList<QSize> oSizes;
    for (const SizeRule &oRule : kSizes)
        oSizes << QSize(oRule.iSize, oRule.iSize);
    QCOMPARE(oIcon.availableSizes(), oSizes);

    const QImage oSixteen = sixteenPixelPicture(oColour);
    for (const SizeRule &oRule : kSizes) {
        const QPixmap oPixmap = oIcon.pixmap(QSize(oRule.iSize, oRule.iSize), 1.0);
        QCOMPARE(oPixmap.size(), QSize(oRule.iSize, oRule.iSize));
        const QImage oActual = oPixmap.toImage().convertToFormat(QImage::Format_RGB32);
        // The colour all around, and the 16 pixel picture enlarged block by block in its place.
        QImage oExpected(oRule.iSize, oRule.iSize, QImage::Format_RGB32);
        oExpected.fill(oColour);
        for (int iY = 0; iY < 16 * oRule.iScale; ++iY) {
            for (int iX = 0; iX < 16 * oRule.iScale; ++iX) {
                oExpected.setPixel(oRule.iOffset + iX, oRule.iOffset + iY,
                                   oSixteen.pixel(iX / oRule.iScale, iY / oRule.iScale));
            }
        }
        const QString sDifference = firstDifference(oActual, oExpected);
        QVERIFY2(sDifference.isEmpty(),
                 qPrintable(QStringLiteral("%1 px: %2").arg(oRule.iSize).arg(sDifference)));
    }
    QCOMPARE(oIcon.pixmap(QSize(16, 16), 1.0).toImage().convertToFormat(QImage::Format_RGB32),
             oSixteen);
}

void TestStateIcon::windowsTrayTakesThePixmapOfItsSlot_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("platformsOwn");
    QTest::newRow("100 %") << 16 << false;
    QTest::newRow("125 %") << 20 << false;
    QTest::newRow("150 %") << 24 << false;
    QTest::newRow("175 %") << 28 << false;
    QTest::newRow("200 %") << 32 << false;
    QTest::newRow("300 %") << 48 << false;
    // What this platform's tray gets: on Windows limited to its small-icon size.
    QTest::newRow("this platform") << OM_System::largestTrayIconSize() << true;
}

// Windows' tray turns the icon into the shell's at its small-icon size as Qt's tray does it:
// icon.pixmap(icon.actualSize(slot)). At a device pixel ratio of 1.5 that must still be the
// slot's own pixmap, not a larger one for the shell to shrink.
void TestStateIcon::windowsTrayTakesThePixmapOfItsSlot() {
    QFETCH(int, slot);
    QFETCH(bool, platformsOwn);
    OM_StatePresentation::StateIcons oTrayIcons;
    const QIcon oIcon =
        platformsOwn ? oTrayIcons.icon(OM_Label::LABEL_USED_BY_OTHER_PC)
                     : OM_StatePresentation::drawStateIcon(OM_Label::LABEL_USED_BY_OTHER_PC, slot);
    const QPixmap oPixmap = oIcon.pixmap(oIcon.actualSize(QSize(slot, slot)));
    QCOMPARE(oPixmap.size(), QSize(slot, slot));
    const QIcon oAllSizes = OM_StatePresentation::drawStateIcon(OM_Label::LABEL_USED_BY_OTHER_PC);
    QCOMPARE(oPixmap.toImage(), oAllSizes.pixmap(QSize(slot, slot), 1.0).toImage());
}

int main(int argc, char **argv) {
    // The display scale of 150 %, for Windows' look-up; the pictures are compared at their
    // own pixel sizes.
    qputenv("QT_SCALE_FACTOR", "1.5");
    QGuiApplication oApplication(argc, argv);
    TestStateIcon oTest;
    return QTest::qExec(&oTest, argc, argv);
}

#include "tst_StateIcon.moc"
