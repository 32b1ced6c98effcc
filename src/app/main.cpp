#include "app/application.h"
#include "app/signalcloser.h"
#include "platform/alertsound.h"
#include "ui/fontreader.h"
#include "ui/lazyiconstyle.h"

#include <QApplication>
#include <QScopeGuard>

#include <cstdlib>
#include <memory>

int main(int argc, char *argv[])
{
    quorrel::guardStart();
    quorrel::FontReader fonts;
    // The frameless main window and the About window's fixed place need a
    // window system that honours client placement: XWayland on a Wayland
    // desktop, unless the user chose a platform.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");

    auto startMessages = std::make_unique<quorrel::StartMessages>();
    QApplication app(argc, argv);
    startMessages.reset();
    fonts.applicationStarted();
    // The application owns the fonts: it goes only once they are read.
    const auto fontsRead = qScopeGuard([&fonts] { fonts.wait(); });
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
