// The morning or afternoon picture.

#include "mainwindow/form1.h"

#include <QLabel>

namespace quorrel {

void Form1::showHalfDayPicture(const QTime &time)
{
    // The very pixmap of the holder, shared rather than copied.
    const QPixmap picture = Picture2[time.hour() < 12 ? 0 : 1]->pixmap();
    if (Picture1->pixmap().cacheKey() != picture.cacheKey())
        Picture1->setPixmap(picture);
}

void Form1::Timer2_Timer()
{
    // Judged from the hour at every tick rather than at the stroke of noon and
    // midnight only, so a suspend across either still ends on the right picture.
    showHalfDayPicture(m_platform.clock.now().time());
}

} // namespace quorrel
