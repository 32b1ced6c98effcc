// The main window and the About window as built, loaded, edited and closed;
// the clock, alarm and picture over whole days; every way out of the program.

#include "about/frmabout.h"
#include "app/application.h"
#include "schedule/schedulefile.h"
#include "support/fakes.h"
#include "ui/fontreader.h"

#include <csignal>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quorrel;
using namespace quorrel::test;

// Fails every rename, as a broken disk may at the last step of a save.
static bool failRename = false;
extern "C" int rename(const char *from, const char *to) noexcept
{
    static const auto real =
        reinterpret_cast<int (*)(const char *, const char *)>(dlsym(RTLD_NEXT, "rename"));
    return failRename ? (errno = EIO, -1) : real(from, to);
}

class TestWindow : public QObject, private FormFixture {
    Q_OBJECT

    QLineEdit *field(const char *name) const { return control<QLineEdit>(QLatin1String(name)); }
    void command(const char *name) { control<QAction>(QLatin1String(name))->trigger(); }

    // Moves the clock to `end`, calling the clock tick when it has set it (+0..5
    // ms) and the alarm tick every 1000 ms (±50 ms), `alarmPhase` ms after the
    // first clock tick. Ticks due while a slot runs come as soon as it returns.
    void run(const QDateTime &end, int alarmPhase, quint32 seed)
    {
        QRandomGenerator random(seed);
        const auto *clockTimer = control<QTimer>("Timer1");
        QDateTime nextClock = fakes->time.addMSecs(100), nextAlarm = nextClock.addMSecs(alarmPhase);
        while (fakes->time < end) {
            const bool clock = nextClock <= nextAlarm;
            fakes->time = clock ? nextClock : nextAlarm;
            if (clock) {
                form->Timer1_Timer();
                nextClock = fakes->time.addMSecs(clockTimer->interval() + random.bounded(6));
            } else {
                // While it runs, the second shown turns over within a few ms of the clock's.
                const QString shown = control<QLabel>("Label2")->text();
                QVERIFY2(!clockTimer->isActive() || shown == fakes->time.toString(u"H:mm:ss")
                             || shown == fakes->time.addMSecs(-10).toString(u"H:mm:ss"),
                         qPrintable(fakes->time.toString(u"H:mm:ss.zzz ") + shown));
                form->Timer2_Timer(); // the picture's timer, as often
                form->Timer3_Timer();
                if (const QString now = half(); !switches.value(switches.size() - 1).endsWith(now))
                    switches << fakes->time.toString(u"H:mm") + now;
                nextAlarm = nextAlarm.addMSecs(950 + random.bounded(101));
            }
            nextClock = std::max(nextClock, fakes->time);
            nextAlarm = std::max(nextAlarm, fakes->time);
        }
    }
    QString half() const // by the very pixmap it shares with its holder, not a copy
    {
        const auto key = [&](const char *name) {
            return control<QLabel>(name)->pixmap().cacheKey();
        };
        return key("Picture1") == key("Picture2(0)")   ? "am"
               : key("Picture2(1)") == key("Picture1") ? "pm"
                                                       : "?";
    }
    QStringList switches; // "H:mm" and "am" or "pm" at each change of picture

private slots:
    void cleanup() { failRename = false, destroyForm(); }

    void isBuiltAsLaidOut_data()
    {
        QTest::addColumn<qreal>("dpi");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        const auto row = [](const char *name, const char *property, const QVariant &value,
                            qreal dpi = 96) {
            QTest::addRow("%s %s", name, property) << dpi << name << QByteArray(property) << value;
        };
        row("Form1", "windowTitle", "Quorrelver.1.0");
        row("client", "size", QSize(347, 363)); // pixels, in the control's container
        row("Picture1", "geometry", QRect(8, 80, 337, 281));
        row("Text1(3)", "geometry", QRect(0, 108, 146, 38), 144); // halves round up, not down
        row("Text1(0)", "text", "3:18:45");
        row("menuOnline", "text", "オンラインヘルプ(&0)"); // the digit zero
        row("Command2", "text", "予定表を書き込む");
    }

    void isBuiltAsLaidOut()
    {
        QFETCH(qreal, dpi);
        QFETCH(QString, name);
        QFETCH(QByteArray, property);
        createForm(dpi);
        QObject *object = name == u"Form1" ? form.get() : control<QObject>(name);
        QTEST(object->property(property), "value");
    }

    void lookAndPictures()
    {
        createForm();
        QCOMPARE(form->windowIcon().availableSizes(), (QList<QSize>{{32, 32}, {16, 16}}));
        for (auto *label : {control<QLabel>("Label1"), control<QLabel>("Label2")}) {
            const QFont font = label->font();
            QVERIFY(font.pointSizeF() == 15.75 && font.bold());
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 192));
            // The face that stands in has the kanji, and is proportional as the family is.
            const QFontMetrics metrics(font);
            QVERIFY(QRawFont::fromFont(font).supportsCharacter(u'予')
                    && metrics.horizontalAdvance(u'i') < metrics.horizontalAdvance(u'W'));
        }
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QCOMPARE(form->minimumSize(), form->maximumSize()); // no sizing
    }

    void namesTheFaceOfTheDefaultFont()
    {
        // By its name, the face that Qt finds for the generic name by ranking them all.
        const QString face = quorrel::chosenFace(QStringLiteral("Sans Serif"));
        QVERIFY(!face.isEmpty());
        QCOMPARE(QFontInfo(QFont(face)).family(),
                 QFontInfo(QFont(QStringLiteral("Sans Serif"))).family());
        QCOMPARE(quorrel::chosenFace(face), QString()); // a face's own name is kept
    }

    void marksTimesThatNeverMatch()
    {
        createForm();
        auto *mark = field("Text1(4)")->findChild<QAction *>("timeWarning");
        QVERIFY(mark && !mark->isVisible() && mark->toolTip().contains(u"「9:05:00」")); // "Text1"
        const auto marked = [&](const char *text) {
            field("Text1(4)")->setText(QString::fromUtf8(text)); // as loaded or typed
            return mark->isVisible() && !mark->icon().isNull()
                   && field("Text1(4)")->actions().contains(mark);
        };
        for (const char *never :
             {"09:05:00", "9:05", "9:5:00", "24:00:00", " 9:05:00", "９：０５：００"})
            QVERIFY2(marked(never), never);
        for (const char *fine : {"9:05:00", "23:59:59", "Text1", ""})
            QVERIFY2(!marked(fine), fine);
    }

    void speaksJapaneseInCaptionWideBoxes()
    {
        setApplicationIdentity();
        QVERIFY(!QApplication::windowIcon().isNull()); // every box and window carries it
        installQtTranslations();                       // the tests run under ja_JP
        QVERIFY(
            QLineEdit().createStandardContextMenu()->actions()[0]->text().startsWith(u"元に戻す"));
        const QString typed = QStringLiteral("<b>会議</b>"); // shown as typed, never as markup
        // Long alerts: in short lines, in one line cut inside an emoji's pair, and a link.
        const QString link = QStringLiteral("会議 https://example.com/j/%1?pwd=9")
                                 .arg(QStringLiteral("a1b2c3d4e5").repeated(15));
        const QString lines = QStringLiteral("会\u2028").repeated(kMaxTextLength / 2);
        const QString emoji = u'x' + QStringLiteral("😀").repeated(kMaxTextLength / 4);
        const QStringList texts = {typed, typed, typed, lines, emoji, link};
        FakePlatform fakes;
        QtMessageBoxes boxes(fakes);
        for (int kind : {0, 1, 2, 3, 4, 5}) { // a note, an alert, a fatal error, long alerts
            QTimer::singleShot(0, [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                QTimer::singleShot(5000, box, &QWidget::close); // should a check fail
                QWindow *window = box->windowHandle();
                const auto clickOk = [&] {
                    QTest::mouseClick(window, Qt::LeftButton, {},
                                      box->button(QMessageBox::Ok)->mapTo(box, QPoint(4, 4)));
                };
                if (kind == 1) // the second click of a double-click on the box before
                    clickOk();
                // Typing on as it comes up: no key answers it before half a second's quiet;
                // a clock set back an hour counts as time gone by.
                for (int ms : {0, 400, 300, kind == 1 ? 0 : kind == 4 ? -3'600'000 : 600}) {
                    QVERIFY(box->isVisible());
                    fakes.time = fakes.time.addMSecs(ms);
                    QTest::keyClick(window, ms == 400 ? Qt::Key_Space : Qt::Key_Return);
                    if (kind == 2) // the fatal error's box has no guard
                        break;
                }
                if (kind == 1) // a click then counts at once, whatever the keyboard does
                    clickOk();
                QVERIFY(!box->isVisible());
                // Wide enough for its caption beside the title bar's buttons, within the screen.
                const int caption = box->fontMetrics().horizontalAdvance(box->windowTitle());
                QVERIFY(caption > 0 && box->width() >= caption + 120
                        && box->frameGeometry().height() < box->screen()->size().height());
                QCOMPARE(box->icon(), kind ? QMessageBox::Critical : QMessageBox::NoIcon);
                QCOMPARE(bool(box->windowFlags() & Qt::WindowStaysOnTopHint),
                         kind != 0 && kind != 2);
                QVERIFY(box->textFormat() == Qt::PlainText && box->text().isValidUtf16());
                QCOMPARE(kind < 3 ? box->text() : box->detailedText().replace(u'\n', u'\u2028'),
                         kind == 2 ? typed + QStringLiteral("\n\n") + typed : texts[kind]);
                // A word wider than a box shows what fits of its start.
                const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
                const QString word = label->text().section(u'/', -1).section(u'…', 0, 0);
                QVERIFY(kind != 5
                        || (word.startsWith(u"a1b2")
                            && label->fontMetrics().horizontalAdvance(word) <= label->width()));
            });
            if (kind != 2)
                boxes.show(nullptr, texts[kind], kind ? BoxIcon::Critical : BoxIcon::None);
            else
                BoxFatalErrors().report(typed, typed);
        }
    }

    void loadsEditsAndSavesOnceOnItsTimers()
    {
        createForm();
        fakes->time = QDateTime(QDate(2026, 12, 6), QTime(0, 0, 30));
        QVERIFY(writeFile("savefile.txt", "7:30:00,起床\r\n8:00:00,出発\r\n") && form->Form_Load());
        // The very picture by its sky, at the top: pale blue in the morning, violet at dusk.
        const auto sky = [&] {
            return QColor(control<QLabel>("Picture1")->pixmap().toImage().pixel(0, 0)).hue();
        };
        QVERIFY(sky() > 180 && sky() < 230); // from the load on, before any tick
        form->show();
        QSignalSpy clockTicks(form->findChild<QTimer *>("Timer1"), &QTimer::timeout);
        QTRY_COMPARE(control<QLabel>("Label2")->text(), QStringLiteral("0:00:30"));
        QTRY_VERIFY_WITH_TIMEOUT(clockTicks.size() >= 5, 1000); // ten a second
        QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
        for (auto [name, text] :
             {std::pair{"Text2(0)", "wake, up"}, {"Text1(4)", "0:00:31"}, {"Text2(4)", "hidden"}}) {
            field(name)->selectAll();
            QTest::keyClicks(field(name), text);
        }
        command("menuSchedule");
        QVERIFY(control("Picture3")->isHidden()); // hidden slots still alert
        QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton); // the hour
        fakes->time = fakes->time.addSecs(1);
        QTRY_COMPARE(fakes->texts, (QStringList{"0", "hidden"}));
        QCOMPARE(fakes->icons, (QList<BoxIcon>{BoxIcon::None, BoxIcon::Critical}));
        QTRY_VERIFY(readFile("savefile.txt").contains("0:00:31,hidden\r\n")); // without a close
        QTest::keyClicks(field("Text1(6)"), "6");                             // a time alone
        QTRY_VERIFY(readFile("savefile.txt").contains("Text16,Text2\r\n"));
        fakes->time = fakes->time.addSecs(15 * 3600);
        const auto afternoon = control<QLabel>("Picture2(1)")->pixmap().cacheKey();
        QTRY_COMPARE(control<QLabel>("Picture1")->pixmap().cacheKey(), afternoon);
        QVERIFY(sky() > 240);
        QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
        QCOMPARE(fakes->texts.last(), QStringLiteral("15")); // the hour on a 24-hour clock

        QVERIFY(QFile::remove("savefile.txt")); // so that the close must write it
        QCloseEvent request;                    // as the window system sends it, twice at times
        QCoreApplication::sendEvent(form.get(), &request);
        QCoreApplication::sendEvent(form.get(), &request);
        QVERIFY(readFile("savefile.txt")
                    .startsWith("7:30:00,\"wake, up\"\r\n8:00:00,出発\r\n"
                                "3:19:00,Text2\r\nText1,Text2\r\n")); // the rest as they were
    }

    // A script of what happens, checked as it goes. Steps: "type TEXT" at the
    // end of Text2(0); "write BYTES", another program's version put in place
    // in one step, or "half"/"rest BYTES" by one that keeps the file open
    // between them; "mkdir", "link" (to "other") or "rm" a NAME; "fail"
    // renames or stop failing; "watch", "save", "close" as the watcher, the
    // save timer and the window system would. Checks: "NAME=BYTES", "NAME^BYTES"
    // (starts with), "boxes N WORD" (so many told, the last with WORD),
    // "stderr WORD" (from here on), "field TEXT" (Text2(0)), "status N".
    void fileEvents_data()
    {
        QTest::addColumn<QByteArray>("start"); // savefile.txt when the window loads, if any
        QTest::addColumn<QByteArrayList>("script");
        const QByteArray start = "7:30:00,起床\r\n", mine = "7:30:00,起床!\r\n";
        const QByteArray theirs = "8:00:00,外\r\n", rest = "3:18:55,Text2\r\n3:19:00,Text2\r\n";
        QByteArray fourteen;
        for (int i = 0; i < 14; ++i)
            fourteen += QByteArray::number(i) + ",m\r\n";
        const auto row = [](const char *name, const QByteArray &start,
                            const QByteArrayList &script) {
            QTest::newRow(name) << start << script;
        };
        row("edit wins, other kept", start,
            {"type !", "write " + theirs, "watch", "field 起床!", "save",
             "savefile.txt^" + mine + rest, "savefile.txt~=" + theirs, "boxes 1 残して", "save",
             "close", "boxes 1 残して"});
        row("file made after the start", {}, {"write " + theirs, "field 外"}); // by the watcher
        row("unreadable, also too large: kept aside at once", start,
            {"write 1:00:00,\"open", "watch", "savefile.txt^" + start,
             "savefile.txt~=1:00:00,\"open", "boxes 1 1 行目で始まる引用符", "mkdir x", "watch",
             "boxes 1 残して", "write " + QByteArray(12'000'000, 'x'), "watch",
             "savefile.txt^" + start, "savefile.txt~1^xxxx", "boxes 2 12,000,000 バイト"});
        row("more than eleven records kept whole, and kept", fourteen,
            {"type !", "save", "savefile.txt^0,m!\r\n1,m", "savefile.txt~=" + fourteen,
             "boxes 1 11 件より多く", "type ?", "write " + theirs, "save",
             "savefile.txt~=" + fourteen, "savefile.txt~1=" + theirs, "boxes 2 残して"});
        row("another version taken in; more than eleven records kept whole once", start,
            {"write " + fourteen, "watch", "field m", "type !", "save", "savefile.txt~=" + fourteen,
             "boxes 1 11 件より多く", "type ?", "save", "no savefile.txt~1", "boxes 1"});
        row("close never waits; backup names of a folder and a symlink passed over", start,
            {"mkdir savefile.txt~", "link savefile.txt~1", "type !", "write " + theirs,
             "stderr savefile.txt~2", "close", "savefile.txt^" + mine, "savefile.txt~2=" + theirs,
             "no other", "boxes 0", "status 0"});
        row("close takes in a version just written, as a start reads it, keeping the slot it "
            "clears",
            start + theirs,
            {"write " + theirs, "stderr それまでの予定表を「.*savefile.txt~」", "close",
             "savefile.txt^" + theirs + "3:18:55,Text2\r\n",
             "savefile.txt~^" + start + theirs + "3:19:00,Text2\r\n", "boxes 0"});
        row("emptied by another program: the slots kept before it is taken in", start,
            {"write ", "watch", "field 表示文字", "savefile.txt~^" + start + rest,
             "boxes 1 それまでの予定表を「"});
        row("slow writer: judged once done, however long it takes", start,
            QByteArrayList{"half 8:00:00,\xE5\xA4"} + QByteArrayList(30, "watch")
                + QByteArrayList{"boxes 0", "field 起床", "rest \x96\r\n", "watch", "field 外",
                                 "boxes 0"});
        row("slow writer racing the close", start,
            {"half 8:00:00,", "close", "rest 外\r\n", "savefile.txt^" + start,
             "savefile.txt~=" + theirs});
        row("a folder for the file at the session's end: the slots rescued", start,
            {"taken data", "rm savefile.txt", "mkdir savefile.txt", "type !",
             "stderr 今の予定表は「.*-2.txt」", "end", "boxes 0", "status 1", "data^" + mine,
             "data^old"});
        QByteArrayList taken{"mkdir savefile.txt~"};
        for (int i = 1; i < 9; ++i)
            taken << "mkdir savefile.txt~" + QByteArray::number(i);
        row("the last backup name, then none: kept among the user's data, under names of its own",
            fourteen,
            taken
                + QByteArrayList{"type !", "save", "savefile.txt~9=" + fourteen, "taken data",
                                 "type ?", "write " + theirs, "save", "data^" + theirs,
                                 "boxes 2 -2~.txt」", "data^old"});
        row("failed save told once, retried until it works", start,
            {"rm savefile.txt", "mkdir savefile.txt", "type !", "save", "save",
             "boxes 1 書き込めません", "stderr また書き込めました", "rm savefile.txt",
             "savefile.txt^" + mine, "rm savefile.txt", "mkdir savefile.txt", "type ?", "save",
             "boxes 2 書き込めません"});
        const QByteArray full(kMaxTextLength - 6, 'x');
        row("too long: refused whole, pasted or typed", "1:00:00," + full,
            {"paste 0123456789", "type !!!!!!!", "field " + full + "!!!!!!",
             "boxes 1 65,536 文字"});
        row("failed last step", start,
            {"type !", "fail", "save", "boxes 1 書き込めません", "savefile.txt=" + start, "close",
             "savefile.txt=" + start, "status 1"});
    }

    void fileEvents()
    {
        QFETCH(QByteArray, start);
        QFETCH(QByteArrayList, script);
        createForm();
        QVERIFY((start.isEmpty() || writeFile("savefile.txt", start)) && form->Form_Load());
        // A box's own event loop lets the watcher in.
        fakes->whileOpen = [&] { form->store().checkFile(); };
        QFile writer("savefile.txt");
        const QDir userData(dir->filePath(QCoreApplication::applicationName()));
        for (const QByteArray &step : script) {
            const QByteArray verb = step.split(' ').value(0), arg = step.mid(verb.size() + 1);
            const QString text = QString::fromUtf8(arg);
            if (verb == "type")
                QTest::keyClicks(field("Text2(0)"), text);
            else if (verb == "write") // in one step, as editors and sync tools do
                QVERIFY(writeFile("new", arg) && std::rename("new", "savefile.txt") == 0);
            else if (verb == "paste")
                QGuiApplication::clipboard()->setText(text), field("Text2(0)")->paste();
            else if (verb == "half" || verb == "rest")
                QVERIFY((verb == "rest" || writer.open(QIODevice::WriteOnly))
                        && writer.write(arg) == arg.size() && writer.flush()
                        && (verb == "half" || (writer.close(), true)));
            else if (verb == "mkdir" || verb == "link" || verb == "rm")
                QVERIFY(verb == "mkdir"  ? QDir().mkdir(text)
                        : verb == "link" ? QFile::link("other", text)
                                         : QFile::remove(text) || QDir().rmdir(text));
            else if (step == "taken data") { // this second's names and the next's, by another copy
                const QDateTime now = QDateTime::currentDateTime();
                for (const QDateTime &at : {now, now.addSecs(1)})
                    for (const char *ending : {".txt", "~.txt"}) {
                        const QString name = at.toString(u"'savefile-'yyyyMMdd-HHmmss") + ending;
                        QVERIFY(userData.mkpath(".") && writeFile(userData.filePath(name), "old"));
                    }
            } else if (verb == "fail")
                failRename = !failRename;
            else if (verb == "watch")
                form->store().checkFile();
            else if (verb == "save") { // its timer has stopped by the time it calls
                form->store().saveTimer().stop();
                form->store().saveEdits();
            } else if (verb == "close" || verb == "end")
                verb == "end" ? form->closeUnattended() : void(form->close());
            else if (const int n = arg.left(1).toInt(); verb == "boxes") {
                const auto told = [&] { return fakes->texts + fakes->reports; };
                QTRY_VERIFY2(told().size() == n && told().value(n - 1).contains(text.mid(2)),
                             qPrintable(told().join('|')));
            } else if (verb == "stderr")
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^quorrel: .*" + text));
            else if (verb == "field")
                QTRY_COMPARE(field("Text2(0)")->text(), text);
            else if (verb == "status")
                QCOMPARE(form->exitStatus(), arg.toInt());
            else if (verb == "no")
                QVERIFY2(!QFileInfo::exists(text), step);
            else if (const qsizetype at = step.indexOf('='); at > 0)
                QTRY_COMPARE(readFile(step.left(at)), step.mid(at + 1));
            else if (const qsizetype at = step.indexOf('^'); at > 0) { // the retry may take 3 s
                const auto holds = [&] { // "data": any file among the user's data
                    const bool data = step.startsWith("data^");
                    const QStringList names =
                        data ? userData.entryList(QDir::Files) : QStringList{step.left(at)};
                    return std::any_of(names.cbegin(), names.cend(), [&](const QString &name) {
                        return readFile(data ? userData.filePath(name) : name)
                            .startsWith(step.mid(at + 1));
                    });
                };
                QTRY_VERIFY2(holds(), step.left(80));
            }
        }
    }

    void aboutWindowLifecycle()
    {
        createForm();
        QVERIFY(form->Form_Load());
        form->show();
        command("menuOnline"); // lends the About window's handle without showing it
        QCOMPARE(fakes->opened, QList<QUrl>{Form1::homePage()});
        QPointer<frmAbout> about = form->about();
        QVERIFY(about && !about->isVisible());
        command("menuVersion");
        command("menuVersion");
        QCOMPARE(form->about(), about.data());
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QVERIFY(!about->parentWidget() && !QApplication::activeModalWidget()); // no owner, modeless
        about->showMinimized(); // lost: it has no task bar entry
        command("menuVersion");
        QVERIFY(!about->isMinimized());
        QVERIFY(fakes->texts.isEmpty()); // a failure to open the page is silent
        QCOMPARE(about->windowTitle(), QStringLiteral("Quorrelのﾊﾞｰｼﾞｮﾝ情報"));
        QVERIFY(about->geometry() == QRect(156, 129, 350, 141)
                && about->minimumSize() == about->maximumSize());
        QCOMPARE(about->findChild<QLabel *>("picIcon")->geometry(), QRect(16, 16, 32, 32));
        for (const char *name : {"lblTitle", "Label1", "Label2"}) {
            auto *label = about->findChild<QLabel *>(QLatin1String(name));
            QVERIFY(label->wordWrap() && about->rect().contains(label->geometry()));
            for (const QString &line : label->text().split(u'\n')) // breaks after a topic only
                QVERIFY(label->fontMetrics().horizontalAdvance(line) <= label->width());
            QVERIFY(label->heightForWidth(label->width()) <= label->height()); // wrapped, it fits
        }
        about->close();
        QTRY_VERIFY(!about);    // unloaded; the main window goes on
        command("menuVersion"); // loaded again
        QVERIFY(form->isVisible() && form->about() && form->about()->isVisible());
    }

    void wholeDayAlertsEachSlotOnce_data()
    {
        QTest::addColumn<int>("alarmPhase");
        QTest::addColumn<QByteArray>("zone");
        // "TIME+S", "TIME-S": at TIME the clock jumps by S seconds, with no tick
        // between; "TIME=TEXT": at TIME slot 7's time text becomes TEXT; TIME
        // alone, first: the run starts then the day before, not at 23:59:58. TIME
        // counts from the midnight that starts the day (back from it if negative);
        // 24:00:00 ends the day.
        QTest::addColumn<QStringList>("moves");
        QTest::addColumn<QString>("box"); // "hold TEXT" open 5 s, or "close" the window meanwhile
        QTest::addColumn<QStringList>("texts");
        const QStringList once{"m0", "m1", "m2", "m5", "m10", "m7", "m3", "m9", "m0", "m1"};
        const auto row = [&](const char *name, const QStringList &moves, const QStringList &texts,
                             const char *box = "", const char *zone = "Asia/Tokyo",
                             int phase = 437) {
            QTest::newRow(name) << phase << QByteArray(zone) << moves << box << texts;
        };
        row("alarm 1 ms after the clock", {}, once, "", "Asia/Tokyo", 1);
        row("started in the second of 23:59:59", {"23:59:59.000"}, once);
        row("stalled over 3:19:01 and 3:19:02", {"3:19:00.500+3.95"}, once);
        row("set back 14 s after them", {"3:19:05.000-13.95"}, once);
        QStringList late = once, edited = once;
        late[5] = "m7\n（9:05:07 の予定でした）";
        edited.insert(6, "m7");
        row("stalled to a minute after 9:05:07", {"9:05:06.000+61"}, late);
        row("put forward over midnight", {"23:59:50.000+10"}, once);
        row("asleep over the first midnight", {"-0:00:01.500+5"}, once); // and the next kept
        row("9:05:07 edited after its alert", {"9:05:10.000=9:05:30", "9:06:00.000-60"}, edited);
        row("hour repeated as summer time ends", {}, once, "", "America/New_York");
        QStringList held = once;
        held.insert(2, "note"); // told while it was open, once it is answered
        row("first box held open over the next", {}, held, "hold m0");
        QStringList moved = once;
        moved.move(5, 7); // m7 at 23:59:56
        row("box held open over midnight", {"9:00:00.000=23:59:56"}, moved << "note", "hold m7");
        row("set back 20 s across midnight", {"24:00:01.000-20"}, once);
        row("a day back, and the day again", {"12:00:30.000-86400"}, once);
        // Up to 10:00, then the new day's slots until 10:00, late; the day before's later never.
        QStringList jumped = once.first(6);
        for (const char *slot :
             {"m1\n（0:00:00", "m2\n（1:30:00", "m5\n（3:19:01", "m10\n（3:19:02", "m7\n（9:05:07"})
            jumped << slot + QStringLiteral(" の予定でした）");
        row("a day's jump", {"10:00:00.000+86400"}, jumped);
        QStringList slept = once;
        slept.insert(8, "m7\n（昨日 23:58:30 の予定でした）");
        slept.removeAt(5);
        row("a short sleep over midnight", {"9:00:00.000=23:58:30", "23:58:00.000+122"}, slept);
        row("window closed while a box is open", {}, {"m0"}, "close m0");
    }

    void wholeDayAlertsEachSlotOnce()
    {
        QFETCH(int, alarmPhase);
        createForm();
        switches.clear();
        QFETCH(QByteArray, zone);
        // The day between the two midnights; New York's summer time ends on it.
        const QDate day = zone == "Asia/Tokyo" ? QDate(2026, 12, 6) : QDate(2026, 11, 1);
        QFETCH(QStringList, moves);
        QFETCH(QStringList, texts);
        QFETCH(QString, box);
        form->setSchedule(parseSchedule(QStringLiteral("23:59:59,m0\n0:00:00,m1\n1:30:00,m2\n"
                                                       "12:00:00,m3\n03:19:01,leading zero\n"
                                                       "3:19:01,m5\n 9:05:07,blank\n9:05:07,m7\n"
                                                       "3:19,no seconds\n12:00:00,m9\n3:19:02,m10"))
                              .records);
        // The clock and the alarm timer go on ticking while that box is open.
        fakes->whileOpen = [&] {
            if (box.isEmpty() || !box.endsWith(u' ' + fakes->texts.last()))
                return;
            fakes->whileOpen = nullptr;
            if (QCloseEvent request; box.startsWith(u"close"))
                QCoreApplication::sendEvent(form.get(), &request);
            const qsizetype shown = fakes->texts.size();
            emit form->store().tell(QStringLiteral("note"));
            for (int i = 0; i < 50; ++i) {
                fakes->time = fakes->time.addMSecs(100);
                form->Timer1_Timer();
                form->Timer3_Timer(); // must not stack a second box
            }
            QCOMPARE(fakes->texts.size(), shown);
        };
        form->showMinimized(); // and the panel hidden: neither stops an alert
        const auto local = [&](const QString &time, int days = 0) { // so the first 1:30 is first
            const int sign = time.startsWith(u'-') ? -1 : 1;
            const QStringList hms = time.mid(sign < 0).split(u':');
            return QDateTime(day.addDays(days), QTime(0, 0), QTimeZone(zone))
                .addSecs(sign * (hms[0].toInt() * 3600 + hms[1].toInt() * 60))
                .addMSecs(sign * qRound64(hms[2].toDouble() * 1000));
        };
        fakes->time = local("23:59:58.000", -1);
        for (const QString &move : moves) {
            const qsizetype at = move.indexOf(QRegularExpression(QStringLiteral("[-+=]")), 1);
            if (at < 0 && (fakes->time = local(move, -1)).isValid())
                continue;
            run(local(move.left(at)), alarmPhase, alarmPhase);
            if (move[at] == u'=')
                control<QLineEdit>("Text1(7)")->setText(move.mid(at + 1));
            else
                fakes->time = fakes->time.addMSecs(qRound64(move.mid(at).toDouble() * 1000));
        }
        const QDateTime end = std::max(fakes->time.addMSecs(2500), local("0:00:02.500", 1));
        run(end, alarmPhase, alarmPhase);

        QCOMPARE(fakes->texts, texts);
        QCOMPARE(fakes->icons.count(BoxIcon::None), texts.count("note"));
        QCOMPARE(fakes->played, fakes->icons.count(BoxIcon::Critical)); // heard once per alert
        QCOMPARE(form->isMinimized(), false);
        QCOMPARE(control<QLabel>("Label1")->text(), end.toString(u"yyyy/MM/dd"));
        QCOMPARE(control<QLabel>("Label2")->text(), end.toString(u"H:mm:ss"));
        if (moves.isEmpty() && !box.startsWith(u"close"))
            QCOMPARE(switches, (QStringList{"23:59pm", "0:00am", "12:00pm", "0:00am"}));
    }

    void secondCopyBringsTheFirstForward_data()
    {
        QTest::addColumn<QByteArray>(
            "runtime");                         // "private", "locked" folder, Qt's fallback "taken"
        QTest::addColumn<QByteArray>("second"); // the second copy's folder; the first's is "a\xff"
        QTest::addColumn<bool>("runs");         // beside the first
        for (auto [name, runtime, second] :
             {std::tuple{"same folder", "private", "a\xff"},
              {"through a bind mount", "private", "b"},
              {"runtime folder taken", "taken", "a\xff"},
              {"folder locked by another program", "locked", "a\xff"},
              {"names not UTF-8", "private", "a\xfe"},
              {"same inode, another file system", "private", "c"}})
            QTest::newRow(name) << QByteArray(runtime) << QByteArray(second)
                                << (QByteArray(second) == "a\xfe" || QByteArray(second) == "c");
    }

    void secondCopyBringsTheFirstForward()
    {
        QFETCH(QByteArray, runtime);
        QFETCH(QByteArray, second);
        QFETCH(bool, runs);
        TemporaryCurrentDir dir;
        const auto restore = qScopeGuard([] { qunsetenv("TMPDIR"), qunsetenv("XDG_RUNTIME_DIR"); });
        QVERIFY(::mkdir("runtime-root", 0700) == 0 && ::mkdir("a\xff", 0700) == 0
                && (second == "a\xff" || ::mkdir(second, 0700) == 0));
        qputenv("TMPDIR", QFile::encodeName(dir.path())); // where Qt falls back to
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.filePath("runtime-root")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path()));
        const int other = ::open("a\xff", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const auto closeOther = qScopeGuard([other] { ::close(other); });
        QVERIFY(runtime != "locked" || ::flock(other, LOCK_EX | LOCK_NB) == 0);
        if (runtime == "taken"
            && (qunsetenv("XDG_RUNTIME_DIR"), ::chown("runtime-root", 1, 1) != 0))
            QSKIP("only root can give a folder to another user");
        if (second == "b" && std::system("mount --bind a\xff b") != 0)
            QSKIP("no bind mounts here");
        // Each the root of a file system of its own, and so inode 1 on both.
        if (second == "c" && std::system("mount -t tmpfs t a\xff && mount -t tmpfs t c") != 0)
            QSKIP("no file systems to be mounted here");
        QVERIFY(::chdir("a\xff") == 0);
        FakePlatform fakes;
        auto first = std::make_unique<Application>(fakes.platform());
        QVERIFY(first->start());
        first->form().showMinimized();
        QWidget elsewhere; // has the keyboard meanwhile
        elsewhere.show();
        QVERIFY(::chdir("../" + second) == 0);
        if (runtime == "taken")
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("頼めませんでした"));
        SingleInstance beside; // a second copy, should it run
        QCOMPARE(beside.claim(), runs);
        QSignalSpy raised(&beside, &SingleInstance::raiseRequested);
        QVERIFY(!runs || !SingleInstance().claim()); // a third start brings the second forward
        QTRY_COMPARE(raised.size(), int(runs));
        const bool forward = !runs && runtime != "taken"; // and with the keyboard
        QTRY_VERIFY(first->form().isMinimized() != forward
                    && first->form().isActiveWindow() == forward);
        QVERIFY(QDir("/").entryList({"quorrel-*"}).isEmpty()); // nothing outside a private folder
        QVERIFY(::chdir("../a\xff") == 0);
        first->form().close(); // its schedule is written where it is, whatever the folder's name
        QVERIFY(QFile::exists("savefile.txt") && first->form().exitStatus() == 0);
        first.reset();
        QVERIFY(::chdir("..") == 0 && (second != "b" || std::system("umount -l b") == 0));
        QVERIFY(second != "c" || std::system("umount -l a\xff c") == 0);
        ::rename("a\xff", "a1"), ::rename("a\xfe", "a2"); // which Qt cannot name to remove
    }

    void everyWayOutSavesOnce_data()
    {
        QTest::addColumn<int>("stage"); // 0 running, else taken in the box of 1 a start error,
        QTest::addColumn<int>(
            "way"); // 2 an exit's failed save; a signal, 0 exit or OK, -1 a logout
        for (int stage : {0, 1, 2})
            for (int way : {SIGTERM, SIGINT, SIGHUP, 0, -1})
                QTest::addRow("%s %d",
                              stage ? stage == 1 ? "start error" : "failed save" : "running", way)
                    << stage << way;
    }

    void everyWayOutSavesOnce()
    {
        QFETCH(int, stage);
        QFETCH(int, way);
        TemporaryCurrentDir dir;
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path())); // where the slots are rescued
        const bool readable = stage != 1;
        const QByteArray file = readable ? "1:00:00,a\r\n" : "1:00:00,\x81\xFF\r\n";
        QVERIFY(writeFile("savefile.txt", file));
        FakePlatform fakes;
        auto app = std::make_unique<Application>(fakes.platform());
        QSignalSpy unloaded(&app->form(), &Form1::unloaded);
        QEventLoop *box = nullptr; // the error box's own loop
        const auto leave = [&] {
            for (int i = 0; way > 0 && i < 30000; ++i) // as a runaway script might: none may block
                std::raise(way);
            if (way < 0)
                app->endSession(); // and the session manager's "die" follows
            if (way < 0 && !box)
                QCoreApplication::quit();
            if (way == 0)
                box ? box->exit(0) : app->form().menuEnd_Click();
        };
        fakes.whileOpen = [&] {
            QEventLoop loop;
            box = &loop;
            QTimer::singleShot(0, &loop, leave);
            QTimer::singleShot(5000, &loop, [&] { loop.exit(-2); });
            QCOMPARE(loop.exec(), way ? 1 : 0); // a way out ends the program at once, failing
        };
        QVERIFY(app->start() == readable && app->form().isVisible() == readable);
        failRename = stage == 2;
        QTimer::singleShot(0, app.get(), [&] {
            stage == 2 ? app->form().menuEnd_Click()
            : readable ? leave()
                       : QCoreApplication::quit();
        });
        QCOMPARE(readable ? app->exec() : QCoreApplication::exec(), int(stage == 2));
        failRename = false;
        QVERIFY(unloaded.size() == 1 && !app->form().isVisible());
        QCOMPARE(fakes.reports.filter(dir.filePath("savefile.txt")).size(), int(stage != 0));
        const QByteArray saved = readFile("savefile.txt");
        QVERIFY(stage ? saved == file : saved.startsWith(file) && saved.size() > file.size());
        QVERIFY(QFile::remove("savefile.txt"));
        app->form().close(); // nor may a later close write
        QVERIFY(!QFile::exists("savefile.txt"));
        app.reset();
        if (way > 0) // a late one, as the program ends, is ignored rather than fatal
            std::raise(way);
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
