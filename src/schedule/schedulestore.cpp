#include "schedule/schedulestore.h"

#include "platform/textcodec.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quorrel {

namespace {

// After the last keystroke, not at every one.
constexpr int kSaveDelayMs = 1000;
// After a failed save, until one succeeds.
constexpr int kRetryMs = 3000;
// Long enough for a writer that truncates and then writes in pieces.
constexpr int kSettleMs = 500;
// Changes in a busy folder are waited for this long at most before the file
// is judged.
constexpr int kMaxSettleMs = 2000;

// The current folder itself, wherever it is moved: the process's own link to
// it, which also holds a name that is not valid UTF-8, as Qt's path texts
// cannot. Its path where there is no such link.
QString currentFolder()
{
    const QString self = QStringLiteral("/proc/self/cwd");
    return QFileInfo(self).isDir() ? self : QDir::currentPath();
}

// The name, without its ending, of a file of the moment's own where the
// user's data is kept, for what the schedule's folder cannot take.
QString dataStem()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
           + QDateTime::currentDateTime().toString(u"'/savefile-'yyyyMMdd-HHmmss");
}

void warn(const QString &text)
{
    qWarning("quorrel: %s", qUtf8Printable(text));
}

} // namespace

ScheduleStore::ScheduleStore(std::function<QList<Slot>()> current, QList<Slot> initial,
                             QObject *parent)
    : QObject(parent), m_path(currentFolder() + u'/' + kScheduleFileName.toString()),
      m_slots(std::move(current)), m_initial(std::move(initial))
{
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(kSaveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &ScheduleStore::saveEdits);
    m_settleTimer.setSingleShot(true);
    m_settleTimer.setInterval(kSettleMs);
    connect(&m_settleTimer, &QTimer::timeout, this, &ScheduleStore::checkFile);
    // The folder too: a replace by rename gives the file a new inode, and the
    // watch on the old one ends with it.
    const auto settle = [this] {
        if (!m_settleTimer.isActive())
            m_unsettled.start();
        if (m_unsettled.elapsed() < kMaxSettleMs)
            m_settleTimer.start();
    };
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, settle);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, settle);
}

QString ScheduleStore::shown(const QString &name) const
{
    const QFileInfo file(name);
    return file.path() == QFileInfo(m_path).path()
               ? QDir::current().absoluteFilePath(file.fileName())
               : name;
}

QByteArray ScheduleStore::currentBytes() const
{
    return encodeScheduleText(formatSchedule(m_slots()));
}

QString ScheduleStore::shownPath() const
{
    return shown(m_path);
}

LoadResult ScheduleStore::load()
{
    LoadResult loaded = loadScheduleFile(m_path);
    m_known = loaded.bytes;
    m_keepWhole = loaded.dropped;
    watch();
    return loaded;
}

void ScheduleStore::watch()
{
    const QString folder = QFileInfo(m_path).path();
    if (!m_watcher.directories().contains(folder))
        m_watcher.addPath(folder);
    if (!m_watcher.files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
}

bool ScheduleStore::clears(const QList<Slot> &records) const
{
    const QList<Slot> now = m_slots();
    for (int i = 0; i < kSlotCount; ++i) {
        const Slot after = i < records.size() ? records[i] : m_initial[i];
        const auto nothing = [&](const Slot &slot) {
            return slot == Slot{} || slot == m_initial[i];
        };
        if (nothing(after) && !nothing(now[i]))
            return true;
    }
    return false;
}

bool ScheduleStore::takeIn(const LoadResult &disk, QString &note)
{
    // What the user wrote does not go with the slots a version clears: the
    // schedule as it stands is kept first, as a version from outside would
    // be, and without a place for it the version waits.
    if (clears(disk.records)) {
        QString why;
        const QString kept = keepAside(m_path, m_kept, why, dataStem(), currentBytes());
        const QString file = QStringLiteral("予定表ファイル「%1」はほかのプログラムで書き換えられ、"
                                            "入っていた予定のいくつかがなくなっています。")
                                 .arg(shownPath());
        if (kept.isEmpty()) {
            note = file
                   + QStringLiteral("それまでの予定表を残せないため、読み込みませんでした。\n\n")
                   + why;
            return false;
        }
        note = file
               + QStringLiteral("読み込む前に、それまでの予定表を「%1」に残しました。")
                     .arg(shown(kept));
    }
    m_known = disk.bytes;
    m_keepWhole = disk.dropped;
    emit changedOutside(disk.records);
    return true;
}

QString ScheduleStore::save()
{
    const LoadResult disk = loadScheduleFile(m_path);
    const bool outside = disk.status != LoadResult::Status::Missing && disk.bytes != m_known;
    // Another program's version that no edit of the user's waits against is
    // the schedule now: a close right after it must not undo it. One still
    // being written is kept aside instead, where its writer finishes it.
    QString note;
    const bool takenIn = outside && !m_unsaved && disk.status == LoadResult::Status::Loaded
                         && !beingWritten(m_path) && takeIn(disk, note);
    QString told;
    if (((outside && !takenIn) || m_keepWhole) && QFileInfo(m_path).isFile()) {
        QString why;
        const QString kept = keepAside(m_path, m_kept, why, dataStem());
        const QString file = QStringLiteral("予定表ファイル「%1」").arg(shownPath());
        if (kept.isEmpty())
            told = file
                   + QStringLiteral("の前の内容を残せませんでした。今の予定表を書き込みました。")
                   + QStringLiteral("\n\n") + why;
        else if (!outside || takenIn)
            told =
                file
                + QStringLiteral("には %1 件より多くの予定があり、%2 件目からは読み込まれて"
                                 "いません。書き込む前に、元のファイル全体を「%3」に残しました。")
                      .arg(kSlotCount)
                      .arg(kSlotCount + 1)
                      .arg(shown(kept));
        else
            told = file
                   + (disk.status == LoadResult::Status::Failed
                          ? QStringLiteral(
                              "がほかのプログラムで書き換えられましたが、読み込めません。")
                          : QStringLiteral("はほかのプログラムで書き換えられていました。"))
                   + QStringLiteral("その内容を「%1」に残して、今の予定表を書き込みました。")
                         .arg(shown(kept))
                   + (disk.error.isEmpty() ? QString() : QStringLiteral("\n\n") + disk.error);
    }
    const QByteArray bytes = currentBytes();
    const QString why = replaceFile(m_path, bytes);
    if (why.isEmpty()) {
        m_known = bytes;
        m_keepWhole = false;
        m_unsaved = false;
    }
    // Told once all is in order: a box lets the watcher in.
    if (!note.isEmpty())
        emit tell(note);
    if (!told.isEmpty() && why.isEmpty())
        emit tell(told);
    return why;
}

QString ScheduleStore::rescue()
{
    QString why;
    return writeNewFile(dataStem(), QStringLiteral(".txt"), currentBytes(), why);
}

void ScheduleStore::stop()
{
    m_stopped = true;
    m_saveTimer.stop();
    m_settleTimer.stop();
}

void ScheduleStore::edited()
{
    m_unsaved = true;
    if (!m_stopped && !m_failing)
        m_saveTimer.start(kSaveDelayMs);
}

void ScheduleStore::saveEdits()
{
    if (m_stopped)
        return;
    const QString why = save();
    if (why.isEmpty()) {
        if (m_failing)
            warn(QStringLiteral("予定表ファイル「%1」に、また書き込めました。").arg(shownPath()));
        m_failing = false;
        return;
    }
    m_saveTimer.start(kRetryMs);
    if (m_failing)
        return;
    m_failing = true;
    emit tell(QStringLiteral("予定表ファイル「%1」に書き込めません。書き込めるようになるまで、"
                             "数秒おきに書き込みを試みます。")
                  .arg(shownPath())
              + QStringLiteral("\n\n") + why);
}

void ScheduleStore::checkFile()
{
    if (m_stopped)
        return;
    watch();
    // What a writer that keeps the file open has written so far may be a
    // part: it is judged once the writer closes it, however long that takes.
    if (beingWritten(m_path)) {
        m_settleTimer.start();
        return;
    }
    const LoadResult disk = loadScheduleFile(m_path);
    // Our own save, no change, or a removed file (the next save writes it again).
    if (disk.status == LoadResult::Status::Missing || (disk.bytes && disk.bytes == m_known))
        return;
    // The user's edit wins at the next save, which keeps this version aside.
    if (m_unsaved)
        return;
    if (disk.status == LoadResult::Status::Loaded) {
        QString note;
        takeIn(disk, note);
        if (!note.isEmpty())
            emit tell(note);
        return;
    }
    // What cannot be read is kept aside and replaced at once, so that the file
    // on disk is always a schedule the next start can read.
    m_unsaved = true;
    saveEdits();
}

} // namespace quorrel
