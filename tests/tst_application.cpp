// Start-up and every way out of the program.

#include "app/application.h"
#include "support/fakes.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

using namespace quorrel;
using namespace quorrel::test;

class TestApplication : public QObject {
    Q_OBJECT

private slots:
    void signalClosesAndSavesOnce_data();
    void signalClosesAndSavesOnce();
    void sessionEndSavesOnce();
    void exitCommandEndsTheEventLoop();
    void unreadableFileShowsNoWindow();
    void versionAgreesWithTheMetainfo();
};

void TestApplication::signalClosesAndSavesOnce_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
}

void TestApplication::signalClosesAndSavesOnce()
{
    QFETCH(int, signalNumber);
    TemporaryCurrentDir dir;
    FakePlatform fakes;
    Application app(fakes.platform());
    QVERIFY(app.start());
    QVERIFY(app.form().isVisible());
    QSignalSpy unloaded(&app.form(), &Form1::unloaded);

    // Twice, as a session manager and a user at a terminal might.
    QTimer::singleShot(0, [signalNumber] {
        std::raise(signalNumber);
        std::raise(signalNumber);
    });
    QCOMPARE(app.exec(), 0);
    QCOMPARE(unloaded.size(), 1);
    QVERIFY(!app.form().isVisible());
    QVERIFY(QFile::exists(dir.filePath("savefile.txt")));
}

void TestApplication::sessionEndSavesOnce()
{
    TemporaryCurrentDir dir;
    FakePlatform fakes;
    Application app(fakes.platform());
    QVERIFY(app.start());
    QSignalSpy unloaded(&app.form(), &Form1::unloaded);
    QTimer::singleShot(0, &app, [&app] {
        app.endSession();
        QCoreApplication::quit(); // the session manager's "die"
    });
    QCOMPARE(app.exec(), 0);
    QCOMPARE(unloaded.size(), 1);
    QVERIFY(QFile::exists(dir.filePath("savefile.txt")));
}

void TestApplication::exitCommandEndsTheEventLoop()
{
    TemporaryCurrentDir dir;
    FakePlatform fakes;
    Application app(fakes.platform());
    QVERIFY(app.start());
    QTimer::singleShot(0, &app.form(), &Form1::menuEnd_Click);
    QCOMPARE(app.exec(), 0);
    QVERIFY(QFile::exists(dir.filePath("savefile.txt")));
}

void TestApplication::unreadableFileShowsNoWindow()
{
    TemporaryCurrentDir dir;
    QVERIFY(QDir(dir.path()).mkdir("savefile.txt"));
    FakePlatform fakes;
    Application app(fakes.platform());
    QVERIFY(!app.start());
    QVERIFY(!app.form().isVisible());
    QCOMPARE(fakes.fatal.reports.size(), 1);
    QVERIFY(fakes.fatal.reports[0].contains(dir.filePath("savefile.txt")));
    QVERIFY(QFileInfo(dir.filePath("savefile.txt")).isDir()); // untouched
}

void TestApplication::versionAgreesWithTheMetainfo()
{
    setApplicationIdentity();
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("1.00.0005"));
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("com.example.Quorrel"));
    const QByteArray metainfo = readFile(QStringLiteral(QUORREL_METAINFO));
    QVERIFY(metainfo.contains("<release version=\""
                              + QCoreApplication::applicationVersion().toUtf8() + '"'));
}

QTEST_MAIN(TestApplication)
#include "tst_application.moc"
