#include "ui/programicon.h"

#include <QGuiApplication>

namespace quorrel {

QIcon programIcon()
{
    // Decoded once: once the application carries it, every window shares its
    // copy rather than reading the file again.
    const QIcon shared = QGuiApplication::windowIcon();
    return shared.isNull() ? QIcon(QStringLiteral(":/quorrel.ico")) : shared;
}

} // namespace quorrel
