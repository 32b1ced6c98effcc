#pragma once

#include <QFileSystemWatcher>
#include <QLockFile>
#include <QObject>

#include <memory>

namespace quorrel {

// One running copy per folder, since the copies there would share one
// schedule file. A later start in the same folder asks the running copy to
// come to the front and ends.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(QObject *parent = nullptr);

    // True when this copy may serve the current folder: no other copy does,
    // or the lock could not be taken at all (then the program runs unguarded
    // rather than not at all). False once the running copy has been asked to
    // come to the front.
    bool claim();

signals:
    void raiseRequested();

private:
    std::unique_ptr<QLockFile> m_lock;
    QFileSystemWatcher m_requests;
};

} // namespace quorrel
