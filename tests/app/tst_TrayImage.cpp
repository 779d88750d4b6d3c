#include <QFile>
#include <QImage>
#include <QResource>
#include <QtEndian>
#include <QtTest>

namespace {

const QString kPath = QStringLiteral(":/OrvaneMonitor/trayicon.png");

const QRgb kTransparent = qRgba(0, 0, 0, 0);
const QRgb kDarkGrey = qRgb(0x1a, 0x1a, 0x1a);
const QRgb kBlack = qRgb(0x00, 0x00, 0x00);
const QRgb kLightGrey = qRgb(0x93, 0x93, 0x93);
const QRgb kGreen = qRgb(0x00, 0xff, 0x00);

// The picture as drawn by hand, row by row: a dark box in perspective with dots on its front.
QRgb expectedPixel(int iRow, int iColumn) {
    if (iRow == 9 && iColumn >= 2 && iColumn <= 10 && iColumn % 2 == 0) {
        return kLightGrey;
    }
    if (iRow == 12 && (iColumn == 8 || iColumn == 10 || iColumn == 12)) {
        return kLightGrey;
    }
    if (iRow == 12 && (iColumn == 2 || iColumn == 4)) {
        return kGreen;
    }
    if (iColumn == 0 || iRow < 3 || iRow == 15) {
        return kTransparent;
    }
    if (iRow <= 6) {
        const int iFirstColumn = 8 - iRow; // rows 3..6 start at columns 5..2
        return iColumn >= iFirstColumn ? kDarkGrey : kTransparent;
    }
    if (iColumn <= 14) {
        return kBlack;
    }
    return iRow <= 13 ? kDarkGrey : kTransparent;
}

} // namespace

class TestTrayImage : public QObject {
    Q_OBJECT

private slots:
    void storedUncompressedAsNonInterlacedRgbaPng();
    void everyPixelAsDrawn();
};

void TestTrayImage::storedUncompressedAsNonInterlacedRgbaPng() {
    const QResource oResource(kPath);
    QVERIFY(oResource.isValid());
    QCOMPARE(oResource.compressionAlgorithm(), QResource::NoCompression);

    QFile oFile(kPath);
    QVERIFY(oFile.open(QIODevice::ReadOnly));
    const QByteArray oData = oFile.readAll();
    QVERIFY(oData.startsWith("\x89PNG\r\n\x1a\n"));
    // The header chunk comes first: length, "IHDR", width, height, depth, colour type,
    // compression, filter, interlace.
    QCOMPARE(oData.mid(12, 4), QByteArray("IHDR"));
    const auto *pHeader = reinterpret_cast<const uchar *>(oData.constData()) + 16;
    QCOMPARE(qFromBigEndian<quint32>(pHeader), 16u);
    QCOMPARE(qFromBigEndian<quint32>(pHeader + 4), 16u);
    QCOMPARE(int(pHeader[8]), 8);
    QCOMPARE(int(pHeader[9]), 6);
    QCOMPARE(int(pHeader[12]), 0);
}

void TestTrayImage::everyPixelAsDrawn() {
    const QImage oImage(kPath);
    QVERIFY(!oImage.isNull());
    QCOMPARE(oImage.size(), QSize(16, 16));
    QVERIFY(oImage.hasAlphaChannel());
    const QImage oPixels = oImage.convertToFormat(QImage::Format_ARGB32);
    for (int iRow = 0; iRow < 16; ++iRow) {
        for (int iColumn = 0; iColumn < 16; ++iColumn) {
            const QRgb uActual = oPixels.pixel(iColumn, iRow);
            const QRgb uExpected = expectedPixel(iRow, iColumn);
            if (uActual != uExpected) {
                QFAIL(qPrintable(QStringLiteral("row %1 column %2: #%3, expected #%4")
                                     .arg(iRow)
                                     .arg(iColumn)
                                     .arg(uActual, 8, 16, QLatin1Char('0'))
                                     .arg(uExpected, 8, 16, QLatin1Char('0'))));
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestTrayImage)
#include "tst_TrayImage.moc"
