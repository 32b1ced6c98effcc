// The schedule file at the level of its bytes: what is written, what reads
// back, and what is made of damaged and legacy files.

#include "schedule/schedulefile.h"
#include "support/fakes.h"

#include <QStringEncoder>
#include <QTest>

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
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("items"); // time, message, time ...; {"!"}: unreadable
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
    QTest::newRow("Shift-JIS from Windows") << shiftJis("9:00:00,朝会～①\r\n12:00:00,ﾗﾝﾁ\r\n")
                                            << QStringList{"9:00:00", "朝会～①", "12:00:00", "ﾗﾝﾁ"};
    QTest::newRow("neither UTF-8 nor Shift-JIS")
        << QByteArray("1:00:00,\x81\xFF\xFF") << QStringList{"!"};
}

void TestScheduleFile::readsDamagedAndLegacyBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, items);
    TemporaryCurrentDir dir;
    QVERIFY(writeFile("savefile.txt", bytes));
    const LoadResult loaded = loadScheduleFile("savefile.txt");
    if (items == QStringList{"!"}) {
        QCOMPARE(loaded.status, LoadResult::Status::Failed);
        QVERIFY(!loaded.error.isEmpty());
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
