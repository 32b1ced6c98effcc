#include "app/application.h"
#include "app/signalcloser.h"
#include "platform/alertsound.h"
#include "ui/lazyiconstyle.h"

#include <QApplication>
#include <QFontDatabase>
#include <QScopeGuard>
#include <QThreadPool>

#include <cstdlib>
#include <memory>

int main(int argc, char *argv[])
{
    quorrel::guardStart();
    // The frameless main window and the About window's fixed place need a
    // window system that honours client placement: XWayland on a Wayland
    // desktop, unless the user chose a platform.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");

    auto startMessages = std::make_unique<quorrel::StartMessages>();
    QApplication app(argc, argv);
    startMessages.reset();
    // Reading the system's fonts is the longest step of the start; a second
    // core does it while the windows are built, until their first text needs it.
    QThreadPool::globalInstance()->start([] { QFontDatabase::families(); });
    // The application owns the fonts: it goes only once they are read.
    const auto fontsRead = qScopeGuard([] { QThreadPool::globalInstance()->waitForDone(); });
    QApplication::setStyle(new quorrel::LazyIconStyle);
    quorrel::setApplicationIdentity();
    quorrel::installQtTranslations();
    QApplication::setQuitOnLastWindowClosed(false);

    quorrel::SystemClock clock;
    quorrel::QtMessageBoxes boxes(clock);
    quorrel::DesktopUrlOpener urls;
    quorrel::BoxFatalErrors fatal;
    quorrel::CanberraAlertSound sound;
    quorrel::Application quorrel({clock, boxes, urls, fatal, sound,
                                  quorrel::Twips::forScreen(QApplication::primaryScreen())});
    if (!quorrel.start())
        return quorrel.handedOver() ? EXIT_SUCCESS : EXIT_FAILURE;
    return quorrel.exec();
}
