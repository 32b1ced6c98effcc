#pragma once

// Stand-ins for the operating-system services, and a current folder of the
// test's own.

#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>

namespace quorrel::test {

class FakeClock final : public Clock {
public:
    QDateTime time{QDate(2026, 12, 6), QTime(9, 0)};
    QDateTime now() const override { return time; }
};

class FakeBoxes final : public MessageBoxes {
public:
    struct Shown {
        QString text;
        BoxIcon icon;
    };
    QList<Shown> shown;
    // Runs while the box is "open", as the nested event loop would.
    std::function<void()> whileOpen;

    void show(QWidget *, const QString &text, BoxIcon icon) override
    {
        shown.append({text, icon});
        if (whileOpen)
            whileOpen();
    }

    QStringList texts() const
    {
        QStringList result;
        for (const Shown &box : shown)
            result << box.text;
        return result;
    }
};

class FakeUrls final : public UrlOpener {
public:
    QList<QUrl> opened;
    bool open(const QUrl &url) override
    {
        opened.append(url);
        return false; // a failure must stay silent
    }
};

class FakeFatal final : public FatalErrors {
public:
    QStringList reports;
    void report(const QString &what, const QString &why) override { reports << what + u'\n' + why; }
};

struct FakePlatform {
    FakeClock clock;
    FakeBoxes boxes;
    FakeUrls urls;
    FakeFatal fatal;
    Platform platform() { return {clock, boxes, urls, fatal, Twips(96)}; }
};

// Makes a fresh temporary folder the current one for the test's life.
class TemporaryCurrentDir {
public:
    TemporaryCurrentDir() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~TemporaryCurrentDir() { QDir::setCurrent(m_previous); }
    TemporaryCurrentDir(const TemporaryCurrentDir &) = delete;
    TemporaryCurrentDir &operator=(const TemporaryCurrentDir &) = delete;

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
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

} // namespace quorrel::test
