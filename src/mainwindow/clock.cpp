// The clock display and the alarm check.

#include "mainwindow/form1.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

#include <algorithm>
#include <optional>
#include <vector>

namespace quorrel {

namespace {

// A box says when its slot was due once it comes this late.
constexpr int kLateSeconds = 60;

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

void Form1::Timer1_Timer()
{
    // One reading for both labels, so that they never straddle midnight.
    m_shownAt = m_platform.clock.now();
    // Ten ticks a second: the date's text is formatted anew only when the date
    // changes.
    if (m_shownAt.date() != m_dateShown) {
        m_dateShown = m_shownAt.date();
        m_dateText = QLocale::system().toString(m_dateShown, QLocale::ShortFormat);
    }
    Label1->setText(m_dateText);
    // Hours without a leading zero: "3:19:00".
    Label2->setText(m_shownAt.time().toString(u"H:mm:ss"));
    // The alarm starts with the first second shown, not before.
    if (!m_judgedDate.isValid()) {
        m_judgedDate = m_shownAt.date();
        m_judgedSecond = secondOfDay(m_shownAt) - 1;
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
        // or a clock put forward loses no alert; within today only. A clock
        // set back just moves the mark back.
        const QDate today = m_shownAt.date();
        const int now = secondOfDay(m_shownAt);
        const int after = m_judgedDate == today ? m_judgedSecond : m_judgedDate < today ? -1 : now;
        if (m_judgedDate != today)
            std::erase_if(m_alerted,
                          [&](const auto &shown) { return std::get<0>(shown) != today; });
        m_judgedDate = today;
        m_judgedSecond = now;
        if (after >= now)
            break;
        alertDue(today, after, now);
    }
    m_alerting = false;
}

void Form1::alertDue(const QDate &day, int after, int upTo)
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
        if (upTo - slot.second >= kLateSeconds)
            message += QStringLiteral("\n（%1 の予定でした）").arg(slot.time);
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

void Form1::bringToFront()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

} // namespace quorrel
