#pragma once

#include <QObject>

class QSocketNotifier;

namespace quorrel {

// Turns SIGTERM, SIGINT and SIGHUP into the signal `signalled` on the UI thread,
// through a socket pair, so that the program closes (and saves) in order.
class SignalCloser : public QObject {
    Q_OBJECT

public:
    explicit SignalCloser(QObject *parent = nullptr);
    ~SignalCloser() override;

signals:
    void signalled(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};

} // namespace quorrel
