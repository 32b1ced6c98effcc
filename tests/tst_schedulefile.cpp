#include "schedule/schedulefile.h"
#include "support/fakes.h"

#include <QStringEncoder>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace quorrel;
using namespace quorrel::test;

namespace {

QList<Slot> emptySchedule()
{
    return QList<Slot>(kSlotCount);
}

QByteArray emptyLines(int count)
{
    return QByteArray(",\r\n").repeated(count);
}

} // namespace

class TestScheduleFile : public QObject {
    Q_OBJECT

private slots:
    void writesElevenPlainLines();
    void quotesOnlyWhatCouldNotBeReadBack_data();
    void quotesOnlyWhatCouldNotBeReadBack();
    void roundTripsAwkwardTexts_data();
    void roundTripsAwkwardTexts();
    void readsMalformedFiles_data();
    void readsMalformedFiles();
    void readsShiftJisWithCrLf();
    void tellsMissingFromUnreadable();
    void savingKeepsPermissionsAndSymlink();
    void failedSaveLeavesPreviousFileWhole();
};

void TestScheduleFile::writesElevenPlainLines()
{
    QList<Slot> schedule = emptySchedule();
    schedule[0] = {QStringLiteral("3:19:00"), QStringLiteral("会議")};
    schedule[1] = {QStringLiteral("12:00:00"), QStringLiteral("昼食")};

    const QByteArray expected = QByteArray("3:19:00,") + QStringLiteral("会議").toUtf8() + "\r\n"
                                + "12:00:00," + QStringLiteral("昼食").toUtf8() + "\r\n"
                                + emptyLines(9);
    TemporaryCurrentDir dir;
    QCOMPARE(saveScheduleFile(QStringLiteral("savefile.txt"), schedule), QString());
    QCOMPARE(readFile(dir.filePath(QStringLiteral("savefile.txt"))), expected);
}

void TestScheduleFile::quotesOnlyWhatCouldNotBeReadBack_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written");
    QTest::newRow("bare") << QStringLiteral("Text2") << QStringLiteral("Text2");
    QTest::newRow("inner blank") << QStringLiteral("a b") << QStringLiteral("a b");
    QTest::newRow("comma") << QStringLiteral("a,b") << QStringLiteral("\"a,b\"");
    QTest::newRow("quote") << QStringLiteral("say \"hi\"") << QStringLiteral("\"say \"\"hi\"\"\"");
    QTest::newRow("leading blank") << QStringLiteral(" a") << QStringLiteral("\" a\"");
    QTest::newRow("trailing tab") << QStringLiteral("a\t") << QStringLiteral("\"a\t\"");
    QTest::newRow("line break") << QStringLiteral("a\nb") << QStringLiteral("\"a\nb\"");
    QTest::newRow("empty") << QString() << QString();
}

void TestScheduleFile::quotesOnlyWhatCouldNotBeReadBack()
{
    QFETCH(QString, text);
    QFETCH(QString, written);
    const QString firstLine = formatSchedule({{text, QStringLiteral("m")}}).section(u'\r', 0, 0);
    QCOMPARE(firstLine, written + QStringLiteral(",m"));
}

void TestScheduleFile::roundTripsAwkwardTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("comma") << QStringLiteral("会議, 三階");
    QTest::newRow("quotes") << QStringLiteral("\"引用\" and \"\"");
    QTest::newRow("lone quote") << QStringLiteral("\"");
    QTest::newRow("blanks around") << QStringLiteral("  予定\t");
    QTest::newRow("only blanks") << QStringLiteral("   ");
    QTest::newRow("japanese") << QStringLiteral("表示文字～①ｱｲｳ");
    QTest::newRow("line breaks") << QStringLiteral("a\r\nb\rc\nd");
    QTest::newRow("empty") << QString();
    QTest::newRow("starts like a byte-order mark") << QStringLiteral("\uFEFF1:00:00");
    QTest::newRow("long") << QStringLiteral("長い予定,").repeated(5000);
}

void TestScheduleFile::roundTripsAwkwardTexts()
{
    QFETCH(QString, text);
    QList<Slot> schedule = emptySchedule();
    for (int i = 0; i < kSlotCount; ++i)
        schedule[i] = {i % 2 ? QStringLiteral("3:19:00") : text, i % 3 ? text : QString()};

    TemporaryCurrentDir dir;
    QCOMPARE(saveScheduleFile(QStringLiteral("savefile.txt"), schedule), QString());
    const LoadResult loaded = loadScheduleFile(QStringLiteral("savefile.txt"));
    QCOMPARE(loaded.status, LoadResult::Status::Loaded);
    QCOMPARE(loaded.records, schedule);
}

void TestScheduleFile::readsMalformedFiles_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("items"); // time and message, record after record

    QTest::newRow("empty file") << QString() << QStringList();
    QTest::newRow("fewer than eleven") << QStringLiteral("1:00:00,a\r\n2:00:00,b\r\n")
                                       << QStringList{"1:00:00", "a", "2:00:00", "b"};
    QStringList elevenRecords;
    for (int i = 0; i < 14; ++i)
        elevenRecords << QString::number(i) << QStringLiteral("m");
    QTest::newRow("more than eleven")
        << elevenRecords.join(u',') + QStringLiteral("\r\n") << elevenRecords.first(22);
    QTest::newRow("time without message at the end")
        << QStringLiteral("1:00:00,a\r\n2:00:00") << QStringList{"1:00:00", "a", "2:00:00", ""};
    QTest::newRow("blank lines at the end")
        << QStringLiteral("1:00:00,a\r\n\r\n\r\n\n") << QStringList{"1:00:00", "a"};
    QTest::newRow("LF endings") << QStringLiteral("1:00:00,a\n2:00:00,b\n")
                                << QStringList{"1:00:00", "a", "2:00:00", "b"};
    QTest::newRow("CR endings") << QStringLiteral("1:00:00,a\r2:00:00,b\r")
                                << QStringList{"1:00:00", "a", "2:00:00", "b"};
    QTest::newRow("no final line end")
        << QStringLiteral("1:00:00,a") << QStringList{"1:00:00", "a"};
    QTest::newRow("bare comma in a message shifts later items")
        << QStringLiteral("1:00:00,a,b\r\n2:00:00,c\r\n")
        << QStringList{"1:00:00", "a", "b", "2:00:00", "c", ""};
    QTest::newRow("quoted items") << QStringLiteral("\"1:00:00\",\"a,\"\"b\"\"\"\r\n")
                                  << QStringList{"1:00:00", "a,\"b\""};
    QTest::newRow("unterminated quote runs to the end")
        << QStringLiteral("1:00:00,\"a\r\nb") << QStringList{"1:00:00", "a\r\nb"};
    QTest::newRow("text after a closing quote is kept")
        << QStringLiteral("\"1\"2,m") << QStringList{"12", "m"};
    QTest::newRow("blank items kept as typed")
        << QStringLiteral(" 3:19:00 , x \r\n") << QStringList{" 3:19:00 ", " x "};
}

void TestScheduleFile::readsMalformedFiles()
{
    QFETCH(QString, text);
    QFETCH(QStringList, items);
    QStringList read;
    for (const Slot &slot : parseSchedule(text))
        read << slot.time << slot.message;
    QCOMPARE(read, items);
}

void TestScheduleFile::readsShiftJisWithCrLf()
{
    // As a Japanese Windows system writes it; "～" and "①" are CP932's own.
    const QString text = QStringLiteral("9:00:00,朝会～①\r\n12:00:00,ﾗﾝﾁ\r\n");
    QStringEncoder shiftJis("Shift_JIS");
    QVERIFY(shiftJis.isValid());
    const QByteArray bytes = shiftJis.encode(text);
    QVERIFY(!shiftJis.hasError());
    QVERIFY(bytes != text.toUtf8());

    TemporaryCurrentDir dir;
    QVERIFY(writeFile(QStringLiteral("savefile.txt"), bytes));
    const LoadResult loaded = loadScheduleFile(QStringLiteral("savefile.txt"));
    QCOMPARE(loaded.status, LoadResult::Status::Loaded);
    const QList<Slot> expected{{QStringLiteral("9:00:00"), QStringLiteral("朝会～①")},
                               {QStringLiteral("12:00:00"), QStringLiteral("ﾗﾝﾁ")}};
    QCOMPARE(loaded.records, expected);
}

void TestScheduleFile::tellsMissingFromUnreadable()
{
    TemporaryCurrentDir dir;
    QCOMPARE(loadScheduleFile("savefile.txt").status, LoadResult::Status::Missing);
    QVERIFY(writeFile("savefile.txt", "\xEF\xBB\xBF"
                                      "1:00:00,a\r\n")); // byte-order mark skipped
    QCOMPARE(loadScheduleFile("savefile.txt").records, (QList<Slot>{{"1:00:00", "a"}}));
    // Bytes that are neither UTF-8 nor Shift-JIS are not guessed at.
    QVERIFY(writeFile("savefile.txt", "1:00:00,\x81\xFF\xFF\r\n"));
    LoadResult loaded = loadScheduleFile("savefile.txt");
    QCOMPARE(loaded.status, LoadResult::Status::Failed);
    QVERIFY(!loaded.error.isEmpty());
    QVERIFY(QFile::remove("savefile.txt") && QDir().mkdir("savefile.txt"));
    loaded = loadScheduleFile("savefile.txt");
    QCOMPARE(loaded.status, LoadResult::Status::Failed);
    QVERIFY(!loaded.error.isEmpty());
}

void TestScheduleFile::savingKeepsPermissionsAndSymlink()
{
    TemporaryCurrentDir dir;
    const QString target = dir.filePath(QStringLiteral("real.txt"));
    QVERIFY(writeFile(target, "old"));
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(target, permissions));
    QVERIFY(QFile::link(target, QStringLiteral("savefile.txt")));

    QCOMPARE(saveScheduleFile(QStringLiteral("savefile.txt"), emptySchedule()), QString());
    QVERIFY(QFileInfo(QStringLiteral("savefile.txt")).isSymLink());
    QCOMPARE(readFile(target), emptyLines(11));
    const auto ownerGroupOther = QFile::Permissions(0x7077);
    QCOMPARE(QFile::permissions(target) & ownerGroupOther, permissions);
}

void TestScheduleFile::failedSaveLeavesPreviousFileWhole()
{
    TemporaryCurrentDir dir;
    const QByteArray previous = "1:00:00,keep me\r\n" + emptyLines(10);
    QVERIFY(writeFile(QStringLiteral("savefile.txt"), previous));

    // A file size limit fails the write even for root, who ignores permissions.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit none = saved;
    none.rlim_cur = 0;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &none), 0);
    const QString why = saveScheduleFile(QStringLiteral("savefile.txt"), emptySchedule());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY2(!why.isEmpty(), "a failed save must say why");
    QCOMPARE(readFile(QStringLiteral("savefile.txt")), previous);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no leftovers
}

QTEST_GUILESS_MAIN(TestScheduleFile)
#include "tst_schedulefile.moc"
