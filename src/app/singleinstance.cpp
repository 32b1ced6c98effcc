#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

namespace quorrel {

SingleInstance::SingleInstance(QObject *parent) : QObject(parent)
{
    connect(&m_requests, &QFileSystemWatcher::fileChanged, this, &SingleInstance::raiseRequested);
}

bool SingleInstance::claim()
{
    const QByteArray folder = QDir::current().canonicalPath().toUtf8();
    const QString key =
        QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
        + QStringLiteral("/quorrel-")
        + QString::fromLatin1(
            QCryptographicHash::hash(folder, QCryptographicHash::Sha256).toHex().left(32));
    m_lock = std::make_unique<QLockFile>(key + QStringLiteral(".lock"));
    // Held for the program's whole life, so never stale by age; the lock of a
    // copy that died is taken over, as its process is gone.
    m_lock->setStaleLockTime(0);
    // A later copy asks by writing a line into this file, which the running
    // copy watches: the file system serves, without a network library.
    QFile requests(key + QStringLiteral(".raise"));
    if (m_lock->tryLock(0)) {
        if (requests.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            requests.close();
            m_requests.addPath(requests.fileName());
            // A request written before the watch began is answered too.
            if (requests.size() > 0)
                QTimer::singleShot(0, this, &SingleInstance::raiseRequested);
        }
        return true;
    }
    if (m_lock->error() != QLockFile::LockFailedError)
        return true;
    // The running copy may be between taking the lock and making the file.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (requests.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly)) {
            requests.write("\n");
            return false;
        }
        QThread::msleep(100);
    }
    return false;
}

} // namespace quorrel
