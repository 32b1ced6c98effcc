#pragma once

#include "platform/platform.h"

#include <QWidget>

class QLabel;

namespace quorrel {

// The version window: title, copyright line, redistribution note and icon.
// A plain window rather than a QDialog, which would close on Escape; it has
// no owner, stays out of the task bar and unloads (deletes itself) on close.
class frmAbout : public QWidget {
    Q_OBJECT

public:
    explicit frmAbout(const Platform &platform);

    void Form_Load();

private:
    QLabel *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
};

} // namespace quorrel
