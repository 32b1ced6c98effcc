// The clock display and the alarm check.

#include "mainwindow/form1.h"

#include "platform/activation.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace quorrel {

namespace {

// A box says when its slot was due once it comes this late.
constexpr int kLateSeconds = 60;
constexpr int kSecondsPerDay = 24 * 3600;
constexpr int kLastSecond = kSecondsPerDay - 1;
// Of the day before, seconds never shown are judged this long before the
// first second shown on the new day: what a short sleep took, not a day's jump.
constexpr int kUnseenCatchUpSeconds = 3600;

int secondOfDay(const QDateTime &at)
{
    return at.time().msecsSinceStartOfDay() / 1000;
}

} // namespace

std::optional<int> clockSecond(const QString &text)
{
    const QTime time = QTime::fromString(text, u"H:mm:ss");
    if (!time.isValid() || time.toString(u"H:mm:ss") != text)
        return std::nullopt;
    return time.msecsSinceStartOfDay() / 1000;
}

void Form1::armClock(const QTime &now)
{
    // A moment into the clock's next tenth of a second, wherever the clock has
    // been set.
    if (!m_unloaded)
        Timer1.start(100 - now.msec() % 100 + 1);
}

void Form1::Timer1_Timer()
{
    // One reading for the next tick and both labels, so that they never
    // straddle a second or midnight.
    const QDateTime now = m_platform.clock.now();
    armClock(now.time());
    const bool newSecond = !m_shownAt.isValid() || now.date() != m_shownAt.date()
                           || secondOfDay(now) != secondOfDay(m_shownAt);
    if (m_shownAt.isValid() && m_shownAt.daysTo(now) == 1) {
        m_lastSeenBefore = secondOfDay(m_shownAt);
        m_firstSeenToday = secondOfDay(now);
    }
    m_shownAt = now;
    // Ten ticks a second, and the labels change once: nine ticks in ten would
    // write the texts they hold.
    if (!newSecond)
        return;
    if (m_shownAt.date() != m_dateShown) {
        m_dateShown = m_shownAt.date();
        Label1->setText(QLocale::system().toString(m_dateShown, QLocale::ShortFormat));
    }
    // Hours without a leading zero: "3:19:00".
    Label2->setText(m_shownAt.time().toString(u"H:mm:ss"));
    // The alarm starts with the first second shown, not before.
    if (!m_judgedDate.isValid()) {
        m_judgedDate = m_shownAt.date();
        m_judgedSecond = secondOfDay(m_shownAt) - 1;
    }
    // The alarm judges each second, and the picture its hour, just after the
    // clock has shown it: in the same wake-up of the program as this tick
    // rather than in one each of their own.
    if (!m_unloaded) {
        Timer3.start(0);
        Timer2.start(0);
    }
}

void Form1::Timer3_Timer()
{
    // While an alert box is open, the seconds shown meanwhile wait until it
    // closes rather than stacking a second box on the first.
    if (m_alerting)
        return;
    m_alerting = true;
    while (!m_unloaded && m_judgedDate.isValid()) {
        // Every second since the last one judged, so that a stall, a suspend
        // or a clock put forward loses no alert. A clock set back just moves
        // the mark back.
        const QDate today = m_shownAt.date();
        const int now = secondOfDay(m_shownAt);
        // What was left of the day before is judged on its own day first:
        // the seconds shown while a box held the alarm over midnight, and of
        // those never shown (a sleep, a clock put forward) only the last hour
        // before the first second shown today. A day's jump brings back no
        // alert of the day before.
        if (m_judgedDate.daysTo(today) == 1 && m_judgedSecond < kLastSecond) {
            const int after = m_judgedSecond;
            const int unseenFrom = std::max(m_lastSeenBefore, kSecondsPerDay + m_firstSeenToday
                                                                  - kUnseenCatchUpSeconds);
            m_judgedSecond = kLastSecond;
            alertDue(m_judgedDate, after, m_lastSeenBefore, kSecondsPerDay + now);
            alertDue(m_judgedDate, std::max(after, unseenFrom), kLastSecond, kSecondsPerDay + now);
            continue;
        }
        const int after = m_judgedDate == today ? m_judgedSecond : m_judgedDate < today ? -1 : now;
        // What was shown is kept for the days a step of the clock may bring
        // back.
        std::erase_if(m_alerted, [&](const auto &shown) {
            return std::abs(std::get<0>(shown).daysTo(today)) > 1;
        });
        m_judgedDate = today;
        m_judgedSecond = now;
        if (after >= now)
            break;
        alertDue(today, after, now, now);
    }
    m_alerting = false;
    tellUser({});
}

void Form1::alertDue(const QDate &day, int after, int upTo, int shownSecond)
{
    struct Due {
        int second;
        int slot;
        QString time;
    };
    std::vector<Due> due;
    for (int i = 0; i < kSlotCount; ++i) {
        const QString time = Text1[i]->text();
        const std::optional<int> second = clockSecond(time);
        if (second && *second > after && *second <= upTo)
            due.push_back({*second, i, time});
    }
    // In time order; slots due at the same second in index order.
    std::stable_sort(due.begin(), due.end(),
                     [](const Due &a, const Due &b) { return a.second < b.second; });
    for (const Due &slot : due) {
        if (m_unloaded)
            break;
        // Read afresh, as an earlier box may have been open a while. A time
        // text alerts once a day, whichever way the clock goes meanwhile.
        if (Text1[slot.slot]->text() != slot.time
            || !m_alerted.insert({day, slot.slot, slot.time}).second)
            continue;
        QString message = Text2[slot.slot]->text();
        if (shownSecond - slot.second >= kLateSeconds)
            message += QStringLiteral("\n（%1%2 の予定でした）")
                           .arg(shownSecond >= kSecondsPerDay ? QStringLiteral("昨日 ") : QString(),
                                slot.time);
        prepareAlert();
        m_platform.boxes.show(this, message, BoxIcon::Critical);
    }
}

void Form1::prepareAlert()
{
    // Forward, but the keyboard is left to the box, which asks for it: asked
    // for by this window, a window manager may take the user over to its
    // workspace rather than bring the box to theirs.
    if (isMinimized())
        showNormal();
    raise();
    // A reminder nobody notices is missed: heard, and flagged by the window
    // manager should the window not come forward.
    m_platform.sound.play();
    QApplication::alert(this);
}

void Form1::bringToFront(const QString &activationToken)
{
    if (isMinimized())
        showNormal();
    raise();
    useActivationToken(activationToken);
    activateWindow();
}

} // namespace quorrel
