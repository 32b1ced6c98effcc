#pragma once

// The operating-system services the windows need and the tests replace: the
// clock, modal boxes, the browser, fatal-error reports, the alert sound and the
// twips scale.
// Everything is handed to the windows through their constructors.

#include <QDateTime>
#include <QObject>
#include <QRect>
#include <QString>

class QScreen;
class QUrl;
class QWidget;

namespace quorrel {

// Captions every box the program shows.
inline constexpr QStringView kAppTitle = u"Quorrel";
// Beside its caption, a title bar holds the window's icon and buttons.
inline constexpr int kTitleBarRoom = 160;

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
};

enum class BoxIcon { None, Critical };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Modal: returns once the user has dismissed the box.
    virtual void show(QWidget *parent, const QString &text, BoxIcon icon) = 0;
};

// A box takes no key as its answer until it has been up, and the keyboard
// quiet, for half a second: typing meant for a slot or another program does
// not dismiss it unread, and goes nowhere meanwhile. A click counts once the
// box has been up for as long as a double-click may take (the desktop's
// setting, 400 ms by default), so that a double-click on one box never
// answers the next; from then on, at once, whatever the keyboard does.
class QtMessageBoxes final : public QObject, public MessageBoxes {
public:
    explicit QtMessageBoxes(const Clock &clock);
    void show(QWidget *parent, const QString &text, BoxIcon icon) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const Clock &m_clock;
    QDateTime m_lastKey; // anywhere in the program
};

class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual bool open(const QUrl &url) = 0;
};

class DesktopUrlOpener final : public UrlOpener {
public:
    bool open(const QUrl &url) override;
};

// Reports an error the program cannot go on from. The caller then ends the
// program with a failure status; the report itself only tells the user.
class FatalErrors {
public:
    virtual ~FatalErrors() = default;
    virtual void report(const QString &what, const QString &why) = 0;
};

class BoxFatalErrors final : public FatalErrors {
public:
    void report(const QString &what, const QString &why) override;
};

// The sound that tells the user a reminder has come.
class AlertSound {
public:
    virtual ~AlertSound() = default;
    virtual void play() = 0;
};

// Layouts are given in twips (1/1440 inch); Qt places widgets in pixels.
class Twips {
public:
    explicit Twips(qreal logicalDpi) : m_dpi(logicalDpi) {}
    static Twips forScreen(const QScreen *screen);

    int toPixels(int twips) const;
    QRect rect(int left, int top, int width, int height) const;

private:
    qreal m_dpi;
};

struct Platform {
    Clock &clock;
    MessageBoxes &boxes;
    UrlOpener &urls;
    FatalErrors &fatal;
    AlertSound &sound;
    Twips twips;
};

} // namespace quorrel
