#pragma once

#include "schedule/schedulefile.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

namespace quorrel {

// The schedule file as the running program keeps it: read at start, written
// about a second after the user stops typing and at the close, and watched for
// other programs' changes. What is on disk and was neither read nor written
// here is never replaced without a copy kept beside it.
class ScheduleStore : public QObject {
    Q_OBJECT

public:
    // `current` gives the schedule as the window shows it at the moment of a save.
    ScheduleStore(const QString &path, std::function<QList<Slot>()> current,
                  QObject *parent = nullptr);

    QString path() const { return m_path; }
    QString backupPath() const { return m_path + u'~'; }

    // Reads the file at start and begins watching it.
    LoadResult load();

    // Writes the slots now (the close); empty on success, else why not.
    QString save();

    // Stops the background saves and the watching, before the close's save.
    void stop();

    QTimer &saveTimer() { return m_saveTimer; }

public slots:
    // A slot was edited: save once the user has stopped for a moment.
    void edited();
    // The save timer's slot: the same save as at the close, reported once
    // when it fails, and tried again at the next edit and at the close.
    void saveEdits();
    // Compares the file on disk with what was last read or written, and takes
    // in another program's version unless an edit of the user's waits.
    void checkFile();

signals:
    void changedOutside(const QList<Slot> &records);
    void unreadableOutside(const QString &why);
    // A version not written here was copied to backupPath() before a save.
    void backedUp();
    void backgroundSaveFailed(const QString &why);

private:
    void watch();

    QString m_path;
    std::function<QList<Slot>()> m_slots;
    // The bytes last read or written here; nothing when there was no file.
    std::optional<QByteArray> m_known;
    std::optional<QByteArray> m_reportedUnreadable;
    bool m_unsaved = false;
    bool m_failureReported = false;
    bool m_stopped = false;
    QTimer m_saveTimer;
    // Lets a writer that is not atomic finish before the file is read.
    QTimer m_settleTimer;
    QFileSystemWatcher m_watcher;
};

} // namespace quorrel
