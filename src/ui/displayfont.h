#pragma once

#include <QColor>
#include <QFont>

class QWidget;

namespace quorrel {

// The face the labels were designed for. It is not found on Linux: an
// installed Japanese gothic face stands in for it.
inline constexpr QStringView kDisplayFamily = u"ＭＳ Ｐゴシック";
inline constexpr QColor kDisplayColour{0, 0, 192}; // dark blue

// The display font, in the installed face that stands in for the family.
QFont displayFont();

// Display font and colour for a label.
void applyDisplayStyle(QWidget *label);

} // namespace quorrel
