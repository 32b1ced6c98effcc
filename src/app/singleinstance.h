#pragma once

#include <QFileSystemWatcher>
#include <QObject>

namespace quorrel {

// One running copy per folder, since the copies there would share one
// schedule file. The folder itself is locked, so that the guard holds however
// the folder is reached (a bind mount, a name that is not UTF-8) and needs no
// file that could be removed. A later start in the same folder asks the
// running copy to come to the front and ends.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // True when this copy may serve the current folder: no other copy does,
    // or the folder cannot be locked at all (then the program runs unguarded
    // rather than not at all).
    // False when another copy serves it; that copy has been asked to come to
    // the front where a private runtime folder allows, else stderr says why
    // not.
    bool claim();

signals:
    void raiseRequested();

private:
    int m_folder = -1; // held open, and locked, for the program's whole life
    QFileSystemWatcher m_requests;
};

} // namespace quorrel
