#pragma once

#include "schedule/schedulefile.h"

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

namespace quorrel {

// The schedule file as the running program keeps it: read at start, written
// about a second after the user stops typing and at the close, and watched for
// other programs' changes. The user's slots reach the disk before anything is
// told; what is on disk and was neither read nor written here is kept aside
// before it is replaced.
class ScheduleStore : public QObject {
    Q_OBJECT

public:
    // `current` gives the schedule as the window shows it at the moment of a
    // save; `initial`, the texts of the slots that a file does not reach.
    ScheduleStore(std::function<QList<Slot>()> current, QList<Slot> initial,
                  QObject *parent = nullptr);

    // savefile.txt in the current folder as the system is handed it, and as
    // the user is shown it.
    QString path() const { return m_path; }
    QString shownPath() const;

    // Reads the file at start and begins watching it.
    LoadResult load();

    // Writes the slots now (the close), without waiting for anything: empty
    // on success, else why not.
    QString save();

    // Writes the slots where the user's data is kept, under a name of the
    // moment's own, when savefile.txt cannot take them at the close; the path,
    // or empty when that failed too.
    QString rescue();

    // Stops the background saves and the watching, before the close's save.
    void stop();

    QTimer &saveTimer() { return m_saveTimer; }

public slots:
    // A slot was edited: save once the user has stopped for a moment.
    void edited();
    // The save timer's slot: the same save as at the close; after a failure,
    // told once and tried again every few seconds until it succeeds.
    void saveEdits();
    // Compares the file on disk with what was last read or written, once it
    // has been quiet for a moment, and takes in another program's version
    // unless an edit of the user's waits.
    void checkFile();

signals:
    void changedOutside(const QList<Slot> &records);
    // Something the user must know, said once the slots are on disk.
    void tell(const QString &text);

private:
    void watch();
    // True when taking in `records` would leave a slot that holds text of
    // the user's (neither empty nor its initial texts) empty or back at its
    // initial texts.
    bool clears(const QList<Slot> &records) const;
    // Shows the version on disk; false when it must wait. `note`: what the
    // user must be told, once all is in order.
    bool takeIn(const LoadResult &disk, QString &note);
    QString shown(const QString &name) const;
    // The file's bytes for the schedule as the window shows it now.
    QByteArray currentBytes() const;

    QString m_path;
    std::function<QList<Slot>()> m_slots;
    QList<Slot> m_initial;
    // The bytes last read or written here; nothing when there was no file.
    std::optional<QByteArray> m_known;
    // The file as read holds records beyond the last slot: kept whole before
    // the first save drops them.
    bool m_keepWhole = false;
    // Since the first change not yet judged.
    QElapsedTimer m_unsettled;
    // Versions kept aside in this run, each under a name of its own.
    QStringList m_kept;
    bool m_unsaved = false;
    bool m_failing = false;
    bool m_stopped = false;
    QTimer m_saveTimer;
    // Lets a writer that is not atomic finish before the file is judged.
    QTimer m_settleTimer;
    QFileSystemWatcher m_watcher;
};

} // namespace quorrel
