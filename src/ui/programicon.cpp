#include "ui/programicon.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QPixmap>

namespace quorrel {

QIcon programIcon()
{
    // Decoded once: once the application carries it, every window shares its
    // copy rather than reading the files again.
    const QIcon shared = QGuiApplication::windowIcon();
    if (!shared.isNull())
        return shared;
    // Its two sizes, as the theme icons hold them, by Qt's own PNG reader told
    // the format: left to find it out, or given the icon as an .ico, Qt would
    // load its image plugins to read it.
    QIcon icon;
    for (int size : {32, 16}) {
        QImageReader reader(QStringLiteral(":/quorrel-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

} // namespace quorrel
