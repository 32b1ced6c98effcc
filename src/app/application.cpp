#include "app/application.h"

#include <QApplication>
#include <QSessionManager>

namespace quorrel {

void setApplicationIdentity()
{
    QApplication::setApplicationName(QStringLiteral("Quorrel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORREL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(QUORREL_APP_ID));
}

Application::Application(Platform platform) : m_form(platform)
{
    // The About window may still be open: the program ends with the main window.
    connect(&m_form, &Form1::unloaded, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(&m_signals, &SignalCloser::signalled, this, [this] { m_form.close(); });
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager &) { endSession(); });
    // Any other way the event loop is asked to end still goes through the close.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { m_form.close(); });
}

bool Application::start()
{
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
    m_form.close();
}

} // namespace quorrel
