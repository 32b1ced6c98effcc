#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace quorrel {

SingleInstance::SingleInstance(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection())
            socket->deleteLater();
        emit raiseRequested();
    });
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
    const QString name = key + QStringLiteral(".socket");
    if (m_lock->tryLock(0)) {
        // A socket left by a copy that died would stop the listening.
        QLocalServer::removeServer(name);
        m_server.setSocketOptions(QLocalServer::UserAccessOption);
        m_server.listen(name);
        return true;
    }
    if (m_lock->error() != QLockFile::LockFailedError)
        return true;
    // The running copy may be between taking the lock and listening.
    for (int attempt = 0; attempt < 20; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(500)) {
            socket.disconnectFromServer();
            return false;
        }
        QThread::msleep(100);
    }
    return false;
}

} // namespace quorrel
