#include "ui/displayfont.h"

#include <QPalette>
#include <QWidget>

namespace quorrel {

QFont displayFont()
{
    // The faces that stand in, asked for by name: Qt ranks every installed face
    // as the fallbacks of a family that is not installed, which costs the start
    // milliseconds on a desktop with thousands of faces. Proportional gothic
    // faces first, as the display family is one; the family itself last.
    QFont font;
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic"),
                      QStringLiteral("IPAGothic"), QStringLiteral("TakaoPGothic"),
                      kDisplayFamily.toString()});
    font.setPointSizeF(15.75);
    font.setWeight(QFont::Bold);
    // Each of them has every character the labels show: no other face is
    // merged in, which would rank every installed face once more.
    font.setStyleStrategy(QFont::NoFontMerging);
    return font;
}

void applyDisplayStyle(QWidget *label)
{
    label->setFont(displayFont());
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kDisplayColour);
    label->setPalette(palette);
}

} // namespace quorrel
