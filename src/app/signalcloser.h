#pragma once

#include <QObject>

class QSocketNotifier;

namespace quorrel {

// First thing in the program: descriptors 0 to 2 that are closed are opened
// on /dev/null, before a file or the X connection could take one of their
// numbers and receive what is meant for stderr. A warning to a stderr whose
// reader has gone is dropped (SIGPIPE), and a write past a file size limit
// fails with EFBIG, which a save reports (SIGXFSZ), instead of either ending
// the program, from the first write of the start-up (a font cache, say) on.
void guardStart();

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
