// The schedule file at the level of its bytes: what is written and reads back,
// and what is made of damaged and legacy files.

#include "schedule/schedulefile.h"
#include "support/fakes.h"

#include <sys/stat.h>

using namespace quorrel;
using namespace quorrel::test;

class TestScheduleFile : public QObject {
    Q_OBJECT

private slots:

    void readsAndWritesBytes_data()
    {
        // "<fifo>", "<device>", "<folder>", "<200 MB>": what savefile.txt is made.
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("items"); // time, message, time ...; {"!", why}: unreadable
        QTest::addColumn<bool>("written");      // as the items are written, before empty slots
        QStringList fourteen;
        for (int i = 0; i < 14; ++i)
            fourteen << QString::number(i) << "m";
        const auto row = [](const char *name, const QByteArray &bytes, const QStringList &items,
                            bool written = false) {
            QTest::newRow(name) << bytes << items << written;
        };
        row("empty file", "", {}, true);
        row("plain", "3:19:00,会議 三階\r\n", {"3:19:00", "会議 三階"}, true);
        row("empty slot", ",\r\n", {"", ""}, true);
        row("comma", "\"a,b\",m\r\n", {"a,b", "m"}, true);
        row("quotes", "x,\"say \"\"hi\"\"\"\r\n", {"x", "say \"hi\""}, true);
        row("blanks around", "\" a\",\"b\t\"\r\n", {" a", "b\t"}, true);
        row("line breaks", "\"a\r\nb\",\"c\rd\ne\"\r\n", {"a\r\nb", "c\rd\ne"}, true);
        // Bare, a leading U+FEFF would be taken for the byte-order mark and dropped.
        row("byte-order mark kept", "\"\uFEFF1:00:00\",m\r\n",
            {QStringLiteral("\uFEFF1:00:00"), "m"}, true);
        const QString longest(kMaxTextLength, u'長');
        row("longest", (longest + ",\r\n").toUtf8(), {longest, ""}, true);
        row("more than eleven records", (fourteen.join(u',') + "\r\n").toUtf8(),
            fourteen.first(22) << "…"); // and the rest left out
        QByteArray eleven;
        for (int i = 0; i < kSlotCount; ++i)
            eleven += QByteArray::number(i) + ",m\r\n";
        row("DOS end: blank lines and Ctrl-Z", eleven + " \t\r\n\x1A", fourteen.first(22));
        row("time without message at the end", "1:00:00,a\r\n2:00:00",
            {"1:00:00", "a", "2:00:00", ""});
        row("blank lines, LF and CR ends", "\r\n1:00:00,a\n\n2:00:00,b\r\r\n\n",
            {"1:00:00", "a", "2:00:00", "b"});
        row("bare comma shifts later items", "1:00:00,a,b\r\n2:00:00,c",
            {"1:00:00", "a", "b", "2:00:00", "c", ""});
        row("quoted items", "\"1:00\",\"a,\"\"b\"\"\"\r\n\"1\"2,\"x\r\ny\"",
            {"1:00", "a,\"b\"", "12", "x\r\ny"});
        row("quote left open", "1:00:00,a\r\n2:00:00,\"b\r\n3:00:00,c\r\n",
            {"!", "2 行目で始まる引用符（\"）が閉じていません"}); // rather than swallow the rest
        row("quote left open, CR line ends", "1:00:00,a\r2:00:00,\"b\r", {"!", "2 行目で始まる"});
        row("blanks kept", " 3:19:00 , x ", {" 3:19:00 ", " x "});
        row("byte-order mark skipped", "\uFEFF1:00:00,a", {"1:00:00", "a"});
        // In Shift-JIS, 画像, 南部 and 鰻重 hold byte runs that are well-formed UTF-8.
        const QString day =
            QStringLiteral("9:00:00,朝会～①議題\r\n12:00:00,ﾗﾝﾁ（鰻重と蕎麦）\r\n"
                           "13:00:00,第Ⅰ期 ㈱南部商事へ ＼5000\r\n15:00:00,画像データ\r\n");
        const auto shiftJis = [](const QString &text) -> QByteArray {
            return QStringEncoder("Shift_JIS").encode(text);
        };
        row("Shift-JIS from Windows", shiftJis(day),
            day.split(QRegularExpression("[,\r\n]+"), Qt::SkipEmptyParts));
        row("Shift-JIS, half of it like UTF-8", shiftJis("15:00:00,画像"),
            {"15:00:00", "画像"}); // 89|E6 91 9C
        row("Shift-JIS, an overlong UTF-8 form", shiftJis("1:00:00,燹あい"), {"1:00:00", "燹あい"});
        row("Shift-JIS, rare UTF-8 by chance", shiftJis("1:00:00,苺の日"), {"1:00:00", "苺の日"});
        row("EUC-JP", QStringEncoder("EUC-JP").encode(QStringLiteral("1:00:00,かいぎ")),
            {"!", "壊れています"}); // half-width kana and commas in Shift-JIS
        row("Shift-JIS half-width kana", shiftJis("12:00:00,ﾗﾝﾁ\r\n13:00:00,ﾐｰﾃｨﾝｸﾞ"),
            {"12:00:00", "ﾗﾝﾁ", "13:00:00", "ﾐｰﾃｨﾝｸﾞ"});
        // Read as Shift-JIS, this would load without a fault, all garbled.
        row("UTF-8 with a stray byte",
            "9:00:00,定例会議\r\n10:00:00,R\xe9union\r\n12:00:00,出張\r\n13:00:00,電話",
            {"!", "壊れています。最初の不正なバイトは先頭から 32 バイトの位置（0x20）"});
        // Overlong forms, a stray byte, a lost one: each would read as Shift-JIS, garbled.
        for (const char *damaged :
             {"1:00:00,\xC0\xAF", "1:00:00,\xE0\x80\xAF", "10:00:00,Caf\xB1 au lait",
              "9:00:00,会\xE8\xAD\r\n", "9:00:00,会議室で打\xE3\x81合わせ"})
            row(damaged, damaged, {"!", "UTF-8 のテキストですが、壊れています"});
        row("neither UTF-8 nor Shift-JIS", "1:00:00,\x81\xFF\xFF",
            {"!", "Shift-JIS のテキストとしても"});
        row("FIFO", "<fifo>", {"!", "名前付きパイプ（FIFO）で"});
        row("device through a symlink", "<device>",
            {"!", "シンボリックリンクの先がキャラクタデバイス"});
        row("folder", "<folder>", {"!", "フォルダで"});
        row("200 MB", "<200 MB>", {"!", "大きすぎます（200,000,000 バイト）"});
        row("text too long", "1:00:00," + QByteArray(kMaxTextLength + 1, 'x'),
            {"!", "1 番目の予定のメッセージが長すぎます"});
    }

    void readsAndWritesBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, items);
        TemporaryCurrentDir dir;
        const bool special = bytes == "<fifo>" || bytes == "<folder>"; // never replaced either
        QVERIFY(bytes == "<fifo>"     ? mkfifo("savefile.txt", 0600) == 0
                : bytes == "<device>" ? QFile::link("/dev/null", "savefile.txt") // stays one
                : bytes == "<folder>"
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
        QCOMPARE(loaded.dropped, items.endsWith("…"));
        items.removeAll("…");
        QStringList read;
        for (const Slot &slot : loaded.records)
            read << slot.time << slot.message;
        QCOMPARE(read, items);
        QList<Slot> all = loaded.records;
        all.resize(kSlotCount);
        QFETCH(bool, written);
        QVERIFY(!written || saveScheduleFile("again.txt", all).isEmpty());
        QVERIFY(!written
                || readFile("again.txt")
                       == bytes + QByteArray(",\r\n").repeated(kSlotCount - read.size() / 2));
    }
};

QTEST_GUILESS_MAIN(TestScheduleFile)
#include "tst_schedulefile.moc"
