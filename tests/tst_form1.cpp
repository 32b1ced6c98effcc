// The main window as built, loaded and closed.

#include "mainwindow/displayfont.h"
#include "mainwindow/form1.h"
#include "support/fakes.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace quorrel;
using namespace quorrel::test;

namespace {

QByteArray initialFile()
{
    return "3:18:45," + QStringLiteral("表示文字").toUtf8()
           + "\r\n3:18:55,Text2\r\n3:19:00,Text2\r\n" + QByteArray("Text1,Text2\r\n").repeated(8);
}

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void placesControlsInTwips_data();
    void placesControlsInTwips();
    void startsWithInitialTextsAndHiddenPanel();
    void labelsUseTheDisplayFont();
    void focusOrderPassesHiddenSlots();
    void menusHaveAccessKeysAndNoShortcuts();
    void windowIsFramelessWithIcon();

    void missingFileStartsAndFirstCloseCreatesIt();
    void loadsExistingFileIntoSlots();
    void unreadableFileStopsTheStartUntouched();
    void closeSavesExactlyOnce();
    void failedSaveIsReported();

private:
    template <typename T> T *control(const QString &name) const
    {
        auto *found = form->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }

    std::unique_ptr<TemporaryCurrentDir> dir;
    std::unique_ptr<FakePlatform> fakes;
    std::unique_ptr<Form1> form;
};

void TestForm1::init()
{
    dir = std::make_unique<TemporaryCurrentDir>();
    fakes = std::make_unique<FakePlatform>();
    form = std::make_unique<Form1>(fakes->platform());
}

void TestForm1::cleanup()
{
    form.reset();
    fakes.reset();
    dir.reset();
}

void TestForm1::placesControlsInTwips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips"); // left, top, width, height
    QTest::newRow("Command2") << "Command2" << QRect(1440, 120, 2295, 375);
    QTest::newRow("Label1") << "Label1" << QRect(240, 600, 2655, 375);
    QTest::newRow("Label2") << "Label2" << QRect(3120, 600, 2055, 375);
    QTest::newRow("Picture1") << "Picture1" << QRect(120, 1200, 5055, 4215);
    QTest::newRow("Picture3 at Picture1's origin") << "Picture3" << QRect(0, 0, 5055, 4215);
    QTest::newRow("Text1(0)") << "Text1(0)" << QRect(0, 0, 1455, 375);
    QTest::newRow("Text2(10)") << "Text2(10)" << QRect(1680, 3600, 3255, 375);
    QTest::newRow("Picture2(1) below the client") << "Picture2(1)" << QRect(3240, 6600, 615, 1335);
    QTest::newRow("Command1 right of the client") << "Command1" << QRect(6960, 960, 2415, 855);
}

void TestForm1::placesControlsInTwips()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    const QRect pixels(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
    QCOMPARE(control<QWidget>(name)->geometry(), pixels);
    QCOMPARE(form->centralWidget()->size(), QSize(5205 / 15, 5445 / 15));
}

void TestForm1::startsWithInitialTextsAndHiddenPanel()
{
    QCOMPARE(control<QLineEdit>("Text1(0)")->text(), QStringLiteral("3:18:45"));
    QCOMPARE(control<QLineEdit>("Text2(0)")->text(), QStringLiteral("表示文字"));
    QCOMPARE(control<QLineEdit>("Text1(2)")->text(), QStringLiteral("3:19:00"));
    QCOMPARE(control<QLineEdit>("Text1(10)")->text(), QStringLiteral("Text1"));
    QCOMPARE(control<QLineEdit>("Text2(10)")->text(), QStringLiteral("Text2"));
    QVERIFY(!form->findChild<QLineEdit *>("Text1(11)"));
    QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("Label1"));
    QCOMPARE(control<QLabel>("Label2")->text(), QStringLiteral("Label2"));
    QCOMPARE(control<QPushButton>("Command2")->text(), QStringLiteral("予定表を書き込む"));
    QVERIFY(control<QWidget>("Picture3")->isHidden());
    QVERIFY(!control<QWidget>("Command1")->isHidden());
    // Until the load, the placeholder is shown.
    QCOMPARE(control<QLabel>("Picture1")->pixmap().size(), QSize(512, 384));
}

void TestForm1::labelsUseTheDisplayFont()
{
    for (const char *name : {"Label1", "Label2"}) {
        auto *label = control<QLabel>(QString::fromLatin1(name));
        QCOMPARE(label->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(label->font().pointSizeF(), 15.75);
        QCOMPARE(label->font().weight(), QFont::Bold);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    }
}

void TestForm1::focusOrderPassesHiddenSlots()
{
    const auto chainFrom = [&](QWidget *start, int steps) {
        QStringList names;
        QWidget *widget = start;
        for (int i = 0; i < steps; ++i) {
            widget = widget->nextInFocusChain();
            while (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isVisibleTo(form.get()))
                widget = widget->nextInFocusChain();
            names << widget->objectName();
        }
        return names;
    };
    const QStringList hidden{"Picture2(0)", "Picture2(1)", "Command2", "Command1", "Picture1"};
    QCOMPARE(chainFrom(control<QWidget>("Picture1"), 5), hidden);

    control<QWidget>("Picture3")->show();
    const QStringList shown{"Picture2(0)", "Picture2(1)", "Picture3",
                            "Text1(0)",    "Text2(0)",    "Text1(1)"};
    QCOMPARE(chainFrom(control<QWidget>("Picture1"), 6), shown);
    QCOMPARE(chainFrom(control<QWidget>("Text2(10)"), 2), (QStringList{"Command2", "Command1"}));
}

void TestForm1::menusHaveAccessKeysAndNoShortcuts()
{
    QCOMPARE(control<QMenu>("menuFile")->title(), QStringLiteral("ファイル(&F)"));
    QCOMPARE(control<QMenu>("menuHelp")->title(), QStringLiteral("ヘルプ(&H)"));
    QStringList items;
    for (QMenu *menu : {control<QMenu>("menuFile"), control<QMenu>("menuHelp")})
        for (QAction *action : menu->actions()) {
            items << action->objectName() + u'='
                         + (action->isSeparator() ? QStringLiteral("-") : action->text());
            QVERIFY(action->shortcut().isEmpty());
            QVERIFY(!action->isCheckable());
        }
    QCOMPARE(items,
             (QStringList{"menuSchedule=予定表の書き込み(&S)", "bou0=-", "menuEnd=終了(&E)",
                          "menuOnline=オンラインヘルプ(&0)", "menuVersion=バージョン情報(&V)"}));
    QVERIFY(!form->menuBar()->isNativeMenuBar());
}

void TestForm1::windowIsFramelessWithIcon()
{
    QCOMPARE(form->windowTitle(), QStringLiteral("Quorrelver.1.0"));
    QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!form->windowIcon().isNull());
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QCOMPARE(form->minimumSize(), form->maximumSize());
}

void TestForm1::missingFileStartsAndFirstCloseCreatesIt()
{
    QVERIFY(form->Form_Load());
    QVERIFY(fakes->fatal.reports.isEmpty());
    QVERIFY(form->close());
    QCOMPARE(readFile(dir->filePath("savefile.txt")), initialFile());
}

void TestForm1::loadsExistingFileIntoSlots()
{
    QVERIFY(writeFile("savefile.txt", "7:30:00,起床\r\n8:00:00,出発\r\n"));
    QVERIFY(form->Form_Load());
    QCOMPARE(control<QLineEdit>("Text1(0)")->text(), QStringLiteral("7:30:00"));
    QCOMPARE(control<QLineEdit>("Text2(1)")->text(), QStringLiteral("出発"));
    // Slots the file does not reach keep their initial texts.
    QCOMPARE(control<QLineEdit>("Text1(2)")->text(), QStringLiteral("3:19:00"));

    // What the user types is what the close writes.
    control<QLineEdit>("Text2(0)")->clear();
    QTest::keyClicks(control<QLineEdit>("Text2(0)"), "wake, up");
    form->close();
    QVERIFY(readFile("savefile.txt").startsWith("7:30:00,\"wake, up\"\r\n8:00:00,"));
}

void TestForm1::unreadableFileStopsTheStartUntouched()
{
    QVERIFY(QDir(dir->path()).mkdir("savefile.txt"));
    QVERIFY(!form->Form_Load());
    QCOMPARE(fakes->fatal.reports.size(), 1);
    QVERIFY2(fakes->fatal.reports.first().contains(dir->filePath("savefile.txt")),
             qPrintable(fakes->fatal.reports.first()));
    QVERIFY(QFileInfo(dir->filePath("savefile.txt")).isDir());
}

void TestForm1::closeSavesExactlyOnce()
{
    QVERIFY(form->Form_Load());
    form->show();
    QSignalSpy unloaded(form.get(), &Form1::unloaded);
    form->close();
    QCOMPARE(unloaded.size(), 1);
    QVERIFY(QFile::remove("savefile.txt"));
    // A later request (a signal during the logout) does not write again.
    form->close();
    QCOMPARE(unloaded.size(), 1);
    QVERIFY(!QFile::exists("savefile.txt"));
}

void TestForm1::failedSaveIsReported()
{
    QVERIFY(form->Form_Load());
    QVERIFY(QDir(dir->path()).mkdir("savefile.txt")); // cannot be replaced by a file
    form->close();
    QCOMPARE(fakes->fatal.reports.size(), 1);
    QCOMPARE(form->exitStatus(), 1);
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
