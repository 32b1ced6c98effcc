// The clock display, the alarm and the half-day picture over a whole day, on a
// fake clock with the timers' slots called as their ticks would fall.

#include "support/fakes.h"

using namespace quorrel;
using namespace quorrel::test;

class TestClock : public QObject, private FormFixture {
    Q_OBJECT

private slots:
    void init()
    {
        createForm();
        switches.clear();
        shown = 0;
    }
    void cleanup() { destroyForm(); }

    void wholeDayAlertsEachSlotOnce_data()
    {
        QTest::addColumn<int>("alarmPhase");
        QTest::addColumn<QByteArray>("zone");
        // "TIME+S", "TIME-S": at TIME the clock jumps by S seconds, with no tick
        // between; "TIME=TEXT": at TIME slot 7's time text becomes TEXT.
        QTest::addColumn<QStringList>("moves");
        QTest::addColumn<QString>("firstBox"); // "hold" open 5 s, or "close" the window meanwhile
        QTest::addColumn<QStringList>("texts");
        const QStringList once{"m0", "m1", "m2", "m5", "m10", "m7", "m3", "m9", "m0", "m1"};
        const auto row = [&](const char *name, const QStringList &moves, const QStringList &texts,
                             const char *firstBox = "", const char *zone = "Asia/Tokyo",
                             int phase = 437) {
            QTest::newRow(name) << phase << QByteArray(zone) << moves << firstBox << texts;
        };
        row("alarm 1 ms after the clock", {}, once, "", "Asia/Tokyo", 1);
        row("alarm 999 ms after the clock", {}, once, "", "Asia/Tokyo", 999);
        row("stalled over 3:19:01 and 3:19:02", {"3:19:00.500+4"}, once);
        row("set back 14 s after them", {"3:19:05.000-14"}, once);
        QStringList late = once, edited = once;
        late[5] = "m7\n（9:05:07 の予定でした）";
        edited.insert(6, "m7");
        row("put forward an hour over 9:05:07", {"9:00:00.000+3600"}, late);
        row("put forward to midnight", {"23:59:50.000+10"}, once.mid(0, 8) << "m1");
        row("9:05:07 edited after its alert", {"9:05:10.000=9:05:30", "9:06:00.000-60"}, edited);
        row("hour repeated as summer time ends", {}, once, "", "America/New_York");
        row("first box held open over the next", {}, once, "hold");
        row("window closed while a box is open", {}, {"m0"}, "close");
    }

    void wholeDayAlertsEachSlotOnce()
    {
        QFETCH(int, alarmPhase);
        QFETCH(QByteArray, zone);
        // The day between the two midnights; New York's summer time ends on it.
        const QDate day = zone == "Asia/Tokyo" ? QDate(2026, 12, 6) : QDate(2026, 11, 1);
        QFETCH(QStringList, moves);
        QFETCH(QStringList, texts);
        QFETCH(QString, firstBox);
        const QStringList slotTexts{
            "23:59:59", "m0",           "0:00:00",  "m1", "1:30:00",  "m2",    "12:00:00", "m3",
            "03:19:01", "leading zero", "3:19:01",  "m5", " 9:05:07", "blank", "9:05:07",  "m7",
            "3:19",     "no seconds",   "12:00:00", "m9", "3:19:02",  "m10"};
        for (int i = 0; i < kSlotCount; ++i) {
            control<QLineEdit>(QStringLiteral("Text1(%1)").arg(i))->setText(slotTexts[2 * i]);
            control<QLineEdit>(QStringLiteral("Text2(%1)").arg(i))->setText(slotTexts[2 * i + 1]);
        }
        // The clock and the alarm timer go on ticking while the first box is open.
        fakes->boxes.whileOpen = [&] {
            fakes->boxes.whileOpen = nullptr;
            if (firstBox == u"close") {
                QCloseEvent request; // as the window system or a signal sends it
                QCoreApplication::sendEvent(form.get(), &request);
            }
            for (int i = 0; firstBox != u"" && i < 50; ++i) {
                fakes->clock.time = fakes->clock.time.addMSecs(100);
                form->Timer1_Timer();
                form->Timer3_Timer(); // must not stack a second box
            }
            QCOMPARE(fakes->boxes.texts.size(), 1);
        };
        form->showMinimized(); // and the panel hidden: neither stops an alert
        const auto local = [&](const QString &time, int days = 0) {
            // From midnight on, so that the first of two 1:30s comes first.
            return QDateTime(day.addDays(days), QTime(0, 0), QTimeZone(zone))
                .addMSecs(QTime::fromString(time, u"H:mm:ss.zzz").msecsSinceStartOfDay());
        };
        fakes->clock.time = local("23:59:58.000", -1);
        for (const QString &move : moves) {
            const qsizetype at = move.indexOf(QRegularExpression(QStringLiteral("[-+=]")));
            run(local(move.left(at)), alarmPhase, alarmPhase);
            if (move[at] == u'=')
                control<QLineEdit>("Text1(7)")->setText(move.mid(at + 1));
            else
                fakes->clock.time = fakes->clock.time.addSecs(move.mid(at).toInt());
        }
        run(local("0:00:02.500", 1), alarmPhase, alarmPhase);

        QCOMPARE(fakes->boxes.texts, texts);
        QVERIFY(!fakes->boxes.icons.contains(BoxIcon::None));
        QCOMPARE(fakes->boxes.played, fakes->boxes.texts.size()); // heard once per box
        QCOMPARE(form->isMinimized(), false);
        QCOMPARE(control<QLabel>("Label1")->text(), day.addDays(1).toString(u"yyyy/MM/dd"));
        QCOMPARE(control<QLabel>("Label2")->text(), QStringLiteral("0:00:02"));
        if (firstBox != u"close") // the very pixmaps, shared rather than copied
            QCOMPARE(switches, (QStringList{"23:59pm", "0:00am", "12:00pm", "0:00am"}));
    }

private:
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
                form->Timer2_Timer(); // the picture's timer, as often
                form->Timer3_Timer();
                if (const qint64 key = picture(); key != shown) {
                    shown = key;
                    switches << fakes->clock.time.toString(u"H:mm")
                                    + (key == half(0) ? "am" : "pm");
                }
                nextAlarm = nextAlarm.addMSecs(950 + random.bounded(101));
            }
            nextClock = std::max(nextClock, fakes->clock.time);
            nextAlarm = std::max(nextAlarm, fakes->clock.time);
        }
    }
    qint64 picture() const { return control<QLabel>("Picture1")->pixmap().cacheKey(); }
    qint64 half(int i) const
    {
        return control<QLabel>(QStringLiteral("Picture2(%1)").arg(i))->pixmap().cacheKey();
    }
    qint64 shown = 0;
    QStringList switches; // "H:mm" and "am" or "pm" at each change of picture
};

QTEST_MAIN(TestClock)
#include "tst_clock.moc"
