#pragma once

#include "app/signalcloser.h"
#include "app/singleinstance.h"
#include "mainwindow/form1.h"

namespace quorrel {

// Name, version, desktop entry and icon of the running program.
void setApplicationIdentity();

// Qt's own texts (the text fields' context menu, its dialogs) in the
// language of the system locale, as far as Qt is translated into it.
void installQtTranslations();

// Holds Qt's messages back while it lives, around the construction of the
// QApplication. Should no window system open there (no display, or one that
// does not answer), Qt would abort with a page about its plugins and a core
// dump: instead the program says so in one sentence and ends with status 1,
// having written nothing. Once one opens, the messages are passed on.
class StartMessages {
public:
    StartMessages();
    ~StartMessages();
    StartMessages(const StartMessages &) = delete;
    StartMessages &operator=(const StartMessages &) = delete;
};

// The program's life is the life of its main window: built and loaded before
// it is shown, and ended by the first close request, whatever its source.
class Application : public QObject {
    Q_OBJECT

public:
    explicit Application(Platform platform);
    ~Application() override;

    // Loads the main window and shows it; false when no window has been
    // shown: after a fatal error, or when another copy serves this folder.
    bool start();

    // start() found another copy serving this folder and brought it forward.
    bool handedOver() const { return m_handedOver; }

    // Serves events until the main window has been closed; the exit status.
    int exec();

    Form1 &form() { return m_form; }

    // The desktop session is ending, or a signal asks the program to end: the
    // same close request as any other, once the schedule has been read;
    // before, the program ends without saving.
    void endSession();

private:
    SignalCloser m_signals;
    Form1 m_form;
    SingleInstance m_instance;
    bool m_handedOver = false;
};

} // namespace quorrel
