#include "ui/displayfont.h"

#include <QPalette>
#include <QWidget>

namespace quorrel {

namespace {

void registerSubstitutes()
{
    // Proportional gothic faces first: the display family is a proportional face.
    QFont::insertSubstitutions(kDisplayFamily.toString(),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"),
                                QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic"),
                                QStringLiteral("IPAGothic"), QStringLiteral("TakaoPGothic")});
}

} // namespace

QFont displayFont()
{
    static const bool registered = (registerSubstitutes(), true);
    Q_UNUSED(registered);
    QFont font(kDisplayFamily.toString());
    font.setPointSizeF(15.75);
    font.setWeight(QFont::Bold);
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
