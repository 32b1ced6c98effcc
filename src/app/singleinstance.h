#pragma once

#include <QFileSystemWatcher>
#include <QObject>

namespace quorrel {

// One running copy per folder, since the copies there would share one
// schedule file. The guard is a lock file of the program's own named after the
// folder's identity (device and inode), so that it holds however the folder
// is reached, and a lock another program takes on the folder itself does not
// keep a copy out. A later start in the same folder asks the running copy to
// come to the front, handing over the right to do so where
// the window system asks for one, and ends.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // True when this copy may serve the current folder: no other copy does,
    // or no lock can be had (no folder of the user's alone to keep it in, a
    // file system without locks): then the program runs unguarded, saying so
    // on stderr, rather than not at all.
    // False when another copy serves it; that copy has been asked to come to
    // the front where a private runtime folder allows, else stderr says why
    // not.
    bool claim();

signals:
    // With the later start's activation token, if it had one.
    void raiseRequested(const QString &activationToken);

private:
    void readRequests();

    int m_lock = -1; // held open, and locked, for the program's whole life
    QFileSystemWatcher m_requests;
    qint64 m_read = 0; // of the requests file
};

} // namespace quorrel
