#include "schedule/schedulestore.h"

#include "platform/textcodec.h"

#include <QFileInfo>

namespace quorrel {

namespace {

// After the last keystroke, not at every one.
constexpr int kSaveDelayMs = 1000;
// Long enough for a writer that truncates and then writes.
constexpr int kSettleMs = 200;

} // namespace

ScheduleStore::ScheduleStore(const QString &path, std::function<QList<Slot>()> current,
                             QObject *parent)
    : QObject(parent), m_path(path), m_slots(std::move(current))
{
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(kSaveDelayMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &ScheduleStore::saveEdits);
    m_settleTimer.setSingleShot(true);
    m_settleTimer.setInterval(kSettleMs);
    connect(&m_settleTimer, &QTimer::timeout, this, &ScheduleStore::checkFile);
    // The folder too: a replace by rename gives the file a new inode, and the
    // watch on the old one ends with it.
    const auto settle = [this] { m_settleTimer.start(); };
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, settle);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, settle);
}

LoadResult ScheduleStore::load()
{
    LoadResult loaded = loadScheduleFile(m_path);
    m_known = loaded.bytes;
    watch();
    return loaded;
}

void ScheduleStore::watch()
{
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!m_watcher.directories().contains(folder))
        m_watcher.addPath(folder);
    if (!m_watcher.files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
}

QString ScheduleStore::save()
{
    const LoadResult disk = loadScheduleFile(m_path);
    if (disk.status == LoadResult::Status::Failed && !disk.bytes)
        return disk.error; // what would be replaced cannot be kept
    if (disk.bytes && disk.bytes != m_known) {
        const QString why = replaceFile(backupPath(), *disk.bytes);
        if (!why.isEmpty())
            return backupPath() + QStringLiteral(": ") + why;
        m_known = disk.bytes; // kept: a failing save does not copy it again
        emit backedUp();
    }
    const QByteArray bytes = encodeScheduleText(formatSchedule(m_slots()));
    const QString why = replaceFile(m_path, bytes);
    if (!why.isEmpty())
        return why;
    m_known = bytes;
    m_unsaved = false;
    return {};
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
    if (!m_stopped)
        m_saveTimer.start();
}

void ScheduleStore::saveEdits()
{
    m_saveTimer.stop();
    const QString why = save();
    if (why.isEmpty()) {
        m_failureReported = false;
        return;
    }
    if (m_failureReported)
        return;
    m_failureReported = true;
    emit backgroundSaveFailed(why);
}

void ScheduleStore::checkFile()
{
    if (m_stopped)
        return;
    watch();
    const LoadResult disk = loadScheduleFile(m_path);
    // Our own save, no change, a removed file (the next save writes it
    // again) or one that cannot be opened now (the next save says so).
    if (!disk.bytes || disk.bytes == m_known)
        return;
    // The user's edit wins at the next save, which keeps this version beside it.
    if (m_unsaved)
        return;
    if (disk.status == LoadResult::Status::Failed) {
        if (disk.bytes != m_reportedUnreadable) {
            m_reportedUnreadable = disk.bytes;
            emit unreadableOutside(disk.error);
        }
        return;
    }
    m_known = disk.bytes;
    emit changedOutside(disk.records);
}

} // namespace quorrel
