// The clock display and the alarm check.

#include "mainwindow/form1.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

namespace quorrel {

void Form1::Timer1_Timer()
{
    Label1->setText(
        QLocale::system().toString(m_platform.clock.now().date(), QLocale::ShortFormat));
    // Hours without a leading zero: "3:19:00".
    const QString shown = m_platform.clock.now().time().toString(u"H:mm:ss");
    Label2->setText(shown);
    // Every second the label shows is judged by the alarm exactly once, however
    // the alarm timer's ticks fall against the clock's.
    if (shown != m_lastShown) {
        m_lastShown = shown;
        m_unjudged.push_back(shown);
    }
}

void Form1::Timer3_Timer()
{
    // While an alert box is open, the texts shown meanwhile wait their turn
    // below rather than stacking a second box on the first.
    if (m_alerting)
        return;
    m_alerting = true;
    while (!m_unjudged.empty() && !m_unloaded) {
        const QString shown = m_unjudged.front();
        m_unjudged.pop_front();
        for (int i = 0; i < kSlotCount && !m_unloaded; ++i) {
            // Exact text: "03:19:00", "3:19" or " 3:19:00" never match.
            if (Text1[i]->text() != shown)
                continue;
            prepareAlert();
            m_platform.boxes.show(this, Text2[i]->text(), BoxIcon::Critical);
        }
    }
    m_alerting = false;
}

void Form1::prepareAlert()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    // A reminder nobody notices is missed: heard, and flagged by the window
    // manager should the window not come forward.
    m_platform.sound.play();
    QApplication::alert(this);
}

} // namespace quorrel
