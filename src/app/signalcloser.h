#pragma once

#include <QObject>

class QSocketNotifier;

namespace quorrel {

// Turns SIGTERM, SIGINT and SIGHUP into a call of `onSignal` on the UI thread,
// through a socket pair, so that the program closes (and saves) in order.
class SignalCloser : public QObject {
    Q_OBJECT

public:
    explicit SignalCloser(QObject *parent = nullptr);
    ~SignalCloser() override;

    bool isInstalled() const { return m_notifier != nullptr; }

signals:
    void signalled(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace quorrel
