#include "platform/platform.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

#include <cmath>
#include <cstdio>

namespace quorrel {

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

void QtMessageBoxes::show(QWidget *parent, const QString &text, BoxIcon icon)
{
    QMessageBox box(icon == BoxIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    kAppTitle.toString(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool DesktopUrlOpener::open(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

void BoxFatalErrors::report(const QString &what, const QString &why)
{
    const QString text = what + QStringLiteral("\n\n") + why;
    // Also on stderr, for a start from a terminal or a session log.
    std::fprintf(stderr, "quorrel: %s: %s\n", qUtf8Printable(what), qUtf8Printable(why));
    QMessageBox box(QMessageBox::Critical, kAppTitle.toString(), text, QMessageBox::Ok);
    box.exec();
}

Twips Twips::forScreen(const QScreen *screen)
{
    return Twips(screen ? screen->logicalDotsPerInch() : 96.0);
}

int Twips::toPixels(int twips) const
{
    return static_cast<int>(std::lround(twips * m_dpi / 1440.0));
}

QRect Twips::rect(int left, int top, int width, int height) const
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace quorrel
