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
    void everyWayOutSavesOnce_data();
    void everyWayOutSavesOnce();
    void unreadableFileShowsNoWindow();
    void versionAgreesWithTheMetainfo();
};

void TestApplication::everyWayOutSavesOnce_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("SIGTERM") << "SIGTERM";
    QTest::newRow("SIGINT") << "SIGINT";
    QTest::newRow("SIGHUP") << "SIGHUP";
    QTest::newRow("end of the desktop session") << "session";
    QTest::newRow("exit command") << "exit";
}

void TestApplication::everyWayOutSavesOnce()
{
    QFETCH(QString, way);
    TemporaryCurrentDir dir;
    FakePlatform fakes;
    Application app(fakes.platform());
    QVERIFY(app.start());
    QVERIFY(app.form().isVisible());
    QSignalSpy unloaded(&app.form(), &Form1::unloaded);

    QTimer::singleShot(0, &app, [&app, way] {
        if (way == u"session") {
            app.endSession();
            QCoreApplication::quit(); // the session manager's "die"
        } else if (way == u"exit") {
            app.form().menuEnd_Click();
        } else {
            const int signalNumber = way == u"SIGTERM"  ? SIGTERM
                                     : way == u"SIGINT" ? SIGINT
                                                        : SIGHUP;
            // Twice, as a session manager and a user at a terminal might.
            std::raise(signalNumber);
            std::raise(signalNumber);
        }
    });
    QCOMPARE(app.exec(), 0);
    QCOMPARE(unloaded.size(), 1);
    QVERIFY(!app.form().isVisible());
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
