// The yardstick for scripts/bench: a bare Qt main window with a Japanese menu
// bar and one label that shows the date and time in Japanese from its first
// frame, and that a 100 ms timer rewrites, as the program's clock does.

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare-window"));
    window.menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    window.menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    auto *label = new QLabel(&window);
    window.setCentralWidget(label);
    window.resize(347, 382);
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    const auto tick = [&] {
        label->setText(
            japanese.toString(QDateTime::currentDateTime(), u"yyyy年M月d日(ddd) H:mm:ss"));
    };
    tick();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, label, tick);
    timer.start(100);
    window.show();
    return app.exec();
}
