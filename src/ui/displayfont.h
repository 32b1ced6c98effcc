#pragma once

#include <QColor>
#include <QFont>

class QWidget;

namespace quorrel {

// The face the labels were designed for. It is not found on Linux, so the
// family name is kept and mapped to an installed Japanese gothic face.
inline constexpr QStringView kDisplayFamily = u"ＭＳ Ｐゴシック";
inline constexpr QColor kDisplayColour{0, 0, 192}; // dark blue

// The display font; its family is mapped to the installed Japanese faces
// that stand in for it the first time it is asked for.
QFont displayFont();

// Display font and colour for a label.
void applyDisplayStyle(QWidget *label);

} // namespace quorrel
