#pragma once

#include <QProxyStyle>

namespace quorrel {

// The application's own style, drawn as the desktop's, which reads the menu
// bar's overflow arrow only once it is drawn. Qt builds the arrow with every
// menu bar, and reading its pictures loads each of Qt's image plugins in turn;
// the arrow shows only when the menus do not fit, which they do.
class LazyIconStyle final : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};

} // namespace quorrel
