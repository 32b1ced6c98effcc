#include "app/application.h"

#include "ui/programicon.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QSessionManager>
#include <QTranslator>

#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace quorrel {

namespace {

Application *g_running = nullptr;
QtMessageHandler g_nextHandler = nullptr;
QLoggingCategory::CategoryFilter g_nextFilter = nullptr;
bool g_warningsShown = true;

// When its connection to the X server breaks, Qt warns and then ends the
// program with exit(), where no close can run: the warning is the last moment
// the slots can still be written. It must come here whatever the logging rules
// say; whether it is printed stays theirs.
void saveOnLostDisplay(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const bool warning = type == QtWarningMsg && qstrcmp(context.category, "default") == 0;
    if (g_running && warning && message.startsWith(u"The X11 connection broke"))
        g_running->form().saveBeforeExit();
    if (g_nextHandler && (!warning || g_warningsShown))
        g_nextHandler(type, context, message);
}

void keepWarnings(QLoggingCategory *category)
{
    if (g_nextFilter)
        g_nextFilter(category);
    if (qstrcmp(category->categoryName(), "default") == 0) {
        g_warningsShown = category->isWarningEnabled();
        category->setEnabled(QtWarningMsg, true);
    }
}

struct HeldMessage {
    QtMsgType type;
    const char *category; // Qt's categories are named by literals
    QString text;
};
QList<HeldMessage> g_held;
QtMessageHandler g_startHandler = nullptr;
QByteArray g_noDesktop; // the sentence, made before it may be needed in a signal handler
// Connecting to a window system takes well under a second.
constexpr unsigned kAnswerSeconds = 15;

QString described(const char *variable)
{
    const QLatin1StringView name(variable);
    return qEnvironmentVariableIsSet(variable)
               ? QStringLiteral("%1=\"%2\"").arg(name, qEnvironmentVariable(variable))
               : QStringLiteral("%1 なし").arg(name);
}

[[noreturn]] void endWithoutDesktop(int = 0)
{
    [[maybe_unused]] const auto written =
        ::write(STDERR_FILENO, g_noDesktop.constData(), g_noDesktop.size());
    ::_exit(EXIT_FAILURE);
}

void holdMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // Qt's last words before it ends the program itself, when the window
    // system closes the connection it had just taken.
    if (type == QtFatalMsg || message.startsWith(u"The Wayland connection")
        || message.startsWith(u"The X11 connection broke"))
        endWithoutDesktop();
    g_held.append({type, context.category, message});
}

} // namespace

StartMessages::StartMessages()
{
    g_noDesktop =
        QStringLiteral("quorrel: ウィンドウを表示するデスクトップに接続できません（%1、%2）。\n")
            .arg(described("DISPLAY"), described("WAYLAND_DISPLAY"))
            .toUtf8();
    g_startHandler = qInstallMessageHandler(holdMessage);
    // One that takes the connection but never answers would hold Qt up for good.
    std::signal(SIGALRM, endWithoutDesktop);
    ::alarm(kAnswerSeconds);
}

StartMessages::~StartMessages()
{
    ::alarm(0);
    std::signal(SIGALRM, SIG_DFL);
    qInstallMessageHandler(g_startHandler);
    for (const HeldMessage &held : std::exchange(g_held, {}))
        qt_message_output(held.type, QMessageLogContext(nullptr, 0, nullptr, held.category),
                          held.text);
}

void setApplicationIdentity()
{
    QApplication::setApplicationName(QStringLiteral("Quorrel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORREL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(QUORREL_APP_ID));
    // Every window and box of the program, error boxes included.
    QApplication::setWindowIcon(programIcon());
}

void installQtTranslations()
{
    auto *translator = new QTranslator(qApp);
    if (translator->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

Application::Application(Platform platform) : m_form(platform)
{
    // The About window may still be open: the program ends with the main window.
    connect(&m_form, &Form1::unloaded, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(&m_signals, &SignalCloser::signalled, this, &Application::endSession);
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager &) { endSession(); });
    // Any other way the event loop is asked to end still goes through the close.
    connect(qApp, &QCoreApplication::aboutToQuit, &m_form, &Form1::closeUnattended);
    connect(&m_instance, &SingleInstance::raiseRequested, &m_form, &Form1::bringToFront);
    g_running = this;
    g_nextHandler = qInstallMessageHandler(saveOnLostDisplay);
    g_nextFilter = QLoggingCategory::installFilter(keepWarnings);
}

Application::~Application()
{
    QLoggingCategory::installFilter(g_nextFilter);
    qInstallMessageHandler(g_nextHandler);
    g_running = nullptr;
}

bool Application::start()
{
    // Before the file is read: the copy already running owns it.
    if (!m_instance.claim()) {
        m_handedOver = true;
        return false;
    }
    if (!m_form.Form_Load())
        return false;
    m_form.show();
    return true;
}

int Application::exec()
{
    const int status = QApplication::exec();
    return status != 0 ? status : m_form.exitStatus();
}

void Application::endSession()
{
    // Before the schedule has been read (the start-up error is on screen), or
    // once a save has failed, there is nothing to write: end now, which also
    // ends the loop of a box that is open.
    if (!m_form.isLoaded() || m_form.exitStatus() != 0) {
        QCoreApplication::exit(1);
        return;
    }
    m_form.closeUnattended();
}

} // namespace quorrel
