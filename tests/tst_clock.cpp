// The clock display, the alarm and the half-day picture, on a fake clock with
// the timers' slots called as their ticks would fall.

#include "support/formfixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>

using namespace quorrel;
using namespace quorrel::test;

namespace {

const QDate kDay(2026, 12, 6);

QDateTime at(const QString &time, int dayOffset = 0)
{
    return QDateTime(kDay.addDays(dayOffset), QTime::fromString(time, u"H:mm:ss.zzz"));
}

} // namespace

class TestClock : public QObject, private FormFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void wholeDayAlertsEachSlotOnce();
    void tickPhaseNeverLosesOrDoublesASecond_data();
    void tickPhaseNeverLosesOrDoublesASecond();
    void sameTimeAlertsBothWhileFirstBoxIsHeld();
    void alertRestoresAMinimisedWindow();
    void dateLabelChangesAfterMidnight();
    void pictureFollowsTheHalfDay_data();
    void pictureFollowsTheHalfDay();

private:
    QLineEdit *field(const char *name, int slot) const
    {
        return control<QLineEdit>(QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(slot));
    }
    void setSlot(int slot, const QString &time, const QString &message)
    {
        field("Text1", slot)->setText(time);
        field("Text2", slot)->setText(message);
    }
    // Moves the clock to `end`, calling the clock tick every 100 ms (+0..5 ms)
    // and the alarm tick every 1000 ms (±50 ms), starting from the clock's
    // present time; the alarm's first tick comes `alarmPhase` ms in. Ticks due
    // while a slot runs come as soon as it returns, as with QTimer.
    void run(const QDateTime &end, int alarmPhase, quint32 seed);
    qint64 picture() const { return control<QLabel>("Picture1")->pixmap().cacheKey(); }
    qint64 holder(int index) const
    {
        return control<QLabel>(QStringLiteral("Picture2(%1)").arg(index))->pixmap().cacheKey();
    }
};

void TestClock::init()
{
    createForm();
    for (int i = 0; i < kSlotCount; ++i)
        setSlot(i, QString(), QString());
}

void TestClock::cleanup()
{
    destroyForm();
}

void TestClock::run(const QDateTime &end, int alarmPhase, quint32 seed)
{
    QRandomGenerator random(seed);
    QDateTime nextClock = fakes->clock.time.addMSecs(100);
    QDateTime nextAlarm = fakes->clock.time.addMSecs(alarmPhase);
    while (fakes->clock.time < end) {
        if (nextClock <= nextAlarm) {
            fakes->clock.time = nextClock;
            form->Timer1_Timer();
            nextClock = nextClock.addMSecs(100 + random.bounded(6));
        } else {
            fakes->clock.time = nextAlarm;
            form->Timer3_Timer();
            nextAlarm = nextAlarm.addMSecs(950 + random.bounded(101));
        }
        // Time spent inside a slot (a box held open) delays the next ticks.
        nextClock = std::max(nextClock, fakes->clock.time);
        nextAlarm = std::max(nextAlarm, fakes->clock.time);
    }
}

void TestClock::wholeDayAlertsEachSlotOnce()
{
    setSlot(0, "23:59:59", "m0");
    setSlot(1, "0:00:00", "m1");
    setSlot(2, "3:19:00", "m2");
    setSlot(3, "12:00:00", "m3");
    setSlot(4, "03:19:00", "leading zero");
    setSlot(5, "3:19", "no seconds");
    setSlot(6, " 9:05:07", "leading blank");
    setSlot(7, "9:05:07", "m7");
    setSlot(8, "Label2", "initial label text");
    setSlot(9, "12:00:00", "m9");
    setSlot(10, "", "empty time");
    QVERIFY(control("Picture3")->isHidden()); // hidden fields still alert

    fakes->clock.time = at("23:59:58.000", -1);
    run(at("0:00:02.000", 1), 437, 20261206);

    QCOMPARE(fakes->boxes.texts(), (QStringList{"m0", "m1", "m2", "m7", "m3", "m9", "m0", "m1"}));
    for (const auto &box : fakes->boxes.shown)
        QCOMPARE(box.icon, BoxIcon::Critical);
}

void TestClock::tickPhaseNeverLosesOrDoublesASecond_data()
{
    QTest::addColumn<int>("alarmPhase");
    QTest::addColumn<quint32>("seed");
    for (int phase : {1, 99, 500, 950, 999})
        for (quint32 seed : {1u, 2u, 3u})
            QTest::addRow("phase %d ms, seed %u", phase, seed) << phase << seed;
}

void TestClock::tickPhaseNeverLosesOrDoublesASecond()
{
    QFETCH(int, alarmPhase);
    QFETCH(quint32, seed);
    setSlot(0, "3:19:00", "a");
    setSlot(1, "3:19:01", "b");
    setSlot(2, "3:19:02", "c");
    fakes->clock.time = at("3:18:50.000");
    run(at("3:19:30.000"), alarmPhase, seed);
    QCOMPARE(fakes->boxes.texts(), (QStringList{"a", "b", "c"}));
}

void TestClock::sameTimeAlertsBothWhileFirstBoxIsHeld()
{
    setSlot(3, "3:19:00", "first");
    setSlot(7, "3:19:00", "second");
    setSlot(9, "3:19:02", "shown while the first box was open");
    // The first box stays open for five seconds; the clock keeps running and
    // the alarm timer keeps ticking meanwhile.
    bool held = false;
    fakes->boxes.whileOpen = [&] {
        if (held)
            return;
        held = true;
        const QDateTime until = fakes->clock.time.addSecs(5);
        while (fakes->clock.time < until) {
            fakes->clock.time = fakes->clock.time.addMSecs(100);
            form->Timer1_Timer();
            form->Timer3_Timer(); // must not stack a second box
        }
        QCOMPARE(control<QLabel>("Label2")->text(), QStringLiteral("3:19:05"));
        QCOMPARE(fakes->boxes.shown.size(), 1);
    };
    fakes->clock.time = at("3:18:59.000");
    run(at("3:19:10.000"), 300, 7);
    QCOMPARE(fakes->boxes.texts(),
             (QStringList{"first", "second", "shown while the first box was open"}));
}

void TestClock::alertRestoresAMinimisedWindow()
{
    setSlot(0, "3:19:00", "wake");
    form->showMinimized();
    QVERIFY(form->isMinimized());
    fakes->clock.time = at("3:18:59.500");
    run(at("3:19:02.000"), 100, 1);
    QCOMPARE(fakes->boxes.texts(), QStringList{"wake"});
    QVERIFY(!form->isMinimized());
}

void TestClock::dateLabelChangesAfterMidnight()
{
    auto *date = control<QLabel>("Label1");
    auto *time = control<QLabel>("Label2");
    fakes->clock.time = at("23:59:59.950");
    form->Timer1_Timer();
    QCOMPARE(date->text(), QStringLiteral("2026/12/06"));
    QCOMPARE(time->text(), QStringLiteral("23:59:59"));
    fakes->clock.time = at("0:00:00.050", 1);
    form->Timer1_Timer();
    QCOMPARE(date->text(), QStringLiteral("2026/12/07"));
    QCOMPARE(time->text(), QStringLiteral("0:00:00"));
    QCOMPARE(field("Text1", 0)->text(), QString()); // slots are not cleared
}

void TestClock::pictureFollowsTheHalfDay_data()
{
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<QDateTime>("tick");
    QTest::addColumn<int>("holder");
    QTest::addColumn<int>("holderAtLoad");
    QTest::newRow("noon tick") << "11:59:59.999" << at("12:00:00.000") << 1 << 0;
    QTest::newRow("midnight tick") << "23:59:59.500" << at("0:00:00.400", 1) << 0 << 1;
    QTest::newRow("jump over noon") << "11:00:00.000" << at("15:37:12.000") << 1 << 0;
    QTest::newRow("jump over midnight") << "20:00:00.000" << at("7:00:00.000", 1) << 0 << 1;
    QTest::newRow("loaded at noon") << "12:00:00.000" << at("12:00:01.000") << 1 << 1;
    QTest::newRow("loaded at midnight") << "0:00:00.000" << at("0:00:01.000") << 0 << 0;
}

void TestClock::pictureFollowsTheHalfDay()
{
    QFETCH(QString, loaded);
    QFETCH(QDateTime, tick);
    QFETCH(int, holder);
    QFETCH(int, holderAtLoad);
    fakes->clock.time = at(loaded);
    QVERIFY(form->Form_Load());
    // The very pixmap of the holder, shared rather than copied.
    QCOMPARE(picture(), this->holder(holderAtLoad));
    fakes->clock.time = tick;
    form->Timer2_Timer();
    QCOMPARE(picture(), this->holder(holder));
    form->Timer2_Timer(); // the same picture again changes nothing
    QCOMPARE(picture(), this->holder(holder));
}

QTEST_MAIN(TestClock)
#include "tst_clock.moc"
