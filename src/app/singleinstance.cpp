#include "app/singleinstance.h"

#include "platform/activation.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorrel {

namespace {

void cannotTell(const char *why = std::strerror(errno))
{
    qWarning("quorrel: このフォルダでほかのコピーが動いていないか確かめられません: %s", why);
}

// The folder at `path` if it is one of this user's that no one else may
// write to (nor, with `others` 077, read).
QString ownFolder(const QString &path, mode_t others)
{
    struct stat info = {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &info) != 0
        || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & others) != 0)
        return {};
    return path;
}

QString runtimeFolder()
{
    return ownFolder(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation), 077);
}

QString named(const QString &folder, const struct stat &identity, QStringView ending)
{
    return QStringLiteral("%1/quorrel-%2-%3.%4")
        .arg(folder)
        .arg(identity.st_dev)
        .arg(identity.st_ino)
        .arg(ending);
}

// The lock a copy holds for the folder with this identity: a file of the
// program's own, which no other program has reason to lock, in the user's
// private runtime folder or else in the user's data folder; nothing where
// neither is the user's alone.
QString lockFile(const struct stat &folder)
{
    QString place = runtimeFolder();
    if (place.isEmpty()) {
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir().mkpath(data);
        place = ownFolder(data, 022);
    }
    return place.isEmpty() ? QString() : named(place, folder, u"lock");
}

// Where a later copy asks the running one to come forward, or nothing where
// the runtime folder is missing or not private (a file made elsewhere could
// be another user's to read or to replace).
QString requestFile(const struct stat &folder)
{
    const QString runtime = runtimeFolder();
    return runtime.isEmpty() ? QString() : named(runtime, folder, u"raise");
}

} // namespace

SingleInstance::SingleInstance(QObject *parent) : QObject(parent)
{
    connect(&m_requests, &QFileSystemWatcher::fileChanged, this, &SingleInstance::readRequests);
}

SingleInstance::~SingleInstance()
{
    if (!m_requests.files().isEmpty())
        QFile::remove(m_requests.files().constFirst());
    if (m_lock >= 0)
        ::close(m_lock);
}

bool SingleInstance::claim()
{
    // The folder by its identity, however it is reached (a link, a bind
    // mount, a name that is not UTF-8).
    struct stat folder = {};
    if (::stat(".", &folder) != 0) {
        cannotTell();
        return true;
    }
    const QString lock = lockFile(folder);
    if (lock.isEmpty()) {
        cannotTell("ロックを置ける、このユーザーだけのフォルダがありません");
        return true;
    }
    m_lock = ::open(QFile::encodeName(lock).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                    0600);
    if (m_lock < 0) {
        cannotTell();
        return true;
    }
    // The lock lives with the open file, and ends with the process however it
    // ends; a file system without such locks leaves the copy unguarded.
    const bool first = ::flock(m_lock, LOCK_EX | LOCK_NB) == 0;
    if (!first && errno != EWOULDBLOCK) {
        cannotTell();
        return true;
    }
    QFile requests(requestFile(folder));
    if (first) {
        if (!requests.fileName().isEmpty()
            && requests.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            requests.close();
            m_requests.addPath(requests.fileName());
            // A request written before the watch began is answered too.
            if (requests.size() > 0)
                QTimer::singleShot(0, this, &SingleInstance::readRequests);
        }
        return true;
    }
    // The running copy may be between taking the lock and making the file.
    // Each request is a line: the token, or nothing.
    const QByteArray request = activationToken().toUtf8() + '\n';
    QString why;
    for (int attempt = 0; !requests.fileName().isEmpty() && attempt < 20; ++attempt) {
        if (requests.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly)) {
            if (requests.write(request) == request.size() && requests.flush())
                return false;
            why = QStringLiteral(": ") + requests.errorString();
            break;
        }
        QThread::msleep(100);
    }
    qWarning("quorrel: このフォルダではほかのコピーが動いています。"
             "そのウィンドウを前に出すように頼めませんでした%s",
             qUtf8Printable(why.isEmpty() ? QStringLiteral("。") : why));
    return false;
}

void SingleInstance::readRequests()
{
    QFile requests(m_requests.files().value(0));
    if (!requests.open(QIODevice::ReadOnly))
        return;
    if (requests.size() < m_read)
        m_read = 0;
    requests.seek(m_read);
    const QByteArray added = requests.readAll();
    // A request is whole once its line ends; a later line is the newer start.
    const qsizetype end = added.lastIndexOf('\n');
    if (end < 0)
        return;
    m_read += end + 1;
    const qsizetype start = end > 0 ? added.lastIndexOf('\n', end - 1) + 1 : 0;
    emit raiseRequested(QString::fromUtf8(added.mid(start, end - start)));
}

} // namespace quorrel
