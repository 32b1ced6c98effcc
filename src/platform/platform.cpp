#include "platform/platform.h"

#include "platform/activation.h"
#include "platform/windowhints.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QGridLayout>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QStyleHints>
#include <QTextBoundaryFinder>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace quorrel {

namespace {

// How long a box must have been up, and the keyboard quiet, before a key
// answers it.
constexpr int kQuietMs = 500;
constexpr char kShownAt[] = "quorrelShownAt";

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

// The monitor the user works on: the one holding the pointer.
QScreen *pointerScreen()
{
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    return screen ? screen : QGuiApplication::primaryScreen();
}

// Exactly as given, never as markup; a text longer than a box can hold on the
// screen is cut, and shown whole in the box's details, which scroll and wrap.
void setText(QMessageBox &box, const QString &text)
{
    constexpr int kMaxCharacters = 400;
    constexpr int kMaxLines = 12;
    box.setTextFormat(Qt::PlainText);
    QString shown = text.left(kMaxCharacters);
    // The box's label breaks lines only where words may break: a word wider
    // than the box (a link, a path) would widen it past the screen and still
    // be cut. Qt's boxes wrap text at half the screen, 500 pixels at most.
    const int maxWidth = std::min(pointerScreen()->availableGeometry().width() / 2, 500);
    const QFontMetrics metrics = box.fontMetrics();
    QTextBoundaryFinder words(QTextBoundaryFinder::Line, shown);
    for (qsizetype start = 0, end = words.toNextBoundary(); end > 0;
         start = end, end = words.toNextBoundary()) {
        const QString word = shown.mid(start, end - start);
        if (metrics.horizontalAdvance(word) > maxWidth) {
            // What fits of it, less the ellipsis Qt puts in place of the rest.
            shown.truncate(start + metrics.elidedText(word, Qt::ElideRight, maxWidth).size() - 1);
            break;
        }
    }
    // Wherever the box's label breaks a line.
    static const QRegularExpression lineBreak(QStringLiteral("[\\n\\r\\v\\f\\x{2028}\\x{2029}]"));
    qsizetype lineEnd = -1;
    for (int line = 0; line < kMaxLines; ++line) {
        lineEnd = shown.indexOf(lineBreak, lineEnd + 1);
        if (lineEnd < 0)
            break;
    }
    if (lineEnd >= 0)
        shown.truncate(lineEnd);
    if (shown.size() == text.size()) {
        box.setText(text);
        return;
    }
    if (shown.back().isHighSurrogate())
        shown.chop(1);
    box.setText(shown + QStringLiteral("…\n\n（長いため、全文は詳細に示します。）"));
    box.setDetailedText(text);
}

// A box comes up on the monitor the user works on, if that is not its
// parent's: placed once Qt has centred it on its parent and before it is
// mapped, so that the window manager takes it as the program's own place.
class AlertBox final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent *event) override
    {
        QMessageBox::showEvent(event);
        // Qt itself centres a box without a parent on the pointer's monitor.
        QScreen *screen = pointerScreen();
        if (!parentWidget() || screen == parentWidget()->window()->screen())
            return;
        QRect place = geometry();
        place.moveCenter(screen->availableGeometry().center());
        windowHandle()->setScreen(screen);
        move(place.topLeft());
    }
};

} // namespace

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

QtMessageBoxes::QtMessageBoxes(const Clock &clock) : m_clock(clock)
{
    qApp->installEventFilter(this);
}

bool QtMessageBoxes::eventFilter(QObject *watched, QEvent *event)
{
    // Each key or click once, where it comes to a window, before any widget
    // has it.
    const QEvent::Type type = event->type();
    const bool key = type == QEvent::KeyPress || type == QEvent::KeyRelease;
    const bool click = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease
                       || type == QEvent::MouseButtonDblClick;
    if (!watched->isWindowType() || (!key && !click))
        return false;
    const QDateTime now = m_clock.now();
    const QDateTime lastKey = key ? std::exchange(m_lastKey, now) : m_lastKey;
    const QWidget *box = QApplication::activeModalWidget();
    const QVariant shown = box && static_cast<QObject *>(box->windowHandle()) == watched
                               ? box->property(kShownAt)
                               : QVariant();
    if (!shown.isValid())
        return false;
    // A clock set back counts as time gone by, not as a box just shown.
    const qint64 up = qAbs(shown.toDateTime().msecsTo(now));
    // The second click of a double-click on the box before is not an answer.
    if (click)
        return up < QGuiApplication::styleHints()->mouseDoubleClickInterval();
    return up < kQuietMs || (lastKey.isValid() && qAbs(lastKey.msecsTo(now)) < kQuietMs);
}

void QtMessageBoxes::show(QWidget *parent, const QString &text, BoxIcon icon)
{
    // A Wayland compositor hides a box with its minimised window, and tells
    // no program that its window is minimised: there an alert stands alone.
    const bool wayland = onWayland();
    if (icon == BoxIcon::Critical && wayland)
        parent = nullptr;
    AlertBox box(icon == BoxIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                 kAppTitle.toString(), {}, QMessageBox::Ok, parent);
    setText(box, text);
    fitCaption(box);
    // An alert comes up above whatever the user is working in, on the
    // workspace they are working on: asked for once the box is mapped, as
    // some window managers place it on its parent's workspace regardless.
    if (icon == BoxIcon::Critical) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        QTimer::singleShot(0, &box, [&box] { moveToCurrentWorkspace(&box); });
    }
    // Where Qt draws the title bar itself on Wayland, it has a minimise button,
    // and nothing would bring the box back: a minimised box shows again.
    bool minimised = false;
    if (wayland) {
        box.winId();
        connect(box.windowHandle(), &QWindow::windowStateChanged, &box,
                [&box, &minimised](Qt::WindowState state) {
                    if (state != Qt::WindowMinimized)
                        return;
                    minimised = true;
                    // Not within the title bar's click, which the hide would end.
                    QMetaObject::invokeMethod(&box, &QWidget::hide, Qt::QueuedConnection);
                });
    }
    do {
        box.setWindowState(Qt::WindowNoState);
        box.setProperty(kShownAt, m_clock.now());
        box.exec();
    } while (std::exchange(minimised, false));
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
    QMessageBox box(QMessageBox::Critical, kAppTitle.toString(), {}, QMessageBox::Ok);
    setText(box, text);
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
