// The pictures and the icon are of the kind, size and depth the windows were
// laid out for.

#include <QFile>
#include <QImageReader>
#include <QTest>

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void files_data();
    void files();
};

void TestResources::files_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QList<QSize>>("sizes");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("depthOffset"); // where the file gives its bits per pixel
    QTest::addColumn<int>("depth");
    const QList<QSize> half{{334, 130}};
    QTest::newRow("morning") << ":/morning.bmp" << QByteArray("bmp") << half << 130574 << 28 << 24;
    QTest::newRow("afternoon") << ":/afternoon.bmp" << QByteArray("bmp") << half << 130574 << 28
                               << 24;
    QTest::newRow("placeholder") << ":/placeholder.bmp" << QByteArray("bmp")
                                 << QList<QSize>{{512, 384}} << 589878 << 28 << 24;
    QTest::newRow("icon") << ":/quorrel.ico" << QByteArray("ico")
                          << QList<QSize>{{32, 32}, {16, 16}} << 1078 << 12 << 4;
}

void TestResources::files()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, format);
    QFETCH(QList<QSize>, sizes);
    QFETCH(int, bytes);
    QFETCH(int, depthOffset);
    QFETCH(int, depth);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    QCOMPARE(data.size(), bytes);
    QCOMPARE(int(data[depthOffset]), depth);

    QImageReader reader(path);
    QCOMPARE(reader.format(), format);
    QList<QSize> found;
    for (int i = 0; i < reader.imageCount(); ++i) {
        reader.jumpToImage(i);
        const QImage image = reader.read();
        found << image.size();
        if (format == "ico") // the mask leaves the corners clear
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    }
    QCOMPARE(found, sizes);
}

QTEST_GUILESS_MAIN(TestResources)
#include "tst_resources.moc"
