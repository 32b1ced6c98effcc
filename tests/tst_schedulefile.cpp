// The schedule file at the level of its bytes: what is written, what reads
// back, and what is made of damaged and legacy files.

#include "schedule/schedulefile.h"
#include "support/fakes.h"

#include <QRegularExpression>
#include <QStringEncoder>
#include <QTest>

#include <sys/stat.h>

using namespace quorrel;
using namespace quorrel::test;

namespace {

const QByteArray kEmptyLine = ",\r\n";

QByteArray shiftJis(const QString &text)
{
    QStringEncoder encoder("Shift_JIS");
    return encoder.encode(text);
}

} // namespace

class TestScheduleFile : public QObject {
    Q_OBJECT

private slots:
    void writesAndReadsBack_data();
    void writesAndReadsBack();
    void readsDamagedAndLegacyBytes_data();
    void readsDamagedAndLegacyBytes();
};

void TestScheduleFile::writesAndReadsBack_data()
{
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("line"); // slot 0's line as written
    QTest::newRow("plain") << "3:19:00"
                           << "会議 三階" << QString("3:19:00,会議 三階\r\n").toUtf8();
    QTest::newRow("empty") << ""
                           << "" << kEmptyLine;
    QTest::newRow("comma") << "a,b"
                           << "m" << QByteArray("\"a,b\",m\r\n");
    QTest::newRow("quotes") << "x"
                            << "say \"hi\"" << QByteArray("x,\"say \"\"hi\"\"\"\r\n");
    QTest::newRow("lone quote") << "\""
                                << "" << QByteArray("\"\"\"\",\r\n");
    QTest::newRow("blanks around") << " a"
                                   << "b\t" << QByteArray("\" a\",\"b\t\"\r\n");
    QTest::newRow("only blanks") << "   "
                                 << "" << QByteArray("\"   \",\r\n");
    QTest::newRow("line breaks") << "a\r\nb"
                                 << "c\rd\ne" << QByteArray("\"a\r\nb\",\"c\rd\ne\"\r\n");
    // Bare, a leading U+FEFF would be taken for the byte-order mark and dropped.
    QTest::newRow("byte-order mark")
        << QStringLiteral("\uFEFF1:00:00") << "m" << QString("\"\uFEFF1:00:00\",m\r\n").toUtf8();
    QTest::newRow("cp932 signs") << "9:00"
                                 << "～①ｱ＼" << QString("9:00,～①ｱ＼\r\n").toUtf8();
    const QString longText = QStringLiteral("長い予定").repeated(10000);
    QTest::newRow("long") << longText << "" << (longText + ",\r\n").toUtf8();
    const QString longest(kMaxTextLength, u'長');
    QTest::newRow("longest") << longest << "" << (longest + ",\r\n").toUtf8();
}

void TestScheduleFile::writesAndReadsBack()
{
    QFETCH(QString, time);
    QFETCH(QString, message);
    QFETCH(QByteArray, line);
    QList<Slot> schedule(kSlotCount);
    schedule[0] = {time, message};
    TemporaryCurrentDir dir;
    QCOMPARE(saveScheduleFile("savefile.txt", schedule), QString());
    QCOMPARE(readFile("savefile.txt"), line + kEmptyLine.repeated(10));
    const LoadResult loaded = loadScheduleFile("savefile.txt");
    QCOMPARE(loaded.status, LoadResult::Status::Loaded);
    QCOMPARE(loaded.records, schedule);
}

void TestScheduleFile::readsDamagedAndLegacyBytes_data()
{
    // "<fifo>", "<device>", "<folder>", "<200 MB>": what savefile.txt is made.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("items"); // time, message, time ...; {"!", why}: unreadable
    QStringList fourteen;
    for (int i = 0; i < 14; ++i)
        fourteen << QString::number(i) << "m";

    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("more than eleven records")
        << (fourteen.join(u',') + "\r\n").toUtf8() << fourteen.first(22);
    QTest::newRow("time without message at the end")
        << QByteArray("1:00:00,a\r\n2:00:00") << QStringList{"1:00:00", "a", "2:00:00", ""};
    QTest::newRow("blank lines, LF and CR ends") << QByteArray("\r\n1:00:00,a\n\n2:00:00,b\r\r\n\n")
                                                 << QStringList{"1:00:00", "a", "2:00:00", "b"};
    QTest::newRow("bare comma shifts later items")
        << QByteArray("1:00:00,a,b\r\n2:00:00,c")
        << QStringList{"1:00:00", "a", "b", "2:00:00", "c", ""};
    QTest::newRow("quoted items") << QByteArray("\"1:00\",\"a,\"\"b\"\"\"\r\n\"1\"2,\"x\r\ny")
                                  << QStringList{"1:00", "a,\"b\"", "12", "x\r\ny"};
    QTest::newRow("blanks kept") << QByteArray(" 3:19:00 , x ") << QStringList{" 3:19:00 ", " x "};
    QTest::newRow("byte-order mark skipped") << QByteArray("\xEF\xBB\xBF"
                                                           "1:00:00,a")
                                             << QStringList{"1:00:00", "a"};
    // In Shift-JIS, 画像, 南部 and 鰻重 hold byte runs that are well-formed UTF-8.
    const QString day = QStringLiteral(
        "9:00:00,朝会～①議題の確認\r\n10:30:00,見積書を作成して部長に提出する。\r\n"
        "12:00:00,ﾗﾝﾁ ﾃｨｰﾀｲﾑ（鰻重と蕎麦）\r\n13:00:00,第Ⅰ期決算 ㈱南部商事へ請求書 ＼5000\r\n"
        "15:00:00,画像データのバックアップ\r\n17:30:00,"
        "国境の長いトンネルを抜けると雪国であった。\r\n");
    QTest::newRow("Shift-JIS from Windows")
        << shiftJis(day) << day.split(QRegularExpression("[,\r\n]+"), Qt::SkipEmptyParts);
    QTest::newRow("Shift-JIS, half of it like UTF-8") // 89 | E6 91 9C
        << shiftJis("15:00:00,画像") << QStringList{"15:00:00", "画像"};
    // Read as Shift-JIS, this would load without a fault, all garbled.
    QTest::newRow("UTF-8 with a stray byte")
        << QByteArray("9:00:00,定例会議\r\n10:00:00,R\xe9union\r\n12:00:00,出張\r\n13:00:00,電話")
        << QStringList{"!", "壊れています。最初の不正なバイトは先頭から 32 バイトの位置"};
    QTest::newRow("neither UTF-8 nor Shift-JIS")
        << QByteArray("1:00:00,\x81\xFF\xFF") << QStringList{"!", "Shift-JIS のテキストとしても"};
    QTest::newRow("FIFO") << QByteArray("<fifo>") << QStringList{"!", "名前付きパイプ（FIFO）で"};
    QTest::newRow("device through a symlink")
        << QByteArray("<device>") << QStringList{"!", "シンボリックリンクの先がキャラクタデバイス"};
    QTest::newRow("folder") << QByteArray("<folder>") << QStringList{"!", "フォルダで"};
    QTest::newRow("200 MB") << QByteArray("<200 MB>") << QStringList{"!", "大きすぎます"};
    QTest::newRow("text too long") << "1:00:00," + QByteArray(kMaxTextLength + 1, 'x')
                                   << QStringList{"!", "1 番目の予定のメッセージが長すぎます"};
}

void TestScheduleFile::readsDamagedAndLegacyBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, items);
    TemporaryCurrentDir dir;
    const bool special = bytes == "<fifo>" || bytes == "<folder>"; // never replaced either
    if (bytes == "<fifo>")
        QCOMPARE(mkfifo("savefile.txt", 0600), 0);
    else if (bytes == "<device>") // never saved to: it must stay a device
        QVERIFY(QFile::link("/dev/null", "savefile.txt"));
    else
        QVERIFY(bytes == "<folder>"
                    ? QDir().mkdir("savefile.txt")
                    : writeFile("savefile.txt", bytes)
                          && (bytes != "<200 MB>" || QFile::resize("savefile.txt", 200'000'000)));
    const LoadResult loaded = loadScheduleFile("savefile.txt");
    if (items.value(0) == u"!") {
        QCOMPARE(loaded.status, LoadResult::Status::Failed);
        QVERIFY2(loaded.error.contains(items[1]), qPrintable(loaded.error));
        QVERIFY(!special || saveScheduleFile("savefile.txt", {}).contains(items[1]));
        QVERIFY(!special || !QFileInfo("savefile.txt").isFile());
        return;
    }
    QCOMPARE(loaded.status, LoadResult::Status::Loaded);
    QStringList read;
    for (const Slot &slot : loaded.records)
        read << slot.time << slot.message;
    QCOMPARE(read, items);
}

QTEST_GUILESS_MAIN(TestScheduleFile)
#include "tst_schedulefile.moc"
