// The pictures and the icon are what the program's windows were laid out for.

#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QTest>
#include <QtEndian>

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void bitmaps_data();
    void bitmaps();
    void icon();
};

void TestResources::bitmaps_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<qint64>("bytes");
    QTest::newRow("morning") << QStringLiteral(":/morning.bmp") << QSize(334, 130)
                             << qint64(130574);
    QTest::newRow("afternoon") << QStringLiteral(":/afternoon.bmp") << QSize(334, 130)
                               << qint64(130574);
    QTest::newRow("placeholder") << QStringLiteral(":/placeholder.bmp") << QSize(512, 384)
                                 << qint64(589878);
}

void TestResources::bitmaps()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(qint64, bytes);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    QCOMPARE(data.size(), bytes);
    QVERIFY(data.startsWith("BM"));
    const auto field16 = [&](int offset) {
        return qFromLittleEndian<quint16>(data.constData() + offset);
    };
    const auto field32 = [&](int offset) {
        return qFromLittleEndian<quint32>(data.constData() + offset);
    };
    QCOMPARE(field32(14), 40u); // BITMAPINFOHEADER
    QCOMPARE(field32(18), quint32(size.width()));
    QCOMPARE(field32(22), quint32(size.height()));
    QCOMPARE(field16(28), quint16(24)); // bits per pixel
    QCOMPARE(field32(30), 0u);          // uncompressed
    QCOMPARE(QImageReader(path).size(), size);
}

void TestResources::icon()
{
    QFile file(QStringLiteral(":/quorrel.ico"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    QCOMPARE(data.size(), 1078);
    const auto field16 = [&](int offset) {
        return qFromLittleEndian<quint16>(data.constData() + offset);
    };
    QCOMPARE(field16(2), quint16(1)); // an icon, not a cursor
    QCOMPARE(field16(4), quint16(2));
    const int sizes[] = {32, 16};
    for (int i = 0; i < 2; ++i) {
        const char *entry = data.constData() + 6 + 16 * i;
        QCOMPARE(int(quint8(entry[0])), sizes[i]);
        QCOMPARE(int(quint8(entry[1])), sizes[i]);
        QCOMPARE(int(quint8(entry[2])), 16);                         // colours
        QCOMPARE(qFromLittleEndian<quint16>(entry + 6), quint16(4)); // bits per pixel
    }

    QImageReader reader(QStringLiteral(":/quorrel.ico"));
    QCOMPARE(reader.imageCount(), 2);
    QList<QSize> found;
    for (int i = 0; i < reader.imageCount(); ++i) {
        reader.jumpToImage(i);
        const QImage image = reader.read();
        found << image.size();
        // The mask makes the corners transparent and the handshake opaque.
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QVERIFY(qAlpha(image.pixel(image.width() / 2, image.height() / 2)) > 0);
    }
    QCOMPARE(found, (QList<QSize>{{32, 32}, {16, 16}}));
}

QTEST_GUILESS_MAIN(TestResources)
#include "tst_resources.moc"
