#pragma once

// Stand-ins for the operating-system services, a current folder of the test's
// own, and a fresh main window on both.

#include "mainwindow/form1.h"

#include <QtTest>
#include <QtWidgets>

namespace quorrel::test {

// The operating system's services, recording what they are asked; whileOpen
// runs while a box is "open".
struct FakePlatform final : Clock, MessageBoxes, FatalErrors, UrlOpener, AlertSound {
    QDateTime time{QDate(2026, 12, 6), QTime(9, 0)};
    QStringList texts, reports;
    QList<BoxIcon> icons;
    QList<QUrl> opened;
    int played = 0;
    std::function<void()> whileOpen;

    Platform platform(qreal dpi = 96) { return {*this, *this, *this, *this, *this, Twips(dpi)}; }
    QDateTime now() const override { return time; }
    void show(QWidget *, const QString &text, BoxIcon icon) override
    {
        texts << text;
        icons << icon;
        if (whileOpen)
            whileOpen();
    }
    void report(const QString &what, const QString &why) override
    {
        reports << what + u'\n' + why;
        if (whileOpen)
            whileOpen();
    }
    bool open(const QUrl &url) override { return opened << url, false; } // failing, silently
    void play() override { ++played; }
};

// A fresh temporary folder, made current: the program's file is there.
struct TemporaryCurrentDir : QTemporaryDir {
    TemporaryCurrentDir() { QDir::setCurrent(path()); }
};

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A fresh main window for each test, on the fakes, in a folder of its own.
class FormFixture {
protected:
    void createForm(qreal dpi = 96)
    {
        dir = std::make_unique<TemporaryCurrentDir>();
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir->path())); // where the slots are rescued
        fakes = std::make_unique<FakePlatform>();
        form = std::make_unique<Form1>(fakes->platform(dpi));
    }
    void destroyForm() { form.reset(), fakes.reset(), dir.reset(); }
    // A control of the window by its name, such as "Text1(3)".
    template <typename T = QWidget> T *control(const QString &name) const
    {
        auto *found = form->findChild<T *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }

    std::unique_ptr<TemporaryCurrentDir> dir;
    std::unique_ptr<FakePlatform> fakes;
    std::unique_ptr<Form1> form;
};

} // namespace quorrel::test
