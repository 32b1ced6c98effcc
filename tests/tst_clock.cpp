// The clock display, the alarm and the half-day picture, on a fake clock with
// the timers' slots called as their ticks would fall.

#include "support/fakes.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>

using namespace quorrel;
using namespace quorrel::test;

namespace {

QDateTime at(const char *time, int dayOffset = 0)
{
    return QDateTime(QDate(2026, 12, 6).addDays(dayOffset), QTime::fromString(time, "H:mm:ss.zzz"));
}

} // namespace

class TestClock : public QObject, private FormFixture {
    Q_OBJECT

private slots:
    void init() { createForm(); }
    void cleanup() { destroyForm(); }

    void wholeDayAlertsEachSlotOnce_data();
    void wholeDayAlertsEachSlotOnce();
    void alertsWaitForTheOpenBox_data();
    void alertsWaitForTheOpenBox();
    void pictureFollowsTheHalfDay_data();
    void pictureFollowsTheHalfDay();

private:
    void setSlots(const QList<Slot> &records)
    {
        for (int i = 0; i < kSlotCount; ++i) {
            const Slot slot = records.value(i);
            control<QLineEdit>(QStringLiteral("Text1(%1)").arg(i))->setText(slot.time);
            control<QLineEdit>(QStringLiteral("Text2(%1)").arg(i))->setText(slot.message);
        }
    }
    // Moves the clock to `end`, calling the clock tick every 100 ms (+0..5 ms)
    // and the alarm tick every 1000 ms (±50 ms), the first `alarmPhase` ms in.
    // Ticks due while a slot runs come as soon as it returns, as with QTimer.
    void run(const QDateTime &end, int alarmPhase, quint32 seed)
    {
        QRandomGenerator random(seed);
        QDateTime nextClock = fakes->clock.time.addMSecs(100);
        QDateTime nextAlarm = fakes->clock.time.addMSecs(alarmPhase);
        while (fakes->clock.time < end) {
            const bool clock = nextClock <= nextAlarm;
            fakes->clock.time = clock ? nextClock : nextAlarm;
            if (clock) {
                form->Timer1_Timer();
                nextClock = nextClock.addMSecs(100 + random.bounded(6));
            } else {
                form->Timer3_Timer();
                nextAlarm = nextAlarm.addMSecs(950 + random.bounded(101));
            }
            nextClock = std::max(nextClock, fakes->clock.time);
            nextAlarm = std::max(nextAlarm, fakes->clock.time);
        }
    }
    qint64 shown() const { return control<QLabel>("Picture1")->pixmap().cacheKey(); }
    qint64 holder(int i) const
    {
        return control<QLabel>(QStringLiteral("Picture2(%1)").arg(i))->pixmap().cacheKey();
    }
};

void TestClock::wholeDayAlertsEachSlotOnce_data()
{
    QTest::addColumn<int>("alarmPhase");
    QTest::addColumn<quint32>("seed");
    for (int phase : {1, 437, 999})
        QTest::addRow("alarm %d ms after the clock", phase) << phase << quint32(phase);
}

void TestClock::wholeDayAlertsEachSlotOnce()
{
    QFETCH(int, alarmPhase);
    QFETCH(quint32, seed);
    setSlots({{"23:59:59", "m0"},
              {"0:00:00", "m1"},
              {"3:19:00", "m2"},
              {"12:00:00", "m3"},
              {"03:19:01", "leading zero"},
              {"3:19:01", "m5"},
              {" 9:05:07", "leading blank"},
              {"9:05:07", "m7"},
              {"3:19", "no seconds"},
              {"12:00:00", "m9"},
              {"3:19:02", "m10"}});
    form->showMinimized(); // and the panel hidden: neither stops an alert
    fakes->clock.time = at("23:59:58.000", -1);
    run(at("0:00:02.000", 1), alarmPhase, seed);

    QCOMPARE(fakes->boxes.texts,
             (QStringList{"m0", "m1", "m2", "m5", "m10", "m7", "m3", "m9", "m0", "m1"}));
    QVERIFY(!fakes->boxes.icons.contains(BoxIcon::None));
    QCOMPARE(fakes->sound.played, fakes->boxes.texts.size()); // heard once per box
    QVERIFY(!form->isMinimized());
    QCOMPARE(control<QLabel>("Label1")->text(), QStringLiteral("2026/12/07"));
    QCOMPARE(control<QLabel>("Label2")->text(), QStringLiteral("0:00:02"));
}

void TestClock::alertsWaitForTheOpenBox_data()
{
    QTest::addColumn<bool>("closeWhileOpen");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("box held five seconds") << false << QStringList{"first", "second", "3:19:02"};
    QTest::newRow("window closed meanwhile") << true << QStringList{"first"};
}

void TestClock::alertsWaitForTheOpenBox()
{
    QFETCH(bool, closeWhileOpen);
    QFETCH(QStringList, texts);
    setSlots({{},
              {},
              {},
              {"3:19:00", "first"},
              {},
              {},
              {},
              {"3:19:00", "second"},
              {},
              {"3:19:02", "3:19:02"}});
    // The clock and the alarm timer keep ticking while the first box is open.
    fakes->boxes.whileOpen = [&] {
        fakes->boxes.whileOpen = nullptr;
        if (closeWhileOpen) {
            QCloseEvent request; // as the window system or a signal sends it
            QCoreApplication::sendEvent(form.get(), &request);
        }
        for (int i = 0; i < 50; ++i) {
            fakes->clock.time = fakes->clock.time.addMSecs(100);
            form->Timer1_Timer();
            form->Timer3_Timer(); // must not stack a second box
        }
        QCOMPARE(fakes->boxes.texts.size(), 1);
    };
    fakes->clock.time = at("3:18:59.000");
    run(at("3:19:10.000"), 300, 7);
    QCOMPARE(fakes->boxes.texts, texts);
}

void TestClock::pictureFollowsTheHalfDay_data()
{
    QTest::addColumn<QDateTime>("loaded");
    QTest::addColumn<QDateTime>("tick");
    QTest::addColumn<int>("atLoad");
    QTest::addColumn<int>("afterTick");
    QTest::newRow("noon tick") << at("11:59:59.999") << at("12:00:00.000") << 0 << 1;
    QTest::newRow("midnight tick") << at("23:59:59.500") << at("0:00:00.400", 1) << 1 << 0;
    QTest::newRow("jump over noon") << at("11:00:00.000") << at("15:37:12.000") << 0 << 1;
    QTest::newRow("jump over midnight") << at("20:00:00.000") << at("7:00:00.000", 1) << 1 << 0;
    QTest::newRow("loaded at noon") << at("12:00:00.000") << at("12:00:01.000") << 1 << 1;
}

void TestClock::pictureFollowsTheHalfDay()
{
    QFETCH(QDateTime, loaded);
    QFETCH(QDateTime, tick);
    QFETCH(int, atLoad);
    QFETCH(int, afterTick);
    fakes->clock.time = loaded;
    QVERIFY(form->Form_Load());
    QCOMPARE(shown(), holder(atLoad)); // the very pixmap, shared rather than copied
    fakes->clock.time = tick;
    form->Timer2_Timer();
    QCOMPARE(shown(), holder(afterTick));
}

QTEST_MAIN(TestClock)
#include "tst_clock.moc"
