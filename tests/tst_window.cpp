// The main window and the About window: as built, loaded and closed, their
// commands, and every way out of the program.

#include "about/frmabout.h"
#include "app/application.h"
#include "support/fakes.h"
#include "ui/displayfont.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRawFont>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <cstdio>

using namespace quorrel;
using namespace quorrel::test;

class TestWindow : public QObject, private FormFixture {
    Q_OBJECT

private slots:
    void cleanup() { destroyForm(); }

    void isBuiltAsLaidOut_data();
    void isBuiltAsLaidOut();
    void lookAndPictures();
    void marksTimesThatNeverMatch_data();
    void marksTimesThatNeverMatch();
    void speaksJapaneseInCaptionWideBoxes();
    void loadsAndSavesOnceAtClose();
    void longTextsAreNeverCut();
    void editsAndOtherProgramsReachTheFile_data();
    void editsAndOtherProgramsReachTheFile();
    void hiddenSlotsStillAlertAndSave();
    void hourCommandShowsTheHour_data();
    void hourCommandShowsTheHour();
    void aboutWindowLifecycle();
    void everyWayOutSavesOnce_data();
    void everyWayOutSavesOnce();
    void unreadableFileShowsNoWindow_data();
    void unreadableFileShowsNoWindow();

private:
    void load()
    {
        createForm();
        QVERIFY(form->Form_Load());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void command(const char *name) { control<QAction>(QLatin1String(name))->trigger(); }
    QLineEdit *field(const char *name) const { return control<QLineEdit>(QLatin1String(name)); }
    static int shownAboutWindows()
    {
        int count = 0;
        for (QWidget *widget : QApplication::topLevelWidgets())
            count += qobject_cast<frmAbout *>(widget) && widget->isVisible();
        return count;
    }
};

void TestWindow::isBuiltAsLaidOut_data()
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
    row("Command2", "geometry", QRect(96, 8, 153, 25));
    row("Command2", "text", "予定表を書き込む");
    row("Label1", "geometry", QRect(16, 40, 177, 25));
    row("Label2", "geometry", QRect(208, 40, 137, 25));
    row("Label2", "text", "Label2");
    row("Picture1", "geometry", QRect(8, 80, 337, 281));
    row("Picture3", "geometry", QRect(0, 0, 337, 281));
    row("Picture3", "visible", false);
    row("Text1(3)", "geometry", QRect(0, 72, 97, 25));
    row("Text2(10)", "geometry", QRect(112, 240, 217, 25));
    row("Picture2(1)", "geometry", QRect(216, 440, 41, 89));
    row("Command1", "geometry", QRect(464, 64, 161, 57));
    row("Text1(3)", "geometry", QRect(0, 108, 146, 38), 144); // halves round up, not down
    row("Text1(0)", "text", "3:18:45");
    row("Text2(0)", "text", "表示文字");
    row("Text1(2)", "text", "3:19:00");
    row("Text2(2)", "text", "Text2");
    row("Text1(10)", "text", "Text1");
    row("menuFile", "title", "ファイル(&F)");
    row("menuSchedule", "text", "予定表の書き込み(&S)");
    row("menuEnd", "text", "終了(&E)");
    row("menuHelp", "title", "ヘルプ(&H)");
    row("menuOnline", "text", "オンラインヘルプ(&0)"); // the digit zero
    row("menuVersion", "text", "バージョン情報(&V)");
    row("Label1", "wordWrap", true);
    row("Label2", "wordWrap", true);
    row("Text1(0)", "accessibleName", "予定 1 の時刻"); // rows counted from 1, as read
    row("Text2(10)", "accessibleName", "予定 11 のメッセージ");
}

void TestWindow::isBuiltAsLaidOut()
{
    QFETCH(qreal, dpi);
    QFETCH(QString, name);
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    createForm(dpi);
    QObject *object = name == u"Form1" ? form.get() : control<QObject>(name);
    QCOMPARE(object->property(property), value);
}

void TestWindow::lookAndPictures()
{
    createForm();
    QVERIFY(!form->findChild<QLineEdit *>("Text1(11)"));
    QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(control<QAction>("bou0")->isSeparator());
    for (QAction *action : form->findChildren<QAction *>())
        QVERIFY(action->shortcut().isEmpty() && !action->isCheckable());
    // The pictures as drawn: uncompressed 24-bit bitmaps, a two-image icon.
    QCOMPARE(control<QLabel>("Picture1")->pixmap().size(), QSize(512, 384)); // the placeholder
    QCOMPARE(control<QLabel>("Picture2(1)")->pixmap().size(), QSize(334, 130));
    QCOMPARE(QFileInfo(":/placeholder.bmp").size() + QFileInfo(":/morning.bmp").size(), 720452);
    QCOMPARE(form->windowIcon().availableSizes(), (QList<QSize>{{32, 32}, {16, 16}}));
    for (const char *name : {"Label1", "Label2"}) {
        auto *label = control<QLabel>(QLatin1String(name));
        QCOMPARE(label->font().family(), kDisplayFamily.toString());
        QCOMPARE(label->font().pointSizeF(), 15.75);
        QCOMPARE(label->font().weight(), QFont::Bold);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 192));
        // The face that stands in has the kana and kanji the labels need.
        const QRawFont face = QRawFont::fromFont(label->font());
        QVERIFY2(face.supportsCharacter(u'予') && face.supportsCharacter(u'ゴ'),
                 qPrintable(face.familyName()));
    }
    QSet<QString> names; // every label and focusable control, each told apart
    for (QWidget *widget : form->findChildren<QWidget *>())
        if (widget->focusPolicy() != Qt::NoFocus || qobject_cast<QLabel *>(widget))
            names << widget->accessibleName();
    QVERIFY(!names.contains(QString()));
    QCOMPARE(names.size(), 30); // 22 slot fields, 4 pictures, 2 labels, 2 buttons
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QCOMPARE(form->minimumSize(), form->maximumSize()); // no sizing
}

void TestWindow::marksTimesThatNeverMatch_data()
{
    QTest::addColumn<QString>("time");
    QTest::addColumn<bool>("marked");
    for (const char *never :
         {"09:05:00", "9:05", "9:5:00", "24:00:00", " 9:05:00", "９：０５：００"})
        QTest::newRow(never) << QString::fromUtf8(never) << true;
    for (const char *fine : {"9:05:00", "23:59:59", "Text1", ""})
        QTest::newRow(fine) << QString::fromUtf8(fine) << false;
}

void TestWindow::marksTimesThatNeverMatch()
{
    QFETCH(QString, time);
    QFETCH(bool, marked);
    createForm();
    auto *mark = field("Text1(4)")->findChild<QAction *>("timeWarning");
    QVERIFY(mark && !mark->isVisible()); // "Text1"
    QVERIFY(writeFile("savefile.txt", QByteArray(",\r\n").repeated(4) + time.toUtf8() + ",m\r\n"));
    QVERIFY(form->Form_Load());
    QCOMPARE(field("Text1(4)")->text(), time); // as written, untouched
    QCOMPARE(mark->isVisible(), marked);
    QVERIFY(mark->toolTip().contains(u"「9:05:00」"));
    field("Text1(4)")->selectAll();
    QTest::keyClicks(field("Text1(4)"), marked ? "9:05:00" : "9:05"); // typing updates it too
    QCOMPARE(mark->isVisible(), !marked);
    QVERIFY(!mark->icon().isNull() || !mark->isVisible()); // a shown mark has its icon
}

void TestWindow::speaksJapaneseInCaptionWideBoxes()
{
    setApplicationIdentity();
    QVERIFY(!QApplication::windowIcon().isNull()); // every box and window carries it
    installQtTranslations();                       // the tests run under ja_JP
    QLineEdit edit;
    QVERIFY(edit.createStandardContextMenu()->actions().first()->text().startsWith(u"元に戻す"));
    // Shown as typed, never as markup.
    const QString typed = QStringLiteral("<b>会議</b>");
    QtMessageBoxes boxes;
    for (int kind : {0, 1, 2}) { // a note, an alert, a fatal error
        int width = 0, caption = 0;
        bool onTop = false;
        QString shown;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            width = box->width();
            caption = box->fontMetrics().horizontalAdvance(box->windowTitle());
            onTop = box->windowFlags() & Qt::WindowStaysOnTopHint;
            shown = box->textFormat() == Qt::PlainText ? box->text() : QString();
            box->close();
        });
        if (kind < 2)
            boxes.show(nullptr, typed, kind ? BoxIcon::Critical : BoxIcon::None);
        else
            BoxFatalErrors().report(typed, typed);
        QVERIFY(caption > 0 && width >= caption + 120); // beside a title bar's icon and buttons
        QCOMPARE(onTop, kind == 1);
        QCOMPARE(shown, kind < 2 ? typed : typed + QStringLiteral("\n\n") + typed);
    }
}

void TestWindow::loadsAndSavesOnceAtClose()
{
    createForm();
    QVERIFY(writeFile("savefile.txt", "7:30:00,起床\r\n8:00:00,出発\r\n"));
    QVERIFY(form->Form_Load());
    form->show();
    QCOMPARE(field("Text2(1)")->text(), QStringLiteral("出発"));
    QCOMPARE(field("Text1(2)")->text(), QStringLiteral("3:19:00")); // not reached by the file
    field("Text2(0)")->selectAll();
    QTest::keyClicks(field("Text2(0)"), "wake, up");

    QSignalSpy unloaded(form.get(), &Form1::unloaded);
    QCloseEvent request; // as the window system sends it, also a second time
    QCoreApplication::sendEvent(form.get(), &request);
    QVERIFY(readFile("savefile.txt").startsWith("7:30:00,\"wake, up\"\r\n8:00:00,"));
    QVERIFY(QFile::remove("savefile.txt"));
    QCoreApplication::sendEvent(form.get(), &request);
    QCOMPARE(unloaded.size(), 1);
    QVERIFY(!QFile::exists("savefile.txt"));
}

void TestWindow::longTextsAreNeverCut()
{
    createForm();
    const QByteArray file = "1:00:00," + QByteArray(kMaxTextLength, 'x') + "\r\n" + ",\r\n";
    QVERIFY(writeFile("savefile.txt", file));
    QVERIFY(form->Form_Load());
    field("Text2(0)")->end(false);
    QApplication::clipboard()->setText("y");
    field("Text2(0)")->paste(); // one character too many: refused whole, and said so
    QTRY_COMPARE(fakes->boxes.texts.size(), 1);
    QVERIFY(fakes->boxes.texts[0].contains(QStringLiteral("65,536 文字まで")));
    form->close();
    QVERIFY(readFile("savefile.txt").startsWith(file));
}

void TestWindow::editsAndOtherProgramsReachTheFile_data()
{
    QTest::addColumn<bool>("failing");       // the file cannot be written
    QTest::addColumn<bool>("edit");          // "!" typed into Text2(0) first
    QTest::addColumn<QByteArray>("outside"); // then another program's version
    QTest::addColumn<QString>("shown");      // in Text2(0) then
    QTest::addColumn<QByteArray>("saved");   // the file's start after the save timer
    QTest::addColumn<QByteArray>("backup");  // savefile.txt~ after the close
    QTest::addColumn<int>("boxes");
    const QByteArray mine = "7:30:00,起床!\r\n", theirs = "8:00:00,外\r\n", bad = "\x81\xff";
    QTest::newRow("typing saved by the timer")
        << false << true << QByteArray() << "起床!" << mine << QByteArray() << 0;
    QTest::newRow("other version loaded")
        << false << false << theirs << "外" << theirs << QByteArray() << 0;
    QTest::newRow("edit wins, other kept")
        << false << true << theirs << "起床!" << mine << theirs << 1;
    QTest::newRow("unreadable kept, told") << false << false << bad << "起床" << bad << bad << 2;
    QTest::newRow("failed save told once")
        << true << true << QByteArray() << "起床!" << QByteArray() << QByteArray() << 1;
}

void TestWindow::editsAndOtherProgramsReachTheFile()
{
    QFETCH(bool, failing);
    QFETCH(bool, edit);
    QFETCH(QByteArray, outside);
    QFETCH(QString, shown);
    QFETCH(QByteArray, saved);
    QFETCH(QByteArray, backup);
    QFETCH(int, boxes);
    createForm();
    QVERIFY(writeFile("savefile.txt", "7:30:00,起床\r\n"));
    QVERIFY(form->Form_Load());
    if (failing) // the folder has gone
        QVERIFY(QDir(QDir::currentPath()).removeRecursively());
    if (edit)
        QTest::keyClicks(field("Text2(0)"), "!");
    QCOMPARE(form->store().saveTimer().isActive(), edit); // loading the fields is no edit
    if (!outside.isEmpty()) // replaced in one step, as editors and sync tools do
        QVERIFY(writeFile("new", outside) && std::rename("new", "savefile.txt") == 0);
    form->store().checkFile(); // as the watcher would
    QCOMPARE(field("Text2(0)")->text(), shown);
    for (int i = 0; edit && i < 2; ++i) {
        form->store().saveEdits(); // as the save timer would, after each edit
        form->store().checkFile(); // finds its own save
    }
    QVERIFY(readFile("savefile.txt").startsWith(saved));
    QCOMPARE(field("Text2(0)")->isModified(), edit); // own saves are not read back in
    form->close();
    QCOMPARE(readFile("savefile.txt~"), backup);
    QCOMPARE(fakes->boxes.texts.size(), boxes);
    QCOMPARE(form->exitStatus(), int(failing));
    QVERIFY(!fakes->fatal.reports.join("").contains(QStringLiteral("前の内容"))); // none is left
}

void TestWindow::hiddenSlotsStillAlertAndSave()
{
    load();
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    QCOMPARE(control("Picture3")->geometry(), control("Picture1")->rect()); // covers the picture
    field("Text1(4)")->selectAll();
    QTest::keyClicks(field("Text1(4)"), "3:19:30");
    field("Text2(4)")->selectAll();
    QTest::keyClicks(field("Text2(4)"), "hidden");
    command("menuSchedule");
    QVERIFY(control("Picture3")->isHidden());

    fakes->clock.time = QDateTime(QDate(2026, 12, 6), QTime(3, 19, 30));
    form->Timer1_Timer();
    form->Timer3_Timer();
    QCOMPARE(fakes->boxes.texts, QStringList{"hidden"});
    command("menuEnd");
    QVERIFY(readFile("savefile.txt").contains("3:19:30,hidden\r\n"));
}

void TestWindow::hourCommandShowsTheHour_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("shown");
    QTest::newRow("just after midnight") << QTime(0, 0, 30) << "0";
    QTest::newRow("a minute before midnight") << QTime(23, 59, 0) << "23";
}

void TestWindow::hourCommandShowsTheHour()
{
    QFETCH(QTime, time);
    QFETCH(QString, shown);
    load();
    fakes->clock.time = QDateTime(QDate(2026, 12, 6), time);
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(fakes->boxes.texts, QStringList{shown});
    QCOMPARE(fakes->boxes.icons, QList<BoxIcon>{BoxIcon::None});
}

void TestWindow::aboutWindowLifecycle()
{
    load();
    // Online help lends the About window's handle without showing it.
    command("menuOnline");
    QCOMPARE(fakes->urls.opened, QList<QUrl>{Form1::homePage()});
    QPointer<frmAbout> about = form->about();
    QVERIFY(about && !about->isVisible());
    QCOMPARE(about->windowTitle(), QStringLiteral("Quorrelのﾊﾞｰｼﾞｮﾝ情報"));

    command("menuVersion");
    command("menuVersion");
    QCOMPARE(form->about(), about.data());
    QCOMPARE(shownAboutWindows(), 1);
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QVERIFY(!about->parentWidget() && !QApplication::activeModalWidget()); // no owner, modeless
    about->showMinimized(); // lost: it has no task bar entry
    command("menuVersion");
    QVERIFY(!about->isMinimized());
    QVERIFY(fakes->boxes.texts.isEmpty()); // a failure to open the page is silent
    QCOMPARE(about->geometry(), QRect(156, 129, 350, 141));
    QCOMPARE(about->minimumSize(), about->maximumSize());
    QVERIFY(
        !(about->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(about->findChild<QLabel *>("picIcon")->geometry(), QRect(16, 16, 32, 32));
    auto *title = about->findChild<QLabel *>("lblTitle");
    QCOMPARE(title->text(), QStringLiteral("Quorrelver1.0"));
    QCOMPARE(title->geometry(), QRect(70, 16, 259, 32));
    QCOMPARE(title->font().family(), kDisplayFamily.toString());
    QVERIFY(about->findChild<QLabel *>("Label1")->text().contains(QStringLiteral(QUORREL_AUTHOR)));
    for (const char *name : {"lblTitle", "Label1", "Label2"}) {
        auto *label = about->findChild<QLabel *>(QLatin1String(name));
        QVERIFY(label->wordWrap() && about->rect().contains(label->geometry()));
        for (const QString &line : label->text().split(u'\n')) // breaks after a topic only
            QVERIFY(label->fontMetrics().horizontalAdvance(line) <= label->width());
        QVERIFY(label->heightForWidth(label->width()) <= label->height()); // wrapped, it fits
    }

    QTest::keyClick(about, Qt::Key_Escape);
    QVERIFY(about->isVisible());
    about->close();
    QTRY_VERIFY(!about); // unloaded; the main window goes on
    QVERIFY(form->isVisible());
    command("menuVersion"); // loaded again
    QCOMPARE(form->about()->windowTitle(), QStringLiteral("Quorrelのﾊﾞｰｼﾞｮﾝ情報"));
}

void TestWindow::everyWayOutSavesOnce_data()
{
    QTest::addColumn<int>("way"); // a signal, or 0 for the exit command, -1 for a logout
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("exit command") << 0;
    QTest::newRow("end of the desktop session") << -1;
}

void TestWindow::everyWayOutSavesOnce()
{
    QFETCH(int, way);
    TemporaryCurrentDir dir;
    FakePlatform fakes;
    Application app(fakes.platform());
    QVERIFY(app.start());
    QVERIFY(app.form().isVisible());
    QSignalSpy unloaded(&app.form(), &Form1::unloaded);
    QTimer::singleShot(0, &app, [&app, way] {
        if (way == 0) {
            app.form().menuEnd_Click();
        } else if (way < 0) {
            app.endSession();
            QCoreApplication::quit(); // the session manager's "die"
        } else {                      // many at once, as a runaway script might: none may block
            for (int i = 0; i < 30000; ++i)
                std::raise(way);
        }
    });
    QCOMPARE(app.exec(), 0);
    QCOMPARE(unloaded.size(), 1);
    QVERIFY(!app.form().isVisible());
    QVERIFY(QFile::exists(dir.filePath("savefile.txt")));
}

void TestWindow::unreadableFileShowsNoWindow_data()
{
    QTest::addColumn<int>("way"); // while the error is shown: as everyWayOutSavesOnce, 0 none
    QTest::newRow("error dismissed") << 0;
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("end of the desktop session") << -1;
}

void TestWindow::unreadableFileShowsNoWindow()
{
    QFETCH(int, way);
    TemporaryCurrentDir dir;
    const QByteArray unreadable = "1:00:00,\x81\xFF\r\n";
    QVERIFY(writeFile("savefile.txt", unreadable));
    FakePlatform fakes;
    Application app(fakes.platform());
    int status = -1;
    fakes.fatal.whileOpen = [&] { // the error box's own loop
        QEventLoop box;
        QTimer::singleShot(0, &box, [&] {
            way < 0 ? app.endSession() : way ? (void)std::raise(way) : box.exit(0);
        });
        QTimer::singleShot(5000, &box, [&] { box.exit(-2); });
        status = box.exec();
    };
    QVERIFY(!app.start());
    QVERIFY(!app.form().isVisible());
    QCOMPARE(fakes.fatal.reports.size(), 1);
    QVERIFY(fakes.fatal.reports[0].contains(dir.filePath("savefile.txt")));
    QCOMPARE(status, way ? 1 : 0); // a way out ends the program at once, with a failure
    app.form().close();            // nor may any later close write
    QCOMPARE(readFile("savefile.txt"), unreadable);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit); // clears the exit for later tests
    QCoreApplication::exec();
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
