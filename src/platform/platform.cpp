#include "platform/platform.h"

#include "platform/windowhints.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <cmath>
#include <cstdio>

namespace quorrel {

namespace {

// QMessageBox sizes itself to its text alone, which leaves a short one ("9")
// too narrow for the window manager to show the caption beside its buttons.
void fitCaption(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) + kTitleBarRoom;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

void QtMessageBoxes::show(QWidget *parent, const QString &text, BoxIcon icon)
{
    QMessageBox box(icon == BoxIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    kAppTitle.toString(), text, QMessageBox::Ok, parent);
    // Exactly as typed: never markup, pictures or links.
    box.setTextFormat(Qt::PlainText);
    fitCaption(box);
    // An alert comes up above whatever the user is working in, on the
    // workspace they are working on: asked for once the box is mapped, as
    // some window managers place it on its parent's workspace regardless.
    if (icon == BoxIcon::Critical) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        QTimer::singleShot(0, &box, [&box] { moveToCurrentWorkspace(&box); });
    }
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
    box.setTextFormat(Qt::PlainText);
    fitCaption(box);
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
