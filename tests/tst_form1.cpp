// The main window as built, loaded and closed.

#include "ui/displayfont.h"
#include "support/formfixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRawFont>
#include <QSignalSpy>
#include <QTest>

using namespace quorrel;
using namespace quorrel::test;

class TestForm1 : public QObject, private FormFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void placesControlsInTwips_data();
    void placesControlsInTwips();
    void startsAsLaidOut();
    void labelsUseAJapaneseDisplayFace();
    void focusOrderPassesHiddenSlots();
    void menusHaveAccessKeysAndNoShortcuts();

    void missingFileStartsAndFirstCloseCreatesIt();
    void loadsTheFileAndSavesWhatWasTyped();
    void closeSavesExactlyOnce();
    void failedSaveIsReported();

private:
    QString text(const QString &name) const { return control<QLineEdit>(name)->text(); }
};

void TestForm1::init()
{
    createForm();
}

void TestForm1::cleanup()
{
    destroyForm();
}

void TestForm1::placesControlsInTwips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips"); // left, top, width, height
    QTest::newRow("Command2") << "Command2" << QRect(1440, 120, 2295, 375);
    QTest::newRow("Label2") << "Label2" << QRect(3120, 600, 2055, 375);
    QTest::newRow("Picture1") << "Picture1" << QRect(120, 1200, 5055, 4215);
    QTest::newRow("Picture3 at Picture1's origin") << "Picture3" << QRect(0, 0, 5055, 4215);
    QTest::newRow("Text2(10)") << "Text2(10)" << QRect(1680, 3600, 3255, 375);
    QTest::newRow("Picture2(1) below the client") << "Picture2(1)" << QRect(3240, 6600, 615, 1335);
    QTest::newRow("Command1 right of the client") << "Command1" << QRect(6960, 960, 2415, 855);
    QTest::newRow("client area") << "client" << QRect(0, 0, 5205, 5445);
}

void TestForm1::placesControlsInTwips()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    const QRect pixels(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
    QCOMPARE(control(name)->geometry().size(), pixels.size());
    if (name != u"client")
        QCOMPARE(control(name)->pos(), pixels.topLeft());
}

void TestForm1::startsAsLaidOut()
{
    const QStringList initial{text("Text1(0)"), text("Text2(0)"), text("Text1(2)"),
                              text("Text1(10)"), text("Text2(10)")};
    QCOMPARE(initial, (QStringList{"3:18:45", "表示文字", "3:19:00", "Text1", "Text2"}));
    QVERIFY(!form->findChild<QLineEdit *>("Text1(11)"));
    QCOMPARE(control<QLabel>("Label2")->text(), QStringLiteral("Label2"));
    QCOMPARE(control<QPushButton>("Command2")->text(), QStringLiteral("予定表を書き込む"));
    QVERIFY(control("Picture3")->isHidden());
    QCOMPARE(control<QLabel>("Picture1")->pixmap().size(), QSize(512, 384)); // the placeholder

    QCOMPARE(form->windowTitle(), QStringLiteral("Quorrelver.1.0"));
    QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!form->windowIcon().isNull());
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QCOMPARE(form->minimumSize(), form->maximumSize()); // no sizing
}

void TestForm1::labelsUseAJapaneseDisplayFace()
{
    for (const char *name : {"Label1", "Label2"}) {
        auto *label = control<QLabel>(QLatin1String(name));
        QCOMPARE(label->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(label->font().pointSizeF(), 15.75);
        QCOMPARE(label->font().weight(), QFont::Bold);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 192));
        // The face that stands in has the kana and kanji the labels need.
        const QRawFont face = QRawFont::fromFont(label->font());
        QVERIFY2(face.supportsCharacter(u'予') && face.supportsCharacter(u'ゴ'),
                 qPrintable(face.familyName()));
    }
}

void TestForm1::focusOrderPassesHiddenSlots()
{
    const auto chainFrom = [&](const QString &start, int steps) {
        QStringList names;
        QWidget *widget = control(start);
        while (names.size() < steps) {
            widget = widget->nextInFocusChain();
            if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(form.get()))
                names << widget->objectName();
        }
        return names;
    };
    QCOMPARE(chainFrom("Picture1", 5),
             (QStringList{"Picture2(0)", "Picture2(1)", "Command2", "Command1", "Picture1"}));
    control("Picture3")->show();
    QCOMPARE(chainFrom("Picture1", 6), (QStringList{"Picture2(0)", "Picture2(1)", "Picture3",
                                                    "Text1(0)", "Text2(0)", "Text1(1)"}));
    QCOMPARE(chainFrom("Text2(10)", 2), (QStringList{"Command2", "Command1"}));
}

void TestForm1::menusHaveAccessKeysAndNoShortcuts()
{
    QStringList items;
    for (const char *name : {"menuFile", "menuHelp"}) {
        auto *menu = control<QMenu>(QLatin1String(name));
        items << menu->title();
        for (QAction *action : menu->actions()) {
            items << action->objectName() + u'=' + action->text();
            QVERIFY(action->shortcut().isEmpty() && !action->isCheckable());
        }
    }
    QCOMPARE(items,
             (QStringList{"ファイル(&F)", "menuSchedule=予定表の書き込み(&S)",
                          "bou0=", "menuEnd=終了(&E)", "ヘルプ(&H)",
                          "menuOnline=オンラインヘルプ(&0)", "menuVersion=バージョン情報(&V)"}));
    QVERIFY(control<QAction>("bou0")->isSeparator());
    QVERIFY(!form->menuBar()->isNativeMenuBar());
}

void TestForm1::missingFileStartsAndFirstCloseCreatesIt()
{
    QVERIFY(form->Form_Load());
    QVERIFY(fakes->fatal.reports.isEmpty());
    form->close();
    QCOMPARE(readFile("savefile.txt"), "3:18:45," + QStringLiteral("表示文字").toUtf8()
                                           + "\r\n3:18:55,Text2\r\n3:19:00,Text2\r\n"
                                           + QByteArray("Text1,Text2\r\n").repeated(8));
}

void TestForm1::loadsTheFileAndSavesWhatWasTyped()
{
    QVERIFY(writeFile("savefile.txt", "7:30:00,起床\r\n8:00:00,出発\r\n"));
    QVERIFY(form->Form_Load());
    QCOMPARE(text("Text1(0)"), QStringLiteral("7:30:00"));
    QCOMPARE(text("Text2(1)"), QStringLiteral("出発"));
    QCOMPARE(text("Text1(2)"), QStringLiteral("3:19:00")); // not reached by the file

    control<QLineEdit>("Text2(0)")->clear();
    QTest::keyClicks(control<QLineEdit>("Text2(0)"), "wake, up");
    form->close();
    QVERIFY(readFile("savefile.txt").startsWith("7:30:00,\"wake, up\"\r\n8:00:00,"));
}

void TestForm1::closeSavesExactlyOnce()
{
    QVERIFY(form->Form_Load());
    form->show();
    QSignalSpy unloaded(form.get(), &Form1::unloaded);
    form->close();
    QVERIFY(QFile::remove("savefile.txt"));
    form->close(); // a later request (a signal during the logout) writes nothing
    QCOMPARE(unloaded.size(), 1);
    QVERIFY(!QFile::exists("savefile.txt"));
}

void TestForm1::failedSaveIsReported()
{
    QVERIFY(form->Form_Load());
    QVERIFY(QDir().mkdir("savefile.txt")); // cannot be replaced by a file
    form->close();
    QCOMPARE(fakes->fatal.reports.size(), 1);
    QVERIFY(fakes->fatal.reports[0].contains(dir->filePath("savefile.txt")));
    QCOMPARE(form->exitStatus(), 1);
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
