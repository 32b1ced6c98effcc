#include "app/application.h"
#include "platform/alertsound.h"

#include <QApplication>

#include <cstdlib>

int main(int argc, char *argv[])
{
    // The frameless main window and the About window's fixed place need a
    // window system that honours client placement: XWayland on a Wayland
    // desktop, unless the user chose a platform.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");

    QApplication app(argc, argv);
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
