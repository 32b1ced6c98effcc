#include "app/singleinstance.h"

#include "platform/activation.h"

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

void cannotTell()
{
    qWarning("quorrel: このフォルダでほかのコピーが動いていないか確かめられません: %s",
             std::strerror(errno));
}

// Where a later copy asks the running one to come forward: a file in the
// user's runtime folder named after the folder's identity, or nothing when
// that folder is missing or not private (a file made elsewhere could be
// another user's to read or to replace).
QString requestFile(const struct stat &folder)
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    struct stat info = {};
    if (runtime.isEmpty() || ::lstat(QFile::encodeName(runtime).constData(), &info) != 0
        || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0)
        return {};
    return runtime + QStringLiteral("/quorrel-%1-%2.raise").arg(folder.st_dev).arg(folder.st_ino);
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
    if (m_folder >= 0)
        ::close(m_folder);
}

bool SingleInstance::claim()
{
    struct stat folder = {};
    m_folder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0 || ::fstat(m_folder, &folder) != 0) {
        cannotTell();
        return true;
    }
    // The lock lives with the open folder, and ends with the process however
    // it ends; a file system without such locks leaves the copy unguarded.
    const bool first = ::flock(m_folder, LOCK_EX | LOCK_NB) == 0;
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
