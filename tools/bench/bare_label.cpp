// The earlier yardstick for scripts/bench, kept so that its figures can be
// compared over time: a bare Qt window with one label that shows the time from
// its first frame and that a 100 ms timer rewrites.

#include <QApplication>
#include <QLabel>
#include <QTime>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel label;
    label.setWindowTitle(QStringLiteral("bare-label"));
    label.resize(347, 382);
    const auto tick = [&label] { label.setText(QTime::currentTime().toString(u"H:mm:ss")); };
    tick();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &label, tick);
    timer.start(100);
    label.show();
    return app.exec();
}
