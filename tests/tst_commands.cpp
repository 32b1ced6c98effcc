// The buttons, the menu commands and the About window.

#include "about/frmabout.h"
#include "ui/displayfont.h"
#include "support/formfixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace quorrel;
using namespace quorrel::test;

class TestCommands : public QObject, private FormFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void togglesTheSchedulePanel_data();
    void togglesTheSchedulePanel();
    void hiddenSlotsStillAlertAndSave();
    void hourCommandShowsTheHour_data();
    void hourCommandShowsTheHour();
    void onlineHelpLendsAHiddenAboutWindow();
    void versionCommandShowsOneAboutWindow();
    void aboutWindowIsLaidOut();
    void escapeDoesNotCloseAboutButCloseUnloadsIt();

private:
    void command(const char *name) { control<QAction>(QLatin1String(name))->trigger(); }
    static int aboutWindows()
    {
        int count = 0;
        for (QWidget *widget : QApplication::topLevelWidgets())
            count += qobject_cast<frmAbout *>(widget) && widget->isVisible();
        return count;
    }
};

void TestCommands::init()
{
    createForm();
    QVERIFY(form->Form_Load());
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
}

void TestCommands::cleanup()
{
    destroyForm();
}

void TestCommands::togglesTheSchedulePanel_data()
{
    QTest::addColumn<QStringList>("uses");
    QTest::newRow("button twice") << QStringList{"button", "button"};
    QTest::newRow("menu twice") << QStringList{"menu", "menu"};
    QTest::newRow("button, then menu") << QStringList{"button", "menu"};
    QTest::newRow("menu, then button") << QStringList{"menu", "button"};
}

void TestCommands::togglesTheSchedulePanel()
{
    QFETCH(QStringList, uses);
    auto *panel = control("Picture3");
    QVERIFY(panel->isHidden());
    const auto use = [&](const QString &how) {
        if (how == u"button")
            QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
        else
            command("menuSchedule");
    };
    use(uses[0]);
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->geometry(), control("Picture1")->rect()); // covers the picture
    use(uses[1]);
    QVERIFY(panel->isHidden());
}

void TestCommands::hiddenSlotsStillAlertAndSave()
{
    command("menuSchedule");
    auto *time = control<QLineEdit>("Text1(4)");
    auto *message = control<QLineEdit>("Text2(4)");
    time->clear();
    QTest::keyClicks(time, "3:19:30");
    message->clear();
    QTest::keyClicks(message, "hidden");
    command("menuSchedule");
    QVERIFY(control("Picture3")->isHidden());
    QCOMPARE(message->text(), QStringLiteral("hidden"));

    fakes->clock.time = QDateTime(QDate(2026, 12, 6), QTime(3, 19, 30));
    form->Timer1_Timer();
    form->Timer3_Timer();
    QCOMPARE(fakes->boxes.texts(), QStringList{"hidden"});

    form->close();
    QVERIFY(readFile("savefile.txt").contains("3:19:30,hidden\r\n"));
}

void TestCommands::hourCommandShowsTheHour_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("shown");
    QTest::newRow("just after midnight") << QTime(0, 0, 30) << "0";
    QTest::newRow("morning") << QTime(9, 59, 59) << "9";
    QTest::newRow("a minute before midnight") << QTime(23, 59, 0) << "23";
}

void TestCommands::hourCommandShowsTheHour()
{
    QFETCH(QTime, time);
    QFETCH(QString, shown);
    fakes->clock.time = QDateTime(QDate(2026, 12, 6), time);
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QCOMPARE(fakes->boxes.shown.size(), 1);
    QCOMPARE(fakes->boxes.shown[0].text, shown);
    QCOMPARE(fakes->boxes.shown[0].icon, BoxIcon::None);
}

void TestCommands::onlineHelpLendsAHiddenAboutWindow()
{
    QVERIFY(!form->about());
    command("menuOnline");
    QCOMPARE(fakes->urls.opened, QList<QUrl>{Form1::homePage()});
    QVERIFY(Form1::homePage().isValid());
    QPointer<frmAbout> lent = form->about();
    QVERIFY(lent);
    QVERIFY(!lent->isVisible());
    // Loaded already: the caption at creation is never seen.
    QCOMPARE(lent->windowTitle(), QStringLiteral("Quorrelのﾊﾞｰｼﾞｮﾝ情報"));

    command("menuVersion");
    QCOMPARE(form->about(), lent.data());
    QVERIFY(lent->isVisible());
    QCOMPARE(lent->windowTitle(), QStringLiteral("Quorrelのﾊﾞｰｼﾞｮﾝ情報"));
    QVERIFY(fakes->boxes.shown.isEmpty()); // a failure to open the page is silent
}

void TestCommands::versionCommandShowsOneAboutWindow()
{
    command("menuVersion");
    command("menuVersion");
    QCOMPARE(aboutWindows(), 1);
    QVERIFY(!form->about()->parentWidget()); // no owner
    QVERIFY(form->isEnabled());              // modeless
    QVERIFY(!QApplication::activeModalWidget());
}

void TestCommands::aboutWindowIsLaidOut()
{
    command("menuVersion");
    frmAbout *about = form->about();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QCOMPARE(about->geometry(), QRect(2340 / 15, 1935 / 15, 5250 / 15, 2115 / 15));
    QCOMPARE(about->minimumSize(), about->maximumSize());
    const Qt::WindowFlags flags = about->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(about->findChild<QLabel *>("picIcon")->geometry(), QRect(16, 16, 32, 32));

    auto *title = about->findChild<QLabel *>("lblTitle");
    QCOMPARE(title->text(), QStringLiteral("Quorrelver1.0"));
    QCOMPARE(title->geometry(), QRect(70, 16, 259, 32));
    QCOMPARE(title->font().family(), kDisplayFamily.toString());
    QCOMPARE(title->palette().color(QPalette::WindowText), kDisplayColour);

    for (const char *name : {"Label1", "Label2"}) {
        auto *label = about->findChild<QLabel *>(QLatin1String(name));
        QCOMPARE(label->x(), title->x());
        QVERIFY(label->y() >= title->geometry().bottom());
        QVERIFY(about->rect().contains(label->geometry()));
        // Wrapped, the whole text fits the label, which holds two lines.
        QVERIFY(label->heightForWidth(label->width()) <= label->height());
        QVERIFY(label->height() >= 2 * label->fontMetrics().height());
    }
}

void TestCommands::escapeDoesNotCloseAboutButCloseUnloadsIt()
{
    command("menuVersion");
    QPointer<frmAbout> first = form->about();
    QVERIFY(QTest::qWaitForWindowExposed(first));
    QTest::keyClick(first, Qt::Key_Escape);
    QVERIFY(first->isVisible());

    first->close();
    QTRY_VERIFY(!first); // unloaded
    QVERIFY(!form->about());
    QVERIFY(form->isVisible()); // the main window goes on

    command("menuVersion");
    QVERIFY(form->about());
    QCOMPARE(form->about()->windowTitle(), QStringLiteral("Quorrelのﾊﾞｰｼﾞｮﾝ情報"));
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
